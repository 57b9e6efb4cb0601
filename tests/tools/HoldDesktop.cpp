// Holds the Wine session's desktop open for a whole test run: the desktop,
// and the process that draws it, would otherwise close whenever no program
// uses it and start again with the next one, inheriting its standard handles.
// Waits for messages until the session is ended.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HWND hWnd = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    DestroyWindow(hWnd);
    return 0;
}
