// Clicks buttons of a running QuelmarTest, as a user would, for screenshots:
//   ClickQuelmar.exe 203 211        ("Build graph", then "Play")
//   ClickQuelmar.exe 202= 203       (empty the file edit, then "Build graph")
// "ID" clicks a button, "ID=TEXT" types TEXT into a control; each step half a
// second after the last. Exit code 1 when the dialog cannot be found.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam)
{
    char szText[64] = {};
    GetWindowTextA(hWnd, szText, sizeof(szText));
    if (IsWindowVisible(hWnd) && (lstrcmpA(szText, "QuelmarTest") == 0 || strncmp(szText, "Test for ", 9) == 0)) {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    HWND hWndDialog = nullptr;
    for (int i = 0; i < 100 && !hWndDialog; i++) {
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&hWndDialog));
        Sleep(100);
    }
    if (!hWndDialog)
        return 1;
    for (int i = 1; i < argc; i++) {
        HWND hWndControl = GetDlgItem(hWndDialog, atoi(argv[i]));
        if (const char* pszText = strchr(argv[i], '='))
            SendMessageA(hWndControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszText + 1));
        else
            PostMessageA(hWndControl, BM_CLICK, 0, 0);
        Sleep(500);
    }
    return 0;
}
