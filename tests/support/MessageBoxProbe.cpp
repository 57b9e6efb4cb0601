#include "MessageBoxProbe.h"

#include "WindowText.h"

namespace {

struct CSearch {
    HWND hWndExclude;
    HWND hWndFound;
};

BOOL CALLBACK FindDialogWindow(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<CSearch*>(lParam);
    if (hWnd != pSearch->hWndExclude && IsWindowVisible(hWnd) && GetClass(hWnd) == "#32770") {
        pSearch->hWndFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

void ReadChild(HWND hWndChild, CMessageBoxInfo* pInfo)
{
    std::string strClass = GetClass(hWndChild);
    if (strClass == "Button") {
        pInfo->rgButtonIds.push_back(GetDlgCtrlID(hWndChild));
    } else if (strClass == "Static") {
        if ((GetWindowLongA(hWndChild, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            if (IsWindowVisible(hWndChild))
                pInfo->hIcon = reinterpret_cast<HICON>(SendMessageA(hWndChild, STM_GETICON, 0, 0));
        } else {
            std::string strText = GetText(hWndChild);
            if (!strText.empty())
                pInfo->strText = strText;
        }
    }
}

}  // namespace

bool FindMessageBox(DWORD dwThreadId, HWND hWndExclude, DWORD dwTimeoutMs, CMessageBoxInfo* pInfo)
{
    CSearch search = {hWndExclude, nullptr};
    bool bFound = WaitUntil(
        [&] {
            EnumThreadWindows(dwThreadId, FindDialogWindow, reinterpret_cast<LPARAM>(&search));
            return search.hWndFound != nullptr;
        },
        dwTimeoutMs);
    if (!bFound)
        return false;
    *pInfo = CMessageBoxInfo();
    pInfo->hWnd = search.hWndFound;
    pInfo->strCaption = GetText(search.hWndFound);
    for (HWND hWndChild = GetWindow(search.hWndFound, GW_CHILD); hWndChild;
         hWndChild = GetWindow(hWndChild, GW_HWNDNEXT))
        ReadChild(hWndChild, pInfo);
    return true;
}

void PressMessageBoxButton(const CMessageBoxInfo& info, int nID)
{
    PostMessageA(info.hWnd, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(info.hWnd, nID)));
}
