// A stand-in for the external graph editor, behaving as the program relies
// on: a main window with caption, system menu and sizing border; command
// 0x8034 opens a dialog, owned by it, whose "ListBox" lists the running
// object table's "FilterGraph" entries; OK binds to the selected graph and
// titles the main window "Connected"; WM_QUIT ends it. QUELMAR_STANDIN in
// the environment slows or spoils it: "slow-idle", "hidden", "late-dialog";
// "hold-graph" keeps the bound graph until it quits (and releases it then,
// through the graph's apartment); "hung-list" opens the dialog at once and
// hangs for a minute at the first LB_GETCOUNT, titled "Hung".
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

HWND g_hWndMain = nullptr;
HWND g_hWndDialog = nullptr;
HWND g_hWndList = nullptr;
WNDPROC g_pfnListProc = nullptr;
std::vector<IMoniker*> g_rgMonikers;
IUnknown* g_pHeldGraph = nullptr;

bool HasOption(const char* pszOption)
{
    char sz[256] = {};
    GetEnvironmentVariableA("QUELMAR_STANDIN", sz, sizeof(sz));
    return strstr(sz, pszOption) != nullptr;
}

// One entry per "!FilterGraph <graph> pid <pid>" name, as the editor lists them.
void FillList()
{
    IRunningObjectTable* pROT = nullptr;
    IEnumMoniker* pEnum = nullptr;
    IBindCtx* pBindCtx = nullptr;
    if (FAILED(GetRunningObjectTable(0, &pROT)) || FAILED(pROT->EnumRunning(&pEnum)) ||
        FAILED(CreateBindCtx(0, &pBindCtx)))
        return;
    SendMessageA(g_hWndList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("an entry of no graph"));
    g_rgMonikers.push_back(nullptr);
    SendMessageA(g_hWndList, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>("an entry far too long to be read into a buffer of sixty-four characters"));
    g_rgMonikers.push_back(nullptr);
    for (IMoniker* pMoniker = nullptr; pEnum->Next(1, &pMoniker, nullptr) == S_OK;) {
        LPOLESTR pszName = nullptr;
        unsigned long ulGraph = 0, ulPid = 0;
        if (SUCCEEDED(pMoniker->GetDisplayName(pBindCtx, nullptr, &pszName)) &&
            swscanf(pszName, L"!FilterGraph %lx pid %lx", &ulGraph, &ulPid) == 2) {
            char szEntry[64];
            snprintf(szEntry, sizeof(szEntry), "pid %08lx IFilterGraph = %08lx", ulPid, ulGraph);
            SendMessageA(g_hWndList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(szEntry));
            g_rgMonikers.push_back(pMoniker);
        } else {
            pMoniker->Release();
        }
        CoTaskMemFree(pszName);
    }
    pBindCtx->Release();
    pEnum->Release();
    pROT->Release();
}

void Connect()
{
    LRESULT nSelected = SendMessageA(g_hWndList, LB_GETCURSEL, 0, 0);
    IRunningObjectTable* pROT = nullptr;
    IUnknown* pGraph = nullptr;
    if (nSelected >= 0 && static_cast<size_t>(nSelected) < g_rgMonikers.size() && g_rgMonikers[nSelected] &&
        SUCCEEDED(GetRunningObjectTable(0, &pROT)) && pROT->GetObject(g_rgMonikers[nSelected], &pGraph) == S_OK) {
        SetWindowTextA(g_hWndMain, "Connected");
        if (HasOption("hold-graph") && !g_pHeldGraph)
            g_pHeldGraph = pGraph;
        else
            pGraph->Release();
    }
    if (pROT)
        pROT->Release();
    DestroyWindow(g_hWndDialog);
}

LRESULT CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDOK) {
        Connect();
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK HungListProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == LB_GETCOUNT) {
        SetWindowTextA(g_hWndMain, "Hung");
        Sleep(60000);
    }
    return CallWindowProcA(g_pfnListProc, hWnd, uMsg, wParam, lParam);
}

void OpenConnectDialog()
{
    g_hWndDialog = CreateWindowExA(0, "StandInConnect", "Connect to graph", WS_POPUP | WS_CAPTION | WS_VISIBLE, 50, 50,
                                   400, 200, g_hWndMain, nullptr, nullptr, nullptr);
    g_hWndList = CreateWindowExA(0, "ListBox", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 370, 150, g_hWndDialog,
                                 nullptr, nullptr, nullptr);
    FillList();
    if (HasOption("hung-list"))
        g_pfnListProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(g_hWndList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HungListProc)));
}

LRESULT CALLBACK MainProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND && wParam == 0x00018034) {
        if (HasOption("hung-list"))
            return 0;  // the dialog is open already
        if (HasOption("late-dialog"))
            SetTimer(hWnd, 1, 300, nullptr);
        else
            OpenConnectDialog();
        return 0;
    }
    if (uMsg == WM_TIMER) {
        KillTimer(hWnd, 1);
        OpenConnectDialog();
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

void RegisterClasses()
{
    WNDCLASSA wc = {};
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = "StandInGraphEdit";
    RegisterClassA(&wc);
    wc.lpfnWndProc = DialogProc;
    wc.lpszClassName = "StandInConnect";
    RegisterClassA(&wc);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (HasOption("slow-idle"))
        Sleep(5000);  // not idle within the program's second, however loaded the machine
    CoInitialize(nullptr);
    RegisterClasses();
    g_hWndMain = CreateWindowExA(0, "StandInGraphEdit", "Stand-in GraphEdit", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    if (!HasOption("hidden"))
        ShowWindow(g_hWndMain, SW_SHOWNORMAL);
    if (HasOption("hung-list"))
        OpenConnectDialog();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (g_pHeldGraph)
        g_pHeldGraph->Release();
    for (IMoniker* pMoniker : g_rgMonikers)
        if (pMoniker)
            pMoniker->Release();
    CoUninitialize();
    return 0;
}
