// Common definitions of our ATL subset: assertions and the one exception the
// library raises (out of memory in string conversions and string copies).
#pragma once

#include <windows.h>

#ifndef ATLASSERT
#include <cassert>
#define ATLASSERT(expr) assert(expr)
#endif

namespace ATL {

class CAtlException {
public:
    explicit CAtlException(HRESULT hr) : m_hr(hr) {}
    operator HRESULT() const { return m_hr; }

    HRESULT m_hr;
};

[[noreturn]] inline void AtlThrow(HRESULT hr)
{
    throw CAtlException(hr);
}

}  // namespace ATL

#ifndef _ATL_NO_AUTOMATIC_NAMESPACE
using namespace ATL;
#endif
