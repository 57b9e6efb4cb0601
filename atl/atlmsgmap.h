// Message maps: CMessageMap and the BEGIN_MSG_MAP family of macros, and the
// binding of a window to the C++ object that owns it.
#pragma once

#include "atltrace.h"

namespace ATL {

class CMessageMap {
public:
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                      DWORD dwMsgMapID) = 0;
};

// The object lives in the window's user data: every message looks it up,
// and reading a window's own long is served in the process, where a window
// property costs a round trip to the window server under Wine.
inline void AtlBindObject(HWND hWnd, void* pObject)
{
    ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pObject));
}

inline void* AtlBoundObject(HWND hWnd)
{
    return reinterpret_cast<void*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

inline void AtlUnbindObject(HWND hWnd)
{
    ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
}

}  // namespace ATL

#define BEGIN_MSG_MAP(theClass)                                                                             \
public:                                                                                                     \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,         \
                              DWORD dwMsgMapID = 0)                                                         \
    {                                                                                                       \
        BOOL bHandled = TRUE;                                                                               \
        (void)hWnd;                                                                                         \
        (void)uMsg;                                                                                         \
        (void)wParam;                                                                                       \
        (void)lParam;                                                                                       \
        (void)lResult;                                                                                      \
        (void)bHandled;                                                                                     \
        switch (dwMsgMapID) {                                                                               \
        case 0:

#define MESSAGE_HANDLER(msg, func)                                                                          \
    if (uMsg == (msg)) {                                                                                    \
        bHandled = TRUE;                                                                                    \
        lResult = func(uMsg, wParam, lParam, bHandled);                                                     \
        if (bHandled)                                                                                       \
            return TRUE;                                                                                    \
    }

#define COMMAND_HANDLER(id, code, func)                                                                     \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) {                         \
        bHandled = TRUE;                                                                                    \
        lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled);           \
        if (bHandled)                                                                                       \
            return TRUE;                                                                                    \
    }

#define COMMAND_ID_HANDLER(id, func)                                                                        \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {                                                     \
        bHandled = TRUE;                                                                                    \
        lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled);           \
        if (bHandled)                                                                                       \
            return TRUE;                                                                                    \
    }

#define END_MSG_MAP()                                                                                       \
    break;                                                                                                  \
    default:                                                                                                \
        ATLTRACE2(ATL::atlTraceWindowing, 0, "Invalid message map ID (%i)\n", static_cast<int>(dwMsgMapID)); \
        break;                                                                                              \
        }                                                                                                   \
        return FALSE;                                                                                       \
    }
