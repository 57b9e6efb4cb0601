// QuelmarTest.exe run as a process of its own and driven only through its
// windows, as a user would drive it.
#pragma once

#include <windows.h>

#include <string>

class CProgram {
public:
    CProgram();   // starts the program next to the test program
    // Starts the program at strPath with its folder as the current folder,
    // as a double click would.
    explicit CProgram(const std::string& strPath);
    ~CProgram();  // ends it when it is still running
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;

    bool Started() const { return m_bStarted != FALSE; }
    HANDLE Process() const { return m_pi.hProcess; }
    DWORD ThreadId() const { return m_pi.dwThreadId; }

    // The main dialog once it is shown; null when it did not appear in time.
    HWND WaitForDialog() const;
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit() const;

    static std::string Path();

private:
    void Start(const std::string& strPath, const char* pszFolder);

    BOOL m_bStarted = FALSE;
    PROCESS_INFORMATION m_pi = {};
};

// What a user does with the mouse and keyboard, sent as the windows would
// receive it. Typing replaces the whole text, as select-all and typing would.
void TypeText(HWND hWndEdit, const std::string& strText);
void Click(HWND hWndButton);
void PressKeys(HWND hWnd, UINT nVirtualKey, int nTimes);
// The key pressed while the dialog's focused control has the focus.
void PressKeyInDialog(HWND hWndDialog, UINT nVirtualKey);
