// Runs the real CMainDialog modally on a UI thread (a single-threaded
// apartment) and lets the test thread drive it through its windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

class CDialogDriver {
public:
    // Starts the dialog and waits until it is shown. fnSetUp runs on the UI
    // thread before the dialog opens (fakes registered there are that
    // apartment's), fnTearDown there after it has closed.
    explicit CDialogDriver(std::function<void()> fnSetUp = {}, std::function<void()> fnTearDown = {});
    // Closes the dialog if it is still open and waits for its thread.
    ~CDialogDriver();
    CDialogDriver(const CDialogDriver&) = delete;
    CDialogDriver& operator=(const CDialogDriver&) = delete;

    HWND Dialog() const { return m_hWndDialog; }
    HWND Item(int nID) const { return GetDlgItem(m_hWndDialog, nID); }
    DWORD ThreadId() const { return m_dwThreadId; }
    std::string Text(int nID) const;
    LRESULT Send(int nID, UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Posts the command a control sends its parent, as a click or an edit would.
    void PostCommand(int nID, WORD wNotifyCode = BN_CLICKED) const;
    // Returns once the UI thread has handled everything posted to it before
    // (or is showing a modal window that a posted message opened).
    void Sync() const;

    // Waits for the modal run to end; DoModal's result, or -2 after a time-out.
    INT_PTR WaitForEnd(DWORD dwTimeoutMs = 10000);
    // The window with the keyboard focus on the UI thread.
    HWND FocusWindow() const;

private:
    void RunDialog();

    std::function<void()> m_fnSetUp, m_fnTearDown;
    std::thread m_thread;
    DWORD m_dwThreadId = 0;
    HWND m_hWndDialog = nullptr;
    HANDLE m_hEnded = nullptr;
    HANDLE m_hSynced = nullptr;
    HWND m_hWndSync = nullptr;
    INT_PTR m_nResult = -2;
};
