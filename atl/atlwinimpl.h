// CWindowImpl: a window class of our own whose messages go through the
// object's message map. The class is registered on the first Create under a
// generated name; the creating object is found through the module's creation
// record on the first message and kept in a window property from then on.
#pragma once

#include "atlmodule.h"
#include "atlmsgmap.h"
#include "atlwindow.h"

#include <mutex>

namespace ATL {

template <DWORD t_dwStyle = 0, DWORD t_dwExStyle = 0>
class CWinTraits {
public:
    static DWORD GetWndStyle(DWORD dwStyle) { return dwStyle == 0 ? t_dwStyle : dwStyle; }
    static DWORD GetWndExStyle(DWORD dwExStyle) { return dwExStyle == 0 ? t_dwExStyle : dwExStyle; }
};

typedef CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0> CControlWinTraits;

class CWndClassInfo {
public:
    // Registers the class once per process; 0 when registration fails.
    ATOM Register()
    {
        std::lock_guard<std::mutex> lock(m_mutexRegister);
        if (m_atom)
            return m_atom;
        if (!m_wc.lpszClassName) {
            wsprintfA(m_szAutoName, "ATL:%p", static_cast<void*>(&m_wc));
            m_wc.lpszClassName = m_szAutoName;
        }
        m_wc.hInstance = _AtlBaseModule.GetModuleInstance();
        m_wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(m_lpszCursorID));
        m_atom = ::RegisterClassExA(&m_wc);
        return m_atom;
    }

    WNDCLASSEXA m_wc;
    LPCSTR m_lpszCursorID;
    ATOM m_atom;
    char m_szAutoName[5 + sizeof(void*) * 2 + 1];
    std::mutex m_mutexRegister;
};

// Class style CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, background COLOR_WINDOW + 1,
// the arrow cursor, no extra bytes.
#define DECLARE_WND_CLASS(WndClassName)                                                                     \
    static ATL::CWndClassInfo& GetWndClassInfo()                                                            \
    {                                                                                                       \
        static ATL::CWndClassInfo wc = {                                                                    \
            {sizeof(WNDCLASSEXA), CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, StartWindowProc, 0, 0, nullptr,      \
             nullptr, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr, WndClassName, nullptr},  \
            IDC_ARROW, 0, "", {}};                                                                          \
        return wc;                                                                                          \
    }

template <class TBase = CWindow, class TWinTraits = CControlWinTraits>
class CWindowImplBaseT : public TBase, public CMessageMap {
public:
    virtual ~CWindowImplBaseT() {}
    virtual WNDPROC GetWindowProc() { return WindowProc; }
    virtual void OnFinalMessage(HWND /*hWnd*/) {}

    static DWORD GetWndStyle(DWORD dwStyle) { return TWinTraits::GetWndStyle(dwStyle); }
    static DWORD GetWndExStyle(DWORD dwExStyle) { return TWinTraits::GetWndExStyle(dwExStyle); }

    LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        return ::DefWindowProcA(this->m_hWnd, uMsg, wParam, lParam);
    }

    static LRESULT CALLBACK StartWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        auto* pThis = static_cast<CWindowImplBaseT*>(_pAtlModule->ExtractCreateWndData());
        if (!pThis)
            return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
        pThis->m_hWnd = hWnd;
        AtlBindObject(hWnd, pThis);
        WNDPROC pfnWndProc = pThis->GetWindowProc();
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnWndProc));
        return pfnWndProc(hWnd, uMsg, wParam, lParam);
    }

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        auto* pThis = static_cast<CWindowImplBaseT*>(AtlBoundObject(hWnd));
        if (!pThis)
            return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
        LRESULT lRes = 0;
        if (!pThis->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lRes, 0))
            lRes = ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
        if (uMsg == WM_NCDESTROY) {
            AtlUnbindObject(hWnd);
            pThis->m_hWnd = nullptr;
            pThis->OnFinalMessage(hWnd);
        }
        return lRes;
    }

protected:
    HWND CreateWithClass(ATOM atom, HWND hWndParent, _U_RECT rect, LPCSTR szWindowName, DWORD dwStyle,
                         DWORD dwExStyle, _U_MENUorID MenuOrID, LPVOID lpCreateParam)
    {
        ATLASSERT(this->m_hWnd == nullptr);
        if (!atom || !_pAtlModule->AddCreateWndData(static_cast<CWindowImplBaseT*>(this)))
            return nullptr;
        HWND hWnd = TBase::Create(reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(atom)), hWndParent, rect,
                                  szWindowName, dwStyle, dwExStyle, MenuOrID, lpCreateParam);
        if (!hWnd)
            _pAtlModule->RemoveCreateWndData(static_cast<CWindowImplBaseT*>(this));
        return hWnd;
    }
};

template <class T, class TBase = CWindow, class TWinTraits = CControlWinTraits>
class CWindowImpl : public CWindowImplBaseT<TBase, TWinTraits> {
public:
    typedef CWindowImplBaseT<TBase, TWinTraits> _baseClass;
    using _baseClass::StartWindowProc;

    DECLARE_WND_CLASS(nullptr)

    HWND Create(HWND hWndParent, _U_RECT rect = nullptr, LPCSTR szWindowName = nullptr, DWORD dwStyle = 0,
                DWORD dwExStyle = 0, _U_MENUorID MenuOrID = 0U, LPVOID lpCreateParam = nullptr)
    {
        ATOM atom = T::GetWndClassInfo().Register();
        return this->CreateWithClass(atom, hWndParent, rect, szWindowName, T::GetWndStyle(dwStyle),
                                     T::GetWndExStyle(dwExStyle), MenuOrID, lpCreateParam);
    }
};

}  // namespace ATL
