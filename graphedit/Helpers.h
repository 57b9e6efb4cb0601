// The bridge to the external graph editor: the graph's registration in the
// running object table, and CGraphEdit, which starts the editor, drives its
// connect dialog to this process's graph and ends the editor again.
#pragma once

#include <windows.h>
#include <unknwn.h>

// Publishes pGraph in the running object table under the item name
// "FilterGraph %08x pid %08x" (low 32 bits of pGraph, this process id).
HRESULT RegisterInRot(IUnknown* pGraph, DWORD* pdwCookie);
// Withdraws a registration; cookie 0 touches nothing.
void RevokeFromRot(DWORD dwCookie);

class CGraphEdit {
public:
    CGraphEdit();
    ~CGraphEdit() { Close(); }
    CGraphEdit(const CGraphEdit&) = delete;
    CGraphEdit& operator=(const CGraphEdit&) = delete;

    // S_OK once the editor runs and was asked to connect; S_FALSE when its
    // main window did not show; REGDB_E_CLASSNOTREG without Proppage.dll.
    HRESULT ShowGraph(IUnknown* pGraph);
    // Withdraws the registration and asks an editor started here to quit.
    void Close();

    // Whether a connect-list entry names pGraph of this process.
    static bool MatchCookieName(LPCSTR pszCookieName, const void* pGraph);
    // Whether Proppage.dll is registered; its path (260 characters) when given.
    static bool IsProppageRegistered(LPSTR pszPath);
    // A connect-list entry in the thread's code page, in at most 63 bytes and
    // a terminator; false when it does not convert (then not to be matched).
    static bool NarrowEntry(LPCWSTR pwszEntry, char (&szEntry)[64]);

    DWORD Cookie() const { return m_dwCookie; }
    DWORD EditorProcessId() const { return m_rgPI.dwProcessId; }
    // Whether an editor started here may still run (and hold the graph).
    bool HasEditor() const { return m_rgPI.hProcess != nullptr; }

private:
    HRESULT LoadGraphEdit(LPCSTR pszProppage);
    bool FindMainWindow();
    bool WaitWhileHidden();
    void PostConnectCommand();
    void SelectGraph(const void* pGraph);
    // The entry naming pGraph, -1 when none; *pbAnswered false when the list
    // box did not answer in time.
    int FindGraphItem(const void* pGraph, bool* pbAnswered);
    void CloseGraphEdit();

    static BOOL CALLBACK EnumMainWindowProc(HWND hWnd, LPARAM lParam);
    static BOOL CALLBACK EnumDialogProc(HWND hWnd, LPARAM lParam);
    static BOOL CALLBACK EnumListBoxProc(HWND hWnd, LPARAM lParam);
    bool CheckMainWindow(HWND hWnd);
    bool CheckDialog(HWND hWnd);
    bool CheckListBox(HWND hWnd);

    DWORD m_dwCookie;
    PROCESS_INFORMATION m_rgPI;
    HWND m_hWndGraphEdit;
    HWND m_hWndListBox;
};
