// String conversions between 8-bit text and UTF-16. The code page defaults to
// the thread's ANSI code page; a null source converts to a null result. Short
// strings use the inline buffer; longer ones are allocated, and a failed
// allocation raises CAtlException(E_OUTOFMEMORY).
#pragma once

#include "atldef.h"

#include <cstdlib>

namespace ATL {

inline UINT _AtlGetConversionACP()
{
    return CP_THREAD_ACP;
}

// The result buffer of one conversion: inline when it fits, else on the heap.
template <typename TChar, int t_nBufferLength>
class CAtlConversionBuffer {
public:
    CAtlConversionBuffer() : m_psz(m_szBuffer) {}
    ~CAtlConversionBuffer()
    {
        if (m_psz && m_psz != m_szBuffer)
            free(m_psz);
    }
    CAtlConversionBuffer(const CAtlConversionBuffer&) = delete;
    CAtlConversionBuffer& operator=(const CAtlConversionBuffer&) = delete;

    TChar* Allocate(int nChars)
    {
        if (nChars > t_nBufferLength) {
            m_psz = static_cast<TChar*>(malloc(nChars * sizeof(TChar)));
            if (!m_psz)
                AtlThrow(E_OUTOFMEMORY);
        }
        return m_psz;
    }
    void SetNull() { m_psz = nullptr; }

    TChar* m_psz;

private:
    TChar m_szBuffer[t_nBufferLength];
};

template <int t_nBufferLength = 128>
class CA2WEX {
public:
    CA2WEX(LPCSTR psz, UINT nCodePage = _AtlGetConversionACP())
    {
        if (!psz) {
            m_buffer.SetNull();
            return;
        }
        int cch = ::MultiByteToWideChar(nCodePage, 0, psz, -1, nullptr, 0);
        LPWSTR pszOut = m_buffer.Allocate(cch > 0 ? cch : 1);
        if (cch <= 0 || !::MultiByteToWideChar(nCodePage, 0, psz, -1, pszOut, cch))
            pszOut[0] = L'\0';
    }

    operator LPWSTR() const { return m_buffer.m_psz; }

private:
    CAtlConversionBuffer<WCHAR, t_nBufferLength> m_buffer;
};

template <int t_nBufferLength = 128>
class CW2AEX {
public:
    CW2AEX(LPCWSTR psz, UINT nCodePage = _AtlGetConversionACP())
    {
        if (!psz) {
            m_buffer.SetNull();
            return;
        }
        int cb = ::WideCharToMultiByte(nCodePage, 0, psz, -1, nullptr, 0, nullptr, nullptr);
        LPSTR pszOut = m_buffer.Allocate(cb > 0 ? cb : 1);
        if (cb <= 0 || !::WideCharToMultiByte(nCodePage, 0, psz, -1, pszOut, cb, nullptr, nullptr))
            pszOut[0] = '\0';
    }

    operator LPSTR() const { return m_buffer.m_psz; }

private:
    CAtlConversionBuffer<char, t_nBufferLength> m_buffer;
};

typedef CA2WEX<> CA2W;
typedef CW2AEX<> CW2A;

}  // namespace ATL
