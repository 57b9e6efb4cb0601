#include "Helpers.h"

#include <atlbase.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char c_szGraphEditKey[] = "Software\\Microsoft\\Shared Tools\\Graphedit";
constexpr char c_szGraphEditName[] = "graphedt.exe";
constexpr char c_szProppageKey[] = "CLSID\\{29E07010-BD27-11CE-AB59-00AA00577DA1}";
constexpr DWORD c_dwIdleMs = 1000;
constexpr int c_nMainWindowPasses = 9;
constexpr LONG c_lMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr DWORD c_dwVisibleMs = 100;
constexpr WPARAM c_wConnectCommand = 0x00018034;
constexpr int c_nDialogAttempts = 9;
constexpr DWORD c_dwQuitMs = 1000;
constexpr DWORD c_dwQuitStepMs = 50;     // how often a quit that could not be posted is tried again
constexpr DWORD c_dwListBoxMs = 500;     // the longest the editor's list box may take to answer

DWORD LowBits(const void* p)
{
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(p));
}

// A string value of an open key into a 260-character buffer: only REG_SZ or
// REG_EXPAND_SZ (unexpanded) that fits and ends with its terminator.
bool ReadPathValue(CRegKey& key, LPCSTR pszValueName, LPSTR pszPath)
{
    char szValue[MAX_PATH + 1] = {};
    ULONG cb = MAX_PATH;  // one character less than the buffer: the last stays a terminator
    DWORD dwType = 0;
    if (key.QueryValue(pszValueName, &dwType, szValue, &cb) != ERROR_SUCCESS)
        return false;
    if ((dwType != REG_SZ && dwType != REG_EXPAND_SZ) || (cb > 0 && szValue[cb - 1] != '\0'))
        return false;
    lstrcpynA(pszPath, szValue, MAX_PATH);
    return true;
}

// The last error as a status (0x8007xxxx), E_FAIL when there is none.
HRESULT LastErrorStatus()
{
    DWORD dwError = GetLastError();
    return dwError ? HRESULT_FROM_WIN32(dwError) : E_FAIL;
}

// "pid " or "IFilterGraph = " at or after psz; null when absent.
LPCSTR FindText(LPCSTR psz, LPCSTR pszWanted)
{
    int nWanted = lstrlenA(pszWanted);
    for (; lstrlenA(psz) >= nWanted; psz++)
        if (strncmp(psz, pszWanted, nWanted) == 0)
            return psz;
    return nullptr;
}

// Waits up to dwMs for hObject while serving this thread's apartment (an
// editor bound to our graph releases it through it); true once signalled.
bool WaitServingApartment(HANDLE hObject, DWORD dwMs)
{
    DWORD dwIndex = 0;
    HRESULT hr = CoWaitForMultipleHandles(0, dwMs, 1, &hObject, &dwIndex);
    if (hr == CO_E_NOTINITIALIZED)
        return WaitForSingleObject(hObject, dwMs) == WAIT_OBJECT_0;
    return hr == S_OK;
}

// A list-box message with a bounded wait: false when the editor did not
// answer in time (a hung editor never hangs us).
bool SendToListBox(HWND hWndListBox, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT* plResult)
{
    DWORD_PTR dwResult = 0;
    if (!SendMessageTimeoutW(hWndListBox, uMsg, wParam, lParam, SMTO_NORMAL, c_dwListBoxMs, &dwResult))
        return false;
    *plResult = static_cast<LRESULT>(dwResult);
    return true;
}

}  // namespace

HRESULT RegisterInRot(IUnknown* pGraph, DWORD* pdwCookie)
{
    if (!pGraph)
        return E_INVALIDARG;
    if (!pdwCookie)
        return E_POINTER;
    *pdwCookie = 0;
    CComPtr<IRunningObjectTable> spROT;
    HRESULT hr = GetRunningObjectTable(0, &spROT);
    if (hr != S_OK)
        return hr;
    char szCookieName[64];
    snprintf(szCookieName, sizeof(szCookieName), "FilterGraph %08lx pid %08lx", static_cast<unsigned long>(LowBits(pGraph)),
             static_cast<unsigned long>(GetCurrentProcessId()));
    CComPtr<IMoniker> spMoniker;
    hr = CreateItemMoniker(L"!", CA2W(szCookieName), &spMoniker);
    if (FAILED(hr))
        return hr;
    return spROT->Register(0, pGraph, spMoniker, pdwCookie);
}

