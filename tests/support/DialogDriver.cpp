#include "DialogDriver.h"

#include "../../ui/MainDialog.h"
#include "WindowText.h"

namespace {

BOOL CALLBACK FindVisibleDialog(HWND hWnd, LPARAM lParam)
{
    if (IsWindowVisible(hWnd) && GetClass(hWnd) == "#32770") {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

// A message-only window on the UI thread: a marker posted to it is handled
// only after everything posted to that thread before it.
constexpr UINT c_uSyncMarker = WM_APP + 1;
constexpr char c_szSyncClass[] = "QuelmarTestSync";

LRESULT CALLBACK SyncWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == c_uSyncMarker) {
        SetEvent(reinterpret_cast<HANDLE>(lParam));
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

HWND CreateSyncWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SyncWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = c_szSyncClass;
    RegisterClassA(&wc);  // fails harmlessly once registered
    return CreateWindowExA(0, c_szSyncClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

}  // namespace

CDialogDriver::CDialogDriver(std::function<void()> fnSetUp, std::function<void()> fnTearDown)
    : m_fnSetUp(std::move(fnSetUp)), m_fnTearDown(std::move(fnTearDown)),
      m_hEnded(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_hSynced(CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
    HANDLE hStarted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this, hStarted] {
        m_dwThreadId = GetCurrentThreadId();
        SetEvent(hStarted);
        RunDialog();
    });
    WaitForSingleObject(hStarted, INFINITE);
    CloseHandle(hStarted);
    // The dialog becomes visible only after WM_INITDIALOG has been handled.
    WaitUntil(
        [this] {
            EnumThreadWindows(m_dwThreadId, FindVisibleDialog, reinterpret_cast<LPARAM>(&m_hWndDialog));
            return m_hWndDialog != nullptr || WaitForSingleObject(m_hEnded, 0) == WAIT_OBJECT_0;
        },
        10000);
}

CDialogDriver::~CDialogDriver()
{
    if (WaitForSingleObject(m_hEnded, 0) != WAIT_OBJECT_0 && IsWindow(m_hWndDialog))
        PostMessageA(m_hWndDialog, WM_COMMAND, IDCANCEL, 0);
    m_thread.join();
    CloseHandle(m_hEnded);
    CloseHandle(m_hSynced);
}

void CDialogDriver::RunDialog()
{
    CoInitialize(nullptr);
    m_hWndSync = CreateSyncWindow();
    if (m_fnSetUp)
        m_fnSetUp();
    {
        CMainDialog dlg;
        m_nResult = dlg.DoModal(nullptr, 0);
    }
    if (m_fnTearDown)
        m_fnTearDown();
    DestroyWindow(m_hWndSync);
    CoUninitialize();
    SetEvent(m_hEnded);
}

std::string CDialogDriver::Text(int nID) const
{
    return GetText(Item(nID));
}

LRESULT CDialogDriver::Send(int nID, UINT uMsg, WPARAM wParam, LPARAM lParam) const
{
    return SendMessageA(Item(nID), uMsg, wParam, lParam);
}

void CDialogDriver::PostCommand(int nID, WORD wNotifyCode) const
{
    PostMessageA(m_hWndDialog, WM_COMMAND, MAKEWPARAM(nID, wNotifyCode), reinterpret_cast<LPARAM>(Item(nID)));
}

void CDialogDriver::Sync() const
{
    PostMessageA(m_hWndSync, c_uSyncMarker, 0, reinterpret_cast<LPARAM>(m_hSynced));
    WaitForSingleObject(m_hSynced, 10000);
}

INT_PTR CDialogDriver::WaitForEnd(DWORD dwTimeoutMs)
{
    if (WaitForSingleObject(m_hEnded, dwTimeoutMs) != WAIT_OBJECT_0)
        return -2;
    return m_nResult;
}

HWND CDialogDriver::FocusWindow() const
{
    GUITHREADINFO gti = {};
    gti.cbSize = sizeof(gti);
    GetGUIThreadInfo(m_dwThreadId, &gti);
    return gti.hwndFocus;
}
