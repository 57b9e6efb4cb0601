// CWindow: a window handle with thin forwarding to the Win32 calls of the
// same names (8-bit text throughout).
#pragma once

#include "atlmodule.h"

namespace ATL {

// A rectangle argument given as a RECT or a pointer to one.
class _U_RECT {
public:
    _U_RECT(LPRECT lpRect) : m_lpRect(lpRect) {}
    _U_RECT(RECT& rc) : m_lpRect(&rc) {}

    LPRECT m_lpRect;
};

// A menu handle, or a child window's control id, as CreateWindowEx takes it.
class _U_MENUorID {
public:
    _U_MENUorID(HMENU hMenu) : m_hMenu(hMenu) {}
    _U_MENUorID(UINT nID) : m_hMenu(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))) {}

    HMENU m_hMenu;
};

class CWindow {
public:
    CWindow(HWND hWnd = nullptr) : m_hWnd(hWnd) {}

    operator HWND() const { return m_hWnd; }
    void Attach(HWND hWndNew) { m_hWnd = hWndNew; }
    HWND Detach()
    {
        HWND hWnd = m_hWnd;
        m_hWnd = nullptr;
        return hWnd;
    }

    HWND Create(LPCSTR lpstrWndClass, HWND hWndParent, _U_RECT rect = nullptr, LPCSTR szWindowName = nullptr,
                DWORD dwStyle = 0, DWORD dwExStyle = 0, _U_MENUorID MenuOrID = 0U, LPVOID lpCreateParam = nullptr)
    {
        RECT rcDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};
        LPRECT lpRect = rect.m_lpRect ? rect.m_lpRect : &rcDefault;
        m_hWnd = ::CreateWindowExA(dwExStyle, lpstrWndClass, szWindowName, dwStyle, lpRect->left, lpRect->top,
                                   lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, hWndParent,
                                   MenuOrID.m_hMenu, _AtlBaseModule.GetModuleInstance(), lpCreateParam);
        return m_hWnd;
    }
    BOOL DestroyWindow()
    {
        if (!::DestroyWindow(m_hWnd))
            return FALSE;
        m_hWnd = nullptr;
        return TRUE;
    }

    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }

    CWindow GetDlgItem(int nID) const { return CWindow(::GetDlgItem(m_hWnd, nID)); }
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
    }
    BOOL SetDlgItemText(int nID, LPCSTR lpszString) const { return ::SetDlgItemTextA(m_hWnd, nID, lpszString); }
    UINT GetDlgItemText(int nID, LPSTR lpStr, int nMaxCount) const
    {
        return ::GetDlgItemTextA(m_hWnd, nID, lpStr, nMaxCount);
    }
    BOOL SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE) const
    {
        return ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned);
    }
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const
    {
        return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
    }
    BOOL CheckDlgButton(int nIDButton, UINT nCheck) const { return ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
    UINT IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }

    BOOL SetWindowText(LPCSTR lpszString) const { return ::SetWindowTextA(m_hWnd, lpszString); }
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const
    {
        return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount);
    }

    BOOL GetWindowRect(LPRECT lpRect) const { return ::GetWindowRect(m_hWnd, lpRect); }
    BOOL GetClientRect(LPRECT lpRect) const { return ::GetClientRect(m_hWnd, lpRect); }
    BOOL ScreenToClient(LPPOINT lpPoint) const { return ::ScreenToClient(m_hWnd, lpPoint); }
    BOOL ClientToScreen(LPPOINT lpPoint) const { return ::ClientToScreen(m_hWnd, lpPoint); }
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) const
    {
        return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
    }
    BOOL MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) const
    {
        return ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }

    BOOL ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL EnableWindow(BOOL bEnable = TRUE) const { return ::EnableWindow(m_hWnd, bEnable); }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }
    BOOL InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE) const { return ::InvalidateRect(m_hWnd, lpRect, bErase); }
    BOOL Invalidate(BOOL bErase = TRUE) const { return ::InvalidateRect(m_hWnd, nullptr, bErase); }

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr) const
    {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) const { return ::KillTimer(m_hWnd, nIDEvent); }

    // Centres a top-level window over its owner when that is visible and not
    // minimised, else in the work area of the nearest monitor; a child window
    // over its parent's client area. Then keeps it inside that area.
    BOOL CenterWindow(HWND hWndCenter = nullptr) const
    {
        RECT rcArea, rcCenter;
        if (GetStyle() & WS_CHILD)
            GetChildCentringAreas(hWndCenter, &rcArea, &rcCenter);
        else
            GetTopLevelCentringAreas(hWndCenter, &rcArea, &rcCenter);

        RECT rcWindow;
        GetWindowRect(&rcWindow);
        int cx = rcWindow.right - rcWindow.left;
        int cy = rcWindow.bottom - rcWindow.top;
        int x = KeepInside((rcCenter.left + rcCenter.right) / 2 - cx / 2, cx, rcArea.left, rcArea.right);
        int y = KeepInside((rcCenter.top + rcCenter.bottom) / 2 - cy / 2, cy, rcArea.top, rcArea.bottom);
        return SetWindowPos(nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    HWND m_hWnd;

private:
    void GetChildCentringAreas(HWND hWndCenter, LPRECT prcArea, LPRECT prcCenter) const
    {
        HWND hWndParent = ::GetParent(m_hWnd);
        if (!hWndCenter)
            hWndCenter = hWndParent;
        ::GetClientRect(hWndParent, prcArea);
        ::GetClientRect(hWndCenter, prcCenter);
        ::MapWindowPoints(hWndCenter, hWndParent, reinterpret_cast<LPPOINT>(prcCenter), 2);
    }
    void GetTopLevelCentringAreas(HWND hWndCenter, LPRECT prcArea, LPRECT prcCenter) const
    {
        if (!hWndCenter)
            hWndCenter = ::GetWindow(m_hWnd, GW_OWNER);
        if (hWndCenter && (!::IsWindowVisible(hWndCenter) || ::IsIconic(hWndCenter)))
            hWndCenter = nullptr;
        MONITORINFO mi = {};
        mi.cbSize = sizeof(mi);
        ::GetMonitorInfoA(::MonitorFromWindow(hWndCenter ? hWndCenter : m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
        *prcArea = mi.rcWork;
        if (hWndCenter)
            ::GetWindowRect(hWndCenter, prcCenter);
        else
            *prcCenter = mi.rcWork;
    }
    static int KeepInside(int nPos, int nSize, int nLow, int nHigh)
    {
        if (nPos + nSize > nHigh)
            nPos = nHigh - nSize;
        if (nPos < nLow)
            nPos = nLow;
        return nPos;
    }
};

}  // namespace ATL