void RevokeFromRot(DWORD dwCookie)
{
    if (dwCookie == 0)
        return;
    CComPtr<IRunningObjectTable> spROT;
    if (GetRunningObjectTable(0, &spROT) != S_OK)
        return;
    spROT->Revoke(dwCookie);
}

CGraphEdit::CGraphEdit() : m_dwCookie(0), m_rgPI(), m_hWndGraphEdit(nullptr), m_hWndListBox(nullptr) {}

bool CGraphEdit::MatchCookieName(LPCSTR pszCookieName, const void* pGraph)
{
    if (!pszCookieName)
        return false;
    LPCSTR pszPid = FindText(pszCookieName, "pid ");
    if (!pszPid)
        return false;
    LPCSTR pszNumber = pszPid + 4;
    char* pszEnd = nullptr;
    unsigned long ulPid = strtoul(pszNumber, &pszEnd, 16);
    if (pszEnd == pszNumber || ulPid != GetCurrentProcessId() || *pszEnd != ' ')
        return false;
    LPCSTR pszGraph = FindText(pszEnd + 1, "IFilterGraph = ");
    if (!pszGraph)
        return false;
    pszNumber = pszGraph + 15;
    unsigned long ulGraph = strtoul(pszNumber, &pszEnd, 16);
    return pszEnd != pszNumber && ulGraph == LowBits(pGraph) && *pszEnd == '\0';
}

bool CGraphEdit::IsProppageRegistered(LPSTR pszPath)
{
    CRegKey key;
    bool bRegistered = key.Open(HKEY_CLASSES_ROOT, c_szProppageKey, KEY_READ) == ERROR_SUCCESS;
    if (bRegistered) {
        CRegKey keyServer;
        bRegistered = keyServer.Open(key, "InprocServer32", KEY_READ) == ERROR_SUCCESS;
        key.Attach(keyServer.Detach());
    }
    if (bRegistered && pszPath)
        bRegistered = ReadPathValue(key, nullptr, pszPath);
    if (!bRegistered && pszPath)
        pszPath[0] = '\0';
    return bRegistered;
}

HRESULT CGraphEdit::ShowGraph(IUnknown* pGraph)
{
    Close();
    char szProppage_dll[MAX_PATH] = {};
    if (!IsProppageRegistered(szProppage_dll)) {
        ATLTRACE("CGraphEdit::ShowGraph(): Proppage.dll is not registered\n");
        return REGDB_E_CLASSNOTREG;
    }
    HRESULT hr = RegisterInRot(pGraph, &m_dwCookie);
    if (FAILED(hr))
        return hr;
    hr = LoadGraphEdit(szProppage_dll);
    if (hr != S_OK)
        return hr;
    if (!FindMainWindow())
        return S_FALSE;
    PostConnectCommand();
    SelectGraph(pGraph);
    return S_OK;
}

HRESULT CGraphEdit::LoadGraphEdit(LPCSTR pszProppage)
{
    char szGraphEdit[MAX_PATH] = {};
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, c_szGraphEditKey, KEY_READ) != ERROR_SUCCESS ||
        !ReadPathValue(key, "Path", szGraphEdit))
        lstrcpynA(szGraphEdit, c_szGraphEditName, MAX_PATH);
    STARTUPINFOA rgSI = {};
    rgSI.cb = sizeof(rgSI);
    rgSI.dwFlags = STARTF_USESHOWWINDOW;
    rgSI.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION rgPI = {};
    BOOL bStarted = CreateProcessA(szGraphEdit, nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                                   &rgSI, &rgPI);
    if (!bStarted && GetLastError() == ERROR_FILE_NOT_FOUND && pszProppage[0] != '\0') {
        // Next to the property-page server, if the folder and the name fit.
        lstrcpynA(szGraphEdit, pszProppage, MAX_PATH);
        char* pszSeparator = nullptr;
        for (char* psz = szGraphEdit; *psz; psz++)
            if (*psz == '\\' || *psz == '/')
                pszSeparator = psz;
        size_t nFolder = pszSeparator ? static_cast<size_t>(pszSeparator - szGraphEdit) + 1 : 0;
        if (pszSeparator && nFolder + sizeof(c_szGraphEditName) <= MAX_PATH) {
            lstrcpynA(pszSeparator + 1, c_szGraphEditName, sizeof(c_szGraphEditName));
            bStarted = CreateProcessA(szGraphEdit, nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                                      nullptr, &rgSI, &rgPI);
        } else {
            SetLastError(ERROR_FILE_NOT_FOUND);
        }
    }
    if (!bStarted)
        return LastErrorStatus();
    DWORD dwWait = WaitForInputIdle(rgPI.hProcess, c_dwIdleMs);
    if (dwWait != 0) {
        HRESULT hr = dwWait == WAIT_TIMEOUT ? E_FAIL : LastErrorStatus();
        ATLTRACE2(atlTraceGeneral, 2, "###Err### CGraphEdit::LoadGraphEdit(): WaitForInputIdle()=%u, hr=0x%X\n",
                  static_cast<unsigned>(dwWait), static_cast<unsigned>(hr));
        m_rgPI = rgPI;  // it may still come up: the next Close asks it to quit
        return hr;
    }
    m_rgPI = rgPI;
    return S_OK;
}

