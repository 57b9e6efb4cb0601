// Finds a message box among the windows of a thread, reads it and presses
// its buttons, as a user would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CMessageBoxInfo {
    HWND hWnd = nullptr;
    std::string strCaption;
    std::string strText;
    HICON hIcon = nullptr;          // the icon shown, null when none
    std::vector<int> rgButtonIds;   // command ids of the buttons, in z-order
};

// Waits up to dwTimeoutMs for a visible dialog-class window of dwThreadId
// other than hWndExclude; false when none appeared.
bool FindMessageBox(DWORD dwThreadId, HWND hWndExclude, DWORD dwTimeoutMs, CMessageBoxInfo* pInfo);

// Presses the button nID of the box (posted, as a click would arrive).
void PressMessageBoxButton(const CMessageBoxInfo& info, int nID);
