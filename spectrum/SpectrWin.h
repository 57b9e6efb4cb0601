// CSpectrWin: the child window of the main dialog that shows the level
// filter's spectrum of one channel as bars.
#pragma once

#include <atlwin.h>

class CGraph;

class CSpectrWin : public CWindowImpl<CSpectrWin, CWindow,
                                      CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0>> {
public:
    CSpectrWin() = default;
    CSpectrWin(const CSpectrWin&) = delete;
    CSpectrWin& operator=(const CSpectrWin&) = delete;

    BEGIN_MSG_MAP(CSpectrWin)
    END_MSG_MAP()

    // Creates the window over rc (the parent's client coordinates), visible,
    // with a client edge. Returns 0 whether or not the window was made.
    HRESULT Create(HWND hWndParent, RECT& rc);
};
