#include "atltrace.h"

#include <atomic>
#include <cstdio>

namespace ATL {

const CTraceCategory atlTraceGeneral = {"atlTraceGeneral"};
const CTraceCategory atlTraceCOM = {"atlTraceCOM"};
const CTraceCategory atlTraceWindowing = {"atlTraceWindowing"};

namespace {

std::atomic<PFNATLTRACESINK> g_pfnTraceSink{nullptr};

}  // namespace

PFNATLTRACESINK AtlSetTraceSink(PFNATLTRACESINK pfnSink)
{
    return g_pfnTraceSink.exchange(pfnSink);
}

void AtlTraceV(const CTraceCategory& category, UINT nLevel, const char* pszFormat, va_list args)
{
    char szText[1024];
    vsnprintf(szText, sizeof(szText), pszFormat, args);
    OutputDebugStringA(szText);
    PFNATLTRACESINK pfnSink = g_pfnTraceSink.load();
    if (pfnSink)
        pfnSink(category, nLevel, szText);
}

void __cdecl AtlTrace(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    AtlTraceV(atlTraceGeneral, 0, pszFormat, args);
    va_end(args);
}

void __cdecl AtlTrace(const CTraceCategory& category, UINT nLevel, const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    AtlTraceV(category, nLevel, pszFormat, args);
    va_end(args);
}

void __cdecl AtlTrace2(const CTraceCategory& category, UINT nLevel, const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    AtlTraceV(category, nLevel, pszFormat, args);
    va_end(args);
}

}  // namespace ATL
