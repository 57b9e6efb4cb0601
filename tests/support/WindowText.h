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

// The window's text; empty when its thread does not answer. A text that
// changes between asking its length and reading it is read again, never
// returned cut to the old length.
inline std::string GetText(HWND hWnd)
{
    std::string strText;
    for (int nAttempt = 0; nAttempt < 10; nAttempt++) {
        int cchLength = static_cast<int>(SendWithin(hWnd, WM_GETTEXTLENGTH, 0, 0, 0));
        strText.assign(cchLength + 2, '\0');  // room for one more character than asked for
        int cch = static_cast<int>(
            SendWithin(hWnd, WM_GETTEXT, strText.size(), reinterpret_cast<LPARAM>(&strText[0]), 0));
        strText.resize(cch);
        if (cch == cchLength)
            break;
    }
    return strText;
}

inline std::string GetClass(HWND hWnd)
{
    char szClass[256] = {};
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    return szClass;
}

// How long a test waits for what it expects: generous, as other programs
// share the machine's two cores.
constexpr DWORD c_dwDeadlineMs = 15000;

// Polls fnCondition every 10 ms until it holds or dwTimeoutMs have passed.
template <class TCondition>
bool WaitUntil(TCondition fnCondition, DWORD dwTimeoutMs = c_dwDeadlineMs)
{
    DWORD dwStart = GetTickCount();
    while (!fnCondition()) {
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

// A negative check: true when fnCondition never held during dwWatchMs, which
// should be at least as long as the positive case took to show.
template <class TCondition>
bool NeverDuring(TCondition fnCondition, DWORD dwWatchMs)
{
    return !WaitUntil(fnCondition, dwWatchMs);
}

// Milliseconds fnCondition took to hold, or -1 when it did not within the deadline.
template <class TCondition>
long TimeUntil(TCondition fnCondition)
{
    DWORD dwStart = GetTickCount();
    return WaitUntil(fnCondition) ? static_cast<long>(GetTickCount() - dwStart) : -1;
}
