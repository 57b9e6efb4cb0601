// CDialogImpl: a dialog from the resource T::IDD whose messages go through the
// object's message map. The object is found through the module's creation
// record on the first message and kept in a window property from then on.
#pragma once

#include "atlmodule.h"
#include "atlmsgmap.h"
#include "atlwindow.h"

namespace ATL {

template <class TBase = CWindow>
class CDialogImplBaseT : public TBase, public CMessageMap {
public:
    virtual ~CDialogImplBaseT() {}
    virtual DLGPROC GetDialogProc() { return DialogProc; }
    virtual void OnFinalMessage(HWND /*hWnd*/) {}

    static INT_PTR CALLBACK StartDialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        auto* pThis = static_cast<CDialogImplBaseT*>(_pAtlModule->ExtractCreateWndData());
        if (!pThis)
            return FALSE;
        pThis->m_hWnd = hWnd;
        AtlBindObject(hWnd, pThis);
        DLGPROC pfnDlgProc = pThis->GetDialogProc();
        ::SetWindowLongPtrA(hWnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(pfnDlgProc));
        return pfnDlgProc(hWnd, uMsg, wParam, lParam);
    }

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        auto* pThis = static_cast<CDialogImplBaseT*>(AtlBoundObject(hWnd));
        if (!pThis)
            return FALSE;
        LRESULT lRes = 0;
        if (pThis->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lRes, 0))
            return HandledResult(hWnd, uMsg, lRes);
        if (uMsg == WM_NCDESTROY) {
            AtlUnbindObject(hWnd);
            pThis->m_hWnd = nullptr;
            pThis->OnFinalMessage(hWnd);
        }
        return FALSE;
    }

    BOOL EndDialog(int nRetCode)
    {
        ATLASSERT(::IsWindow(this->m_hWnd));
        return ::EndDialog(this->m_hWnd, nRetCode);
    }

private:
    // These messages return their result directly; all others through
    // DWLP_MSGRESULT, with TRUE meaning "processed".
    static INT_PTR HandledResult(HWND hWnd, UINT uMsg, LRESULT lRes)
    {
        switch (uMsg) {
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return lRes;
        default:
            ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lRes);
            return TRUE;
        }
    }
};

template <class T, class TBase = CWindow>
class CDialogImpl : public CDialogImplBaseT<TBase> {
public:
    // Runs the dialog modally; -1 with ERROR_OUTOFMEMORY when the creation
    // record cannot be made.
    INT_PTR DoModal(HWND hWndParent = ::GetActiveWindow(), LPARAM dwInitParam = 0)
    {
        ATLASSERT(this->m_hWnd == nullptr);
        auto* pBase = static_cast<CDialogImplBaseT<TBase>*>(this);
        if (!_pAtlModule || !_pAtlModule->AddCreateWndData(pBase)) {
            ::SetLastError(ERROR_OUTOFMEMORY);
            return -1;
        }
        INT_PTR nRet = ::DialogBoxParamA(_AtlBaseModule.GetResourceInstance(), MAKEINTRESOURCEA(T::IDD),
                                         hWndParent, CDialogImplBaseT<TBase>::StartDialogProc, dwInitParam);
        _pAtlModule->RemoveCreateWndData(pBase);
        return nRet;
    }
};

}  // namespace ATL
