// Message maps: CMessageMap and the BEGIN_MSG_MAP family of macros, and the
// window property that binds a window to the C++ object that owns it.
#pragma once

#include "atltrace.h"

namespace ATL {

class CMessageMap {
public:
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                      DWORD dwMsgMapID) = 0;
};

constexpr const char* c_szAtlObjectProperty = "ATL.Object";

inline void AtlBindObject(HWND hWnd, void* pObject)
{
    ::SetPropA(hWnd, c_szAtlObjectProperty, pObject);
}

inline void* AtlBoundObject(HWND hWnd)
{
    return ::GetPropA(hWnd, c_szAtlObjectProperty);
}

inline void AtlUnbindObject(HWND hWnd)
{
    ::RemovePropA(hWnd, c_szAtlObjectProperty);
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
