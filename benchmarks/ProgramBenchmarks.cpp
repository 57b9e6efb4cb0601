// Figures for the program itself, run under Wine with the real graph manager
// and level filter; they print a table and fail on nothing.
//   Build cost: CGraph::BuildGraph on a WAV against a bare RenderFile of the
//     same file, each on a new graph manager, in the same run.
//   Tick cost: CPU time per second of playback of the real dialog with its
//     timers (level, position, spectrum poll and paint at 66 bands) against
//     the same playback with every WM_TIMER of the dialog's thread dropped.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include <atlbase.h>
#include <atlconv.h>

#include "../app/QuelmarTestModule.h"
#include "../graph/Graph.h"
#include "../ui/resource.h"
#include "DialogDriver.h"
#include "WavFile.h"

CQuelmarTestModule _AtlModule;

namespace {

constexpr int c_nBuildRuns = 20;
constexpr DWORD c_dwWarmUpMs = 1000;
constexpr DWORD c_dwMeasuredMs = 8000;
constexpr int c_nTickRounds = 4;

double NowMs()
{
    LARGE_INTEGER nCount, nFrequency;
    QueryPerformanceCounter(&nCount);
    QueryPerformanceFrequency(&nFrequency);
    return 1000.0 * static_cast<double>(nCount.QuadPart) / static_cast<double>(nFrequency.QuadPart);
}

double Median(std::vector<double> rgdbl)
{
    std::sort(rgdbl.begin(), rgdbl.end());
    size_t n = rgdbl.size();
    return n % 2 ? rgdbl[n / 2] : (rgdbl[n / 2 - 1] + rgdbl[n / 2]) / 2.0;
}

// ---- Build cost ------------------------------------------------------------

double TimeCGraphBuild(const std::string& strPath, HWND hWndNotify)
{
    CGraph graph;
    double dblStart = NowMs();
    HRESULT hr = graph.BuildGraph(strPath.c_str(), hWndNotify, WM_APP);
    double dblMs = NowMs() - dblStart;
    return hr == S_OK ? dblMs : -1.0;
}  // torn down outside the timing

double TimeBareRenderFile(const std::string& strPath)
{
    CComPtr<IGraphBuilder> spGraph;
    double dblStart = NowMs();
    HRESULT hr = spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER);
    if (SUCCEEDED(hr))
        hr = spGraph->RenderFile(CA2W(strPath.c_str()), nullptr);
    double dblMs = NowMs() - dblStart;
    return hr == S_OK ? dblMs : -1.0;
}

bool MeasureBuildCost(const std::string& strPath)
{
    HWND hWndNotify = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    TimeCGraphBuild(strPath, hWndNotify);  // loads every DLL once
    TimeBareRenderFile(strPath);
    std::vector<double> rgdblOurs, rgdblBare;
    for (int i = 0; i < c_nBuildRuns; i++) {  // interleaved, so drift hits both alike
        rgdblOurs.push_back(TimeCGraphBuild(strPath, hWndNotify));
        rgdblBare.push_back(TimeBareRenderFile(strPath));
    }
    DestroyWindow(hWndNotify);
    if (*std::min_element(rgdblOurs.begin(), rgdblOurs.end()) < 0 ||
        *std::min_element(rgdblBare.begin(), rgdblBare.end()) < 0) {
        printf("build cost: a build failed\n");
        return false;
    }
    double dblOurs = Median(rgdblOurs), dblBare = Median(rgdblBare);
    printf("build cost, median of %d (graph manager created in both):\n", c_nBuildRuns);
    printf("  CGraph::BuildGraph   %8.2f ms (min %.2f)\n", dblOurs, *std::min_element(rgdblOurs.begin(), rgdblOurs.end()));
    printf("  bare RenderFile      %8.2f ms (min %.2f)\n", dblBare, *std::min_element(rgdblBare.begin(), rgdblBare.end()));
    printf("  ratio                %8.2f, insertion %+.2f ms\n", dblOurs / dblBare, dblOurs - dblBare);
    return true;
}

// ---- Tick cost -------------------------------------------------------------

std::atomic<bool> g_bDropTimers(false);
HHOOK g_hHook = nullptr;

// Drops the UI thread's WM_TIMER while asked to: the dialog plays on, with
// none of its timer work.
LRESULT CALLBACK DropTimers(int nCode, WPARAM wParam, LPARAM lParam)
{
    auto* pMsg = reinterpret_cast<MSG*>(lParam);
    if (nCode == HC_ACTION && wParam == PM_REMOVE && pMsg->message == WM_TIMER && g_bDropTimers)
        pMsg->message = WM_NULL;
    return CallNextHookEx(g_hHook, nCode, wParam, lParam);
}