BOOL CALLBACK CGraphEdit::EnumMainWindowProc(HWND hWnd, LPARAM lParam)
{
    return lParam && reinterpret_cast<CGraphEdit*>(lParam)->CheckMainWindow(hWnd);
}

BOOL CALLBACK CGraphEdit::EnumDialogProc(HWND hWnd, LPARAM lParam)
{
    return lParam && reinterpret_cast<CGraphEdit*>(lParam)->CheckDialog(hWnd);
}

BOOL CALLBACK CGraphEdit::EnumListBoxProc(HWND hWnd, LPARAM lParam)
{
    return lParam && reinterpret_cast<CGraphEdit*>(lParam)->CheckListBox(hWnd);
}

bool CGraphEdit::CheckMainWindow(HWND hWnd)
{
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != m_rgPI.dwProcessId || (GetWindowLongA(hWnd, GWL_STYLE) & c_lMainWindowStyle) != c_lMainWindowStyle)
        return true;
    m_hWndGraphEdit = hWnd;
    return false;
}

bool CGraphEdit::FindMainWindow()
{
    m_hWndGraphEdit = nullptr;
    for (int nPass = 0; nPass < c_nMainWindowPasses && !m_hWndGraphEdit; nPass++)
        EnumWindows(EnumMainWindowProc, reinterpret_cast<LPARAM>(this));
    if (m_hWndGraphEdit && !WaitWhileHidden())
        m_hWndGraphEdit = nullptr;
    if (!m_hWndGraphEdit)
        ATLTRACE2(atlTraceGeneral, 2, "###Err### CGraphEdit::FindMainWindow(): GraphEdit window not found\n");
    return m_hWndGraphEdit != nullptr;
}

bool CGraphEdit::WaitWhileHidden()
{
    if (!m_hWndGraphEdit)
        return false;
    DWORD dwDeadline = GetTickCount() + c_dwVisibleMs;
    while (static_cast<LONG>(dwDeadline - GetTickCount()) >= 0) {
        if (GetWindowLongA(m_hWndGraphEdit, GWL_STYLE) & WS_VISIBLE)
            return true;
        ATLTRACE2(atlTraceGeneral, 10, "CGraphEdit::WaitWhileHidden(): wait time rest is %i ms\n",
                  static_cast<int>(dwDeadline - GetTickCount()));
        Sleep(10);
    }
    ATLTRACE2(atlTraceGeneral, 2, "###Err### CGraphEdit::WaitWhileHidden(): Wait time is ending\n");
    return false;
}

void CGraphEdit::PostConnectCommand()
{
    if (m_hWndGraphEdit)
        PostMessageA(m_hWndGraphEdit, WM_COMMAND, c_wConnectCommand, 0);
}

bool CGraphEdit::CheckDialog(HWND hWnd)
{
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (!IsWindow(hWnd) || dwProcessId != m_rgPI.dwProcessId || GetParent(hWnd) != m_hWndGraphEdit)
        return true;
    EnumChildWindows(hWnd, EnumListBoxProc, reinterpret_cast<LPARAM>(this));
    return m_hWndListBox == nullptr;  // found: the search ends
}

