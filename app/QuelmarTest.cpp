// The program's entry point: runs the main dialog modally and exits with 0.
#include "QuelmarTestModule.h"

#include "../ui/MainDialog.h"

CQuelmarTestModule _AtlModule;

int WINAPI WinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/, LPSTR /*lpCmdLine*/, int /*nShowCmd*/)
{
    // A failure here is not shown: building a graph then reports its own error.
    CoInitialize(nullptr);
    HWND hWndOwner = GetActiveWindow();
    {
        CMainDialog dlg;
        dlg.DoModal(hWndOwner, 0);
    }
    CoUninitialize();
    return 0;
}
