#include "SpectrWin.h"

HRESULT CSpectrWin::Create(HWND hWndParent, RECT& rc)
{
    CWindowImpl::Create(hWndParent, rc, "", WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE, 0U, nullptr);
    return 0;
}
