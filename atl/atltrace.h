// Diagnostic trace: ATLTRACE(format, ...) writes at level 0 of the general
// category, ATLTRACE2(category, level, format, ...) names both. Every line
// goes to OutputDebugStringA; a sink installed with AtlSetTraceSink sees it
// too, with its category and level, so tests can assert diagnostic lines.
#pragma once

#include "atldef.h"

#include <cstdarg>

namespace ATL {

struct CTraceCategory {
    const char* m_pszName;
};

extern const CTraceCategory atlTraceGeneral;
extern const CTraceCategory atlTraceCOM;
extern const CTraceCategory atlTraceWindowing;

typedef void (*PFNATLTRACESINK)(const CTraceCategory& category, UINT nLevel, const char* pszText);

// Installs pfnSink (or none, with nullptr); returns the sink it replaces.
PFNATLTRACESINK AtlSetTraceSink(PFNATLTRACESINK pfnSink);

void AtlTraceV(const CTraceCategory& category, UINT nLevel, const char* pszFormat, va_list args);
void __cdecl AtlTrace(const char* pszFormat, ...);
void __cdecl AtlTrace(const CTraceCategory& category, UINT nLevel, const char* pszFormat, ...);
void __cdecl AtlTrace2(const CTraceCategory& category, UINT nLevel, const char* pszFormat, ...);

}  // namespace ATL

#define ATLTRACE ATL::AtlTrace
#define ATLTRACE2 ATL::AtlTrace2