bool CGraphEdit::CheckListBox(HWND hWnd)
{
    char szClassName[256] = {};
    if (!IsWindow(hWnd) || !GetClassNameA(hWnd, szClassName, sizeof(szClassName)) ||
        lstrcmpA(szClassName, "ListBox") != 0)
        return true;
    m_hWndListBox = hWnd;
    return false;
}

void CGraphEdit::SelectGraph(const void* pGraph)
{
    if (!IsWindow(m_hWndGraphEdit))
        return;
    m_hWndListBox = nullptr;
    for (int nAttempt = 0; nAttempt < c_nDialogAttempts; nAttempt++) {
        EnumWindows(EnumDialogProc, reinterpret_cast<LPARAM>(this));
        if (IsWindow(m_hWndListBox)) {
            bool bAnswered = true;
            int nItem = FindGraphItem(pGraph, &bAnswered);
            if (!bAnswered)
                return;  // a hung editor: no match, and no more waiting on it
            if (nItem != -1) {
                LRESULT lResult = LB_ERR;
                if (SendToListBox(m_hWndListBox, LB_SETCURSEL, nItem, 0, &lResult) && lResult != LB_ERR)
                    PostMessageA(GetParent(m_hWndListBox), WM_COMMAND, IDOK, 0);
                return;
            }
        }
        Sleep(10);
    }
}

bool CGraphEdit::NarrowEntry(LPCWSTR pwszEntry, char (&szEntry)[64])
{
    // At most 63 bytes: the last stays the terminator whatever the conversion
    // left behind when the text did not fit.
    szEntry[sizeof(szEntry) - 1] = '\0';
    return WideCharToMultiByte(CP_THREAD_ACP, 0, pwszEntry, -1, szEntry, sizeof(szEntry) - 1, nullptr, nullptr) > 0;
}

int CGraphEdit::FindGraphItem(const void* pGraph, bool* pbAnswered)
{
    *pbAnswered = true;
    if (!IsWindow(m_hWndListBox))
        return -1;
    LRESULT nCount = 0;
    if (!SendToListBox(m_hWndListBox, LB_GETCOUNT, 0, 0, &nCount)) {
        *pbAnswered = false;
        return -1;
    }
    for (int i = 0; i < nCount; i++) {
        // Entries that do not fit the buffer are skipped, never read past it.
        WCHAR wszEntry[64] = {};
        LRESULT nLength = 0;
        *pbAnswered = SendToListBox(m_hWndListBox, LB_GETTEXTLEN, i, 0, &nLength);
        if (!*pbAnswered)
            return -1;
        if (nLength <= 0 || nLength >= static_cast<LRESULT>(ARRAYSIZE(wszEntry)))
            continue;
        // Read wide: Wine hands only an entry's first character to an 8-bit
        // LB_GETTEXT from another process. The text is then 8-bit as ever.
        LRESULT nCopied = 0;
        *pbAnswered = SendToListBox(m_hWndListBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wszEntry), &nCopied);
        if (!*pbAnswered)
            return -1;
        char szCookieName[64];
        if (nCopied > 0 && NarrowEntry(wszEntry, szCookieName) && MatchCookieName(szCookieName, pGraph))
            return i;
    }
    return -1;
}

void CGraphEdit::Close()
{
    RevokeFromRot(m_dwCookie);
    m_dwCookie = 0;
    m_hWndListBox = nullptr;
    m_hWndGraphEdit = nullptr;
    CloseGraphEdit();
}

void CGraphEdit::CloseGraphEdit()
{
    if (m_rgPI.hThread) {
        // An editor still starting has no message queue yet: the quit is
        // posted again until it arrives or the wait is over.
        DWORD dwStart = GetTickCount();
        bool bPosted = false;
        do {
            if (!bPosted)
                bPosted = PostThreadMessageA(m_rgPI.dwThreadId, WM_QUIT, 0, 0) != FALSE;
        } while (!WaitServingApartment(m_rgPI.hThread, c_dwQuitStepMs) && GetTickCount() - dwStart < c_dwQuitMs);
        CloseHandle(m_rgPI.hThread);
    }
    if (m_rgPI.hProcess)
        CloseHandle(m_rgPI.hProcess);
    m_rgPI = PROCESS_INFORMATION();
}