double CpuMs(const FILETIME& ftKernel, const FILETIME& ftUser)
{
    auto toMs = [](const FILETIME& ft) { return ((static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 1.0e4; };
    return toMs(ftKernel) + toMs(ftUser);
}

double ProcessCpuMs()
{
    FILETIME ftCreation, ftExit, ftKernel, ftUser;
    return GetProcessTimes(GetCurrentProcess(), &ftCreation, &ftExit, &ftKernel, &ftUser) ? CpuMs(ftKernel, ftUser) : 0.0;
}

double ThreadCpuMs(HANDLE hThread)
{
    FILETIME ftCreation, ftExit, ftKernel, ftUser;
    return GetThreadTimes(hThread, &ftCreation, &ftExit, &ftKernel, &ftUser) ? CpuMs(ftKernel, ftUser) : 0.0;
}

struct CTickFigures {
    double dblProcessMsPerSecond;
    double dblUiThreadMsPerSecond;
};

// One measured stretch of playback of the dialog, with or without its timers.
CTickFigures MeasurePlayback(const CDialogDriver& dialog, HANDLE hUiThread, bool bDropTimers)
{
    g_bDropTimers = bDropTimers;
    dialog.PostCommand(IDC_PLAY);
    dialog.Sync();
    Sleep(c_dwWarmUpMs);
    double dblProcess = ProcessCpuMs(), dblThread = ThreadCpuMs(hUiThread);
    double dblStart = NowMs();
    Sleep(c_dwMeasuredMs);
    double dblSeconds = (NowMs() - dblStart) / 1000.0;
    CTickFigures figures = {(ProcessCpuMs() - dblProcess) / dblSeconds, (ThreadCpuMs(hUiThread) - dblThread) / dblSeconds};
    dialog.PostCommand(IDC_STOP);
    dialog.Sync();
    g_bDropTimers = false;
    return figures;
}

bool MeasureTickCost(const std::string& strPath)
{
    CDialogDriver dialog([] { g_hHook = SetWindowsHookExA(WH_GETMESSAGE, DropTimers, nullptr, GetCurrentThreadId()); },
                         [] { UnhookWindowsHookEx(g_hHook); });
    if (!dialog.Dialog() || !g_hHook) {
        printf("tick cost: the dialog did not open\n");
        return false;
    }
    dialog.Send(IDC_FILE, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strPath.c_str()));
    dialog.PostCommand(IDC_BUILD_GRAPH);
    dialog.Sync();
    LRESULT nRow = dialog.Send(IDC_BANDS_PER_OCTAVE, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>("6"));  // 6 a octave: 66 bands
    dialog.Send(IDC_BANDS_PER_OCTAVE, CB_SETCURSEL, nRow);
    dialog.PostCommand(IDC_BANDS_PER_OCTAVE, CBN_SELCHANGE);
    dialog.Sync();
    if (nRow == CB_ERR || !IsWindowEnabled(dialog.Item(IDC_PLAY)) ||
        dialog.Send(IDC_SPECTRUM, BM_GETCHECK) != BST_CHECKED) {
        printf("tick cost: the graph did not build with the spectrum on\n");
        return false;
    }
    HANDLE hUiThread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, dialog.ThreadId());
    CTickFigures with = {}, without = {};
    for (int i = 0; i < c_nTickRounds; i++) {  // alternated, averaged
        CTickFigures a = MeasurePlayback(dialog, hUiThread, false), b = MeasurePlayback(dialog, hUiThread, true);
        with.dblProcessMsPerSecond += a.dblProcessMsPerSecond / c_nTickRounds;
        with.dblUiThreadMsPerSecond += a.dblUiThreadMsPerSecond / c_nTickRounds;
        without.dblProcessMsPerSecond += b.dblProcessMsPerSecond / c_nTickRounds;
        without.dblUiThreadMsPerSecond += b.dblUiThreadMsPerSecond / c_nTickRounds;
    }
    CloseHandle(hUiThread);
    printf("tick cost, CPU ms per second of playback, %d rounds of %lu s (66 bands):\n", c_nTickRounds,
           c_dwMeasuredMs / 1000);
    printf("  with the dialog's timers     process %7.2f   UI thread %7.2f\n", with.dblProcessMsPerSecond,
           with.dblUiThreadMsPerSecond);
    printf("  without (WM_TIMER dropped)   process %7.2f   UI thread %7.2f\n", without.dblProcessMsPerSecond,
           without.dblUiThreadMsPerSecond);
    printf("  timer work (UI thread)       %7.2f ms/s\n", with.dblUiThreadMsPerSecond - without.dblUiThreadMsPerSecond);
    printf("  process ratio                %7.2f (difference %+.2f ms/s)\n",
           with.dblProcessMsPerSecond / without.dblProcessMsPerSecond,
           with.dblProcessMsPerSecond - without.dblProcessMsPerSecond);
    return true;
}

}  // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string strPath = TestFilePath("bench-tone.wav");
    // Each stretch plays from the start (Stop rewinds), so one stretch and a margin.
    double dblSeconds = (c_dwWarmUpMs + c_dwMeasuredMs) / 1000.0 + 3.0;
    bool bOk = WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 2, 44100, false}, Sines({-6.0, -12.0}, 1000.0, 44100, dblSeconds));
    bOk = bOk && MeasureBuildCost(strPath);
    bOk = MeasureTickCost(strPath) && bOk;
    CoUninitialize();
    return bOk ? 0 : 1;
}
