#include "ShowMessage.h"

#include <errors.h>

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

// The pipeline's text for facility-4 codes, else the system's; 0 when neither
// has one.
DWORD GetErrorText(HRESULT hr, char* pszText, DWORD cchMax)
{
    DWORD nLength = 0;
    if (((hr >> 16) & 0x1FFF) == FACILITY_ITF)
        nLength = AMGetErrorTextA(hr, pszText, cchMax);
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
