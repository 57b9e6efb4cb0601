#include "ShowMessage.h"

#include <errors.h>

#include <cctype>
#include <cstdlib>

namespace {

constexpr int c_cchMessage = 1024;  // buffer size; at most 1023 characters shown

// Appends pszText to the message, cut to the room left, and advances nLength.
void AppendCut(char* pszMessage, int& nLength, LPCSTR pszText)
{
    int nRoom = c_cchMessage - nLength;
    if (nRoom <= 1)
        return;
    lstrcpynA(pszMessage + nLength, pszText, nRoom);
    nLength += lstrlenA(pszMessage + nLength);
}

// Whether a word of an error text is the word "error" or hr in hexadecimal
// (with or without "0x").
bool IsCodeWord(LPCSTR pszWord, int nLength, HRESULT hr)
{
    if (nLength == 5 && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, pszWord, 5, "error", 5) == CSTR_EQUAL)
        return true;
    char szWord[32] = {};
    if (nLength >= static_cast<int>(sizeof(szWord)))
        return false;
    lstrcpynA(szWord, pszWord, nLength + 1);
    char* pszEnd = nullptr;
    unsigned long ulValue = strtoul(szWord, &pszEnd, 16);
    return pszEnd == szWord + nLength && isxdigit(static_cast<unsigned char>(szWord[0])) &&
           ulValue == static_cast<DWORD>(hr);
}

// Whether a text tells no more than the code itself, as "Error: 0x80040154"
// does: its words are only "error" and the code.
bool SaysOnlyTheCode(LPCSTR pszText, HRESULT hr)
{
    for (LPCSTR psz = pszText; *psz;) {
        if (!isalnum(static_cast<unsigned char>(*psz))) {
            psz++;
            continue;
        }
        LPCSTR pszWord = psz;
        while (isalnum(static_cast<unsigned char>(*psz)))
            psz++;
        if (!IsCodeWord(pszWord, static_cast<int>(psz - pszWord), hr))
            return false;
    }
    return true;
}

// The pipeline's text for facility-4 codes, else the system's; 0 when neither
// has one. A pipeline text that only repeats the code (all Wine has) gives way
// to the system's.
DWORD GetErrorText(HRESULT hr, char* pszText, DWORD cchMax)
{
    DWORD nLength = 0;
    if (((hr >> 16) & 0x1FFF) == FACILITY_ITF)
        nLength = AMGetErrorTextA(hr, pszText, cchMax);
    if (nLength > 0 && SaysOnlyTheCode(pszText, hr)) {
        nLength = 0;
        pszText[0] = '\0';
    }
    if (nLength == 0)
        nLength = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 static_cast<DWORD>(hr), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), pszText, cchMax,
                                 nullptr);
    return nLength;
}

// The message in msg (c_cchMessage characters); true when it carries a status.
bool ComposeInto(char* msg, LPCSTR pszText, HRESULT hr)
{
    char str[c_cchMessage] = {};
    int nLength = 0;
    if (pszText) {
        lstrcpynA(msg, pszText, c_cchMessage);
        nLength = lstrlenA(msg);
    }
    if (hr == 0)
        return false;
    if (GetErrorText(hr, str, c_cchMessage - 1) > 0) {
        if (nLength > 0 && nLength < c_cchMessage - 1)
            AppendCut(msg, nLength, "\n");
        AppendCut(msg, nLength, str);
    }
    wsprintfA(str, "%sError 0x%X", nLength != 0 ? "\n" : "", static_cast<unsigned>(hr));
    AppendCut(msg, nLength, str);
    return true;
}

}  // namespace

std::string ComposeMessage(LPCSTR pszText, HRESULT hr)
{
    char msg[c_cchMessage] = {};
    ComposeInto(msg, pszText, hr);
    return msg;
}

int ShowMessage(HWND hWndOwner, LPCSTR pszText, LPCSTR pszCaption, HRESULT hr, UINT uType)
{
    char msg[c_cchMessage] = {};
    if (ComposeInto(msg, pszText, hr) && uType == 0)
        uType = MB_ICONERROR;
    HWND hWnd = IsWindow(hWndOwner) ? hWndOwner : GetActiveWindow();
    return MessageBoxA(hWnd, msg, pszCaption, uType);
}
