// Reading windows from the test thread.
#pragma once

#include <windows.h>

#include <string>

// SendMessage that gives up after 10 s, so a window whose thread hangs fails
// the test instead of stopping it; lrTimedOut is returned then.
inline LRESULT SendWithin(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT lrTimedOut = -1)
{
    DWORD_PTR nResult = 0;
    if (!SendMessageTimeoutA(hWnd, uMsg, wParam, lParam, SMTO_NORMAL, 10000, &nResult))
        return lrTimedOut;
    return static_cast<LRESULT>(nResult);
}

// The window's text; empty when its thread does not answer.
inline std::string GetText(HWND hWnd)
{
    int cch = static_cast<int>(SendWithin(hWnd, WM_GETTEXTLENGTH, 0, 0, 0));
    std::string strText(cch + 1, '\0');
    cch = static_cast<int>(SendWithin(hWnd, WM_GETTEXT, cch + 1, reinterpret_cast<LPARAM>(&strText[0]), 0));
    strText.resize(cch);
    return strText;
}

inline std::string GetClass(HWND hWnd)
{
    char szClass[256] = {};
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    return szClass;
}

// Polls fnCondition every 10 ms until it holds or dwTimeoutMs have passed.
template <class TCondition>
bool WaitUntil(TCondition fnCondition, DWORD dwTimeoutMs)
{
    DWORD dwStart = GetTickCount();
    while (!fnCondition()) {
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}
