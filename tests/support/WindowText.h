// Reading windows from the test thread.
#pragma once

#include <windows.h>

#include <string>

inline std::string GetText(HWND hWnd)
{
    int cch = static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
    std::string strText(cch + 1, '\0');
    cch = static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, cch + 1, reinterpret_cast<LPARAM>(&strText[0])));
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
