// QuelmarTest.exe as a user meets it: started as a process under the real
// graph manager and level filter, and driven from outside only through its
// windows: typed paths, clicked buttons, keys on trackbars, message boxes.
#include <gtest/gtest.h>

#include <atlbase.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "BadFiles.h"
#include "MessageBoxProbe.h"
#include "ProcessResources.h"
#include "ProgramProcess.h"
#include "../runner/ThreadStack.h"
#include "WavFile.h"
#include "WindowText.h"
#include "../filter/DirectShow.h"
#include "../ui/resource.h"

namespace {

constexpr DWORD c_dwStepTimeoutMs = 15000;
// The module that a thread stuck in Wine's GStreamer parser waits in.
constexpr char c_szPlatformParser[] = "winegstreamer";

// A stereo 1 kHz tone at -6 dB in both channels, as a test file.
std::string ToneFile(const std::string& strName, double dblSeconds)
{
    std::string strPath = TestFilePath(strName);
    WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 2, 44100, false}, Sines({-6.0, -6.0}, 1000.0, 44100, dblSeconds));
    return strPath;
}

// The position text of a stopped graph at its start, for a file of whole seconds.
std::string StartText(int nSeconds)
{
    char sz[64];
    snprintf(sz, sizeof(sz), "0.0000000 : %d.0000000", nSeconds);
    return sz;
}

std::string ErrorSuffix(HRESULT hr)
{
    char sz[32];
    snprintf(sz, sizeof(sz), "Error 0x%X", static_cast<unsigned>(hr));
    return sz;
}

bool EndsWith(const std::string& str, const std::string& strEnd)
{
    return str.size() >= strEnd.size() && str.compare(str.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}

class WholeProgram : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }

    // Starts the program (again); false when its dialog did not appear.
    bool Start()
    {
        m_pProgram.reset(new CProgram);
        m_hWndDialog = m_pProgram->Started() ? m_pProgram->WaitForDialog() : nullptr;
        EXPECT_NE(nullptr, m_hWndDialog) << CProgram::Path() << " error " << GetLastError();
        return m_hWndDialog != nullptr;
    }
    bool Responding() const { return SendWithin(m_hWndDialog, WM_NULL, 0, 0) == 0; }

    HWND Control(int nID) const { return GetDlgItem(m_hWndDialog, nID); }
    int LevelBar() const { return static_cast<int>(SendWithin(Control(IDC_LEVEL), PBM_GETPOS, 0, 0)); }
    bool Checked(int nID) const { return SendWithin(Control(nID), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // The played time the position text shows, in seconds.
    double PositionSeconds() const { return atof(GetText(Control(IDC_POSITION_TEXT)).c_str()); }

    bool WaitForLevelBar(int nLow, int nHigh) const
    {
        return WaitUntil([&] { return LevelBar() >= nLow && LevelBar() <= nHigh; }, c_dwStepTimeoutMs);
    }
    bool WaitForPositionText(const std::string& strText) const
    {
        return WaitUntil([&] { return GetText(Control(IDC_POSITION_TEXT)) == strText; }, c_dwStepTimeoutMs);
    }
    bool FindBox(CMessageBoxInfo* pInfo, DWORD dwTimeoutMs = c_dwStepTimeoutMs) const
    {
        return FindMessageBox(m_pProgram->ThreadId(), m_hWndDialog, dwTimeoutMs, pInfo);
    }
    // Presses OK and waits until the box has gone, so the dialog is usable again.
    static bool Dismiss(const CMessageBoxInfo& box)
    {
        PressMessageBoxButton(box, IDOK);
        return WaitUntil([&] { return !IsWindow(box.hWnd); }, c_dwStepTimeoutMs);
    }

    // Types the path and clicks "Build graph".
    void Build(const std::string& strPath) const
    {
        TypeText(Control(IDC_FILE), strPath);
        Click(Control(IDC_BUILD_GRAPH));
    }
    // Builds a file of nSeconds; true once the dialog shows it ready to play.
    bool BuildGood(const std::string& strPath, int nSeconds) const
    {
        Build(strPath);
        return WaitUntil([&] { return IsWindowEnabled(Control(IDC_PLAY)) && GetText(Control(IDC_POSITION_TEXT)) == StartText(nSeconds); },
                         c_dwStepTimeoutMs);
    }
    // Builds a file that cannot be built after strGood (of nGoodSeconds) was
    // built; false when no message box came. Wine's GStreamer parser now and
    // then never returns from a broken file (seen with a truncated MP4). When
    // the dialog's thread is found stuck inside that parser, the program is
    // started again, the good file built first so the same reset runs again,
    // and the file tried once more; a hang anywhere else, or a second one,
    // fails.
    bool BuildBad(const std::string& strPath, const std::string& strGood, int nGoodSeconds, CMessageBoxInfo* pBox)
    {
        Build(strPath);
        if (FindBox(pBox))
            return true;
        if (Responding())
            return false;
        std::string strStuckIn = InnermostCallerModule(m_pProgram->Process(), m_pProgram->ThreadId());
        EXPECT_EQ(c_szPlatformParser, strStuckIn) << "the dialog hung, and not in the platform's parser";
        EXPECT_EQ(0, m_nRestarts) << "the platform's parser hung a second time";
        if (strStuckIn != c_szPlatformParser || m_nRestarts++ > 0)
            return false;
        printf("[   NOTE   ] the dialog hung inside Wine's GStreamer parser on %s; the program is started again\n",
               strPath.c_str());
        if (!Start() || !BuildGood(strGood, nGoodSeconds))
            return false;
        Build(strPath);
        return FindBox(pBox);
    }

    std::unique_ptr<CProgram> m_pProgram;
    HWND m_hWndDialog = nullptr;
    int m_nRestarts = 0;
};

// Build, play, level and position, gain, the trigger, the end, Esc.
TEST_F(WholeProgram, PlaysAFileThroughEveryStepAUserTakes)
{
    ASSERT_TRUE(BuildGood(ToneFile("scenario.wav", 8.0), 8));
    EXPECT_EQ(0, GetText(m_hWndDialog).rfind("Test for Quelmar [R64 v.1.0.0 ", 0)) << GetText(m_hWndDialog);

    Click(Control(IDC_PLAY));
    EXPECT_TRUE(WaitForLevelBar(33, 35)) << "a -6 dB tone shows -6 dB: " << LevelBar();
    double dblEarlier = PositionSeconds();
    EXPECT_TRUE(WaitUntil([&] { return PositionSeconds() > dblEarlier + 0.2; }, c_dwStepTimeoutMs))
        << GetText(Control(IDC_POSITION_TEXT));
    EXPECT_TRUE(EndsWith(GetText(Control(IDC_POSITION_TEXT)), " : 8.0000000"));

    // The gain trackbar moves 1 dB a key: 20 left are -20 dB, 20 right bring it back.
    PressKeys(Control(IDC_GAIN), VK_LEFT, 20);
    EXPECT_TRUE(WaitForLevelBar(13, 15)) << LevelBar();
    PressKeys(Control(IDC_GAIN), VK_RIGHT, 20);
    EXPECT_TRUE(WaitForLevelBar(33, 35)) << LevelBar();

    // Armed at 0 dB the tone stays below; a page left puts the threshold at -10 dB.
    Click(Control(IDC_ADVICE));
    ASSERT_TRUE(WaitUntil([&] { return Checked(IDC_ADVICE); }, c_dwStepTimeoutMs));
    Sleep(500);
    EXPECT_FALSE(IsWindowVisible(Control(IDC_INDICATOR)));
    PressKeys(Control(IDC_TRIGGER_THRESHOLD), VK_PRIOR, 1);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(Control(IDC_INDICATOR)) != FALSE; }, c_dwStepTimeoutMs));

    CMessageBoxInfo box;
    ASSERT_TRUE(FindBox(&box, 20000)) << "the file plays to its end";
    EXPECT_EQ("The end", box.strText);
    EXPECT_EQ("Quelmar Test", box.strCaption);
    ASSERT_TRUE(Dismiss(box));
    EXPECT_TRUE(WaitForPositionText(StartText(8)));

    PressKeyInDialog(m_hWndDialog, VK_ESCAPE);
    EXPECT_EQ(0u, m_pProgram->WaitForExit());
}

// The check that tells a hang in the platform from one in ours, on threads
// of this process held in known places: inside the graph manager waiting
// for a playing file to end, and in this program's own wait.
TEST(HangCheck, NamesTheModuleAThreadWaitsIn)
{
    std::string strPath = ToneFile("hang-check.wav", 4.0);
    CComPtr<IGraphBuilder> spGraph;
    ASSERT_EQ(S_OK, spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER));
    ASSERT_EQ(S_OK, spGraph->RenderFile(CA2W(strPath.c_str()), nullptr));
    CComQIPtr<IMediaControl> spControl(spGraph);
    CComQIPtr<IMediaEvent> spEvent(spGraph);
    ASSERT_TRUE(SUCCEEDED(spControl->Run()));
    HANDLE hOwnWait = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> dwInGraph{0}, dwInTest{0};
    std::thread waitInGraph([&] {
        dwInGraph = GetCurrentThreadId();
        long lCode = 0;
        spEvent->WaitForCompletion(c_dwStepTimeoutMs, &lCode);
    });
    std::thread waitInTest([&] {
        dwInTest = GetCurrentThreadId();
        WaitForSingleObject(hOwnWait, INFINITE);
    });
    auto fnModuleOf = [](const std::atomic<DWORD>& dwThreadId) {
        return dwThreadId ? InnermostCallerModule(GetCurrentProcess(), dwThreadId) : std::string();
    };
    std::string strInGraph, strInTest;
    EXPECT_TRUE(WaitUntil([&] { return (strInGraph = fnModuleOf(dwInGraph)) == "quartz"; }, c_dwStepTimeoutMs))
        << strInGraph;
    EXPECT_TRUE(WaitUntil([&] { return (strInTest = fnModuleOf(dwInTest)) == "wholeprogramtest"; }, c_dwStepTimeoutMs))
        << strInTest;
    SetEvent(hOwnWait);
    waitInTest.join();
    waitInGraph.join();  // at the end of the file
    spControl->Stop();
    CloseHandle(hOwnWait);
}

// A file name that fits MAX_PATH exactly: 259 characters.
std::string LongPathFile()
{
    std::string strFolder = TestFilePath("");
    std::string strName = std::string(259 - strFolder.size() - 4, 'n') + ".wav";
    return ToneFile(strName, 2.0);
}

// A name with letters of the ANSI code page beyond ASCII (Windows-1252 here).
std::string AnsiNameFile()
{
    return ToneFile("Gr\xFC\xDF" "e \xE9t\xE9 \xBD.wav", 3.0);
}

struct CRefusedInput {
    std::string strName;
    std::string strPath;
    HRESULT hrExpected;
};

// A path longer than the dialog holds (its first 259 characters name a file
// that builds: it must not be cut to that), then every file the graph
// manager cannot render, with the status the graph manager itself gives.
std::vector<CRefusedInput> RefusedInputs(const std::string& strLongPath)
{
    std::vector<CRefusedInput> rgInputs = {
        {"PathLongerThanMaxPath", strLongPath + "\\more", HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)}};
    for (const CBadFileCase& badFile : BadFiles()) {
        std::string strPath = badFile.pfnMake();
        rgInputs.push_back({badFile.pszName, strPath, RenderFileStatus(strPath)});
    }
    std::string strMp4 = TruncatedMp4File();
    rgInputs.push_back({"TruncatedMp4", strMp4, RenderFileStatus(strMp4)});
    return rgInputs;
}

// All in one process: names at the limits of ANSI paths build; refused input
// shows "Can't build graph" with its status and leaves nothing to play; after
// each, a good file builds.
TEST_F(WholeProgram, BadInputIsReportedAndAGoodFileBuildsAfterEach)
{
    std::string strGood = ToneFile("good.wav", 1.0);
    std::string strLong = LongPathFile();
    ASSERT_EQ(259u, strLong.size());
    EXPECT_TRUE(BuildGood(strLong, 2));
    ASSERT_TRUE(BuildGood(strGood, 1));
    if (GetACP() == 1252) {
        EXPECT_TRUE(BuildGood(AnsiNameFile(), 3));
        ASSERT_TRUE(BuildGood(strGood, 1));
    } else {
        ADD_FAILURE() << "the non-ASCII name is written for code page 1252, this is " << GetACP();
    }
    CMessageBoxInfo box;
    EXPECT_FALSE(FindBox(&box, 0)) << box.strText;

    for (const CRefusedInput& input : RefusedInputs(strLong)) {
        SCOPED_TRACE(input.strName);
        ASSERT_NE(S_OK, input.hrExpected);
        ASSERT_TRUE(BuildBad(input.strPath, strGood, 1, &box));
        EXPECT_EQ(0, box.strText.rfind("Can't build graph\n", 0)) << box.strText;
        EXPECT_TRUE(EndsWith(box.strText, ErrorSuffix(input.hrExpected))) << box.strText;
        ASSERT_TRUE(Dismiss(box));
        EXPECT_FALSE(IsWindowEnabled(Control(IDC_PLAY)));
        ASSERT_TRUE(BuildGood(strGood, 1));
    }
    PressKeyInDialog(m_hWndDialog, VK_ESCAPE);
    EXPECT_EQ(0u, m_pProgram->WaitForExit());
}

struct CResourceCounts {
    CHandleCounts handles;
    long nGdiObjects;
};

CResourceCounts CountResources(const CProgram& program)
{
    CResourceCounts counts = {{}, GdiObjectCount(program.Process())};
    if (!CountHandles(GetProcessId(program.Process()), &counts.handles))
        counts.handles.nOthers = -1;
    return counts;
}

// The counts once the graph's own threads, which end a little after Stop
// returns, have gone: two readings 300 ms apart that agree (at most 5 s).
CResourceCounts SettledResources(const CProgram& program)
{
    CResourceCounts counts = CountResources(program);
    for (int i = 0; i < 16; i++) {
        Sleep(300);
        CResourceCounts again = CountResources(program);
        bool bSettled = again.handles.nOthers == counts.handles.nOthers && again.nGdiObjects == counts.nGdiObjects;
        counts = again;
        if (bSettled)
            break;
    }
    return counts;
}

// The middle of what each cycle added: a leak of the program's shows in
// every cycle (or every other one, for one of the two files), while what the
// platform now and then leaves behind in a single cycle does not move it.
long MedianStep(std::vector<long> rgnSteps)
{
    std::sort(rgnSteps.begin(), rgnSteps.end());
    return rgnSteps.empty() ? 0 : rgnSteps[rgnSteps.size() / 2];
}

// Build, arm "Advice" (a build keeps it armed once checked), play 2 s with
// the spectrum on (the filter's default), stop: 50 times, with two files in
// turn so that each build shows in the position text. Each cycle adds at
// most what the graph manager itself leaks a graph; after the last, every
// other count is back where the second cycle left it (the baseline, by when
// Wine has made what it makes once in a process).
TEST_F(WholeProgram, FiftyCyclesWithTheSpectrumLeakNothing)
{
    constexpr int c_nBaselineCycle = 2;
    const std::string rgstrFiles[2] = {ToneFile("soak-4s.wav", 4.0), ToneFile("soak-5s.wav", 5.0)};
    CHandleCounts platformLeak = PlatformLeakPerGraph(rgstrFiles[0]);
    CResourceCounts first = {}, previous = {};
    std::vector<long> rgnEventSteps, rgnKeySteps;
    for (int nCycle = 1; nCycle <= 50; nCycle++) {
        SCOPED_TRACE(nCycle);
        int nSeconds = 4 + nCycle % 2;
        ASSERT_TRUE(BuildGood(rgstrFiles[nCycle % 2], nSeconds));
        ASSERT_TRUE(Checked(IDC_SPECTRUM));
        if (!Checked(IDC_ADVICE))
            Click(Control(IDC_ADVICE));
        ASSERT_TRUE(WaitUntil([&] { return Checked(IDC_ADVICE); }, c_dwStepTimeoutMs));
        Click(Control(IDC_PLAY));
        ASSERT_TRUE(WaitUntil([&] { return PositionSeconds() >= 2.0; }, c_dwStepTimeoutMs));
        Click(Control(IDC_STOP));
        ASSERT_TRUE(WaitForPositionText(StartText(nSeconds)));
        CResourceCounts now = CountResources(*m_pProgram);
        if (nCycle > c_nBaselineCycle) {
            rgnEventSteps.push_back(now.handles.nEvents - previous.handles.nEvents);
            rgnKeySteps.push_back(now.handles.nKeys - previous.handles.nKeys);
        }
        previous = now;
        if (nCycle == c_nBaselineCycle)
            first = SettledResources(*m_pProgram);
    }
    CResourceCounts last = SettledResources(*m_pProgram);
    ASSERT_GT(first.handles.nOthers, 0);
    ASSERT_GT(first.nGdiObjects, 0);
    EXPECT_EQ(first.handles.nOthers, last.handles.nOthers);
    EXPECT_EQ(first.nGdiObjects, last.nGdiObjects);
    EXPECT_LE(MedianStep(rgnEventSteps), platformLeak.nEvents) << "events a cycle, over the graph manager's own";
    EXPECT_LE(MedianStep(rgnKeySteps), platformLeak.nKeys) << "registry keys a cycle, over the graph manager's own";
    // In all, an event leaked in one cycle of three shows too. Seen on a
    // loaded machine beyond the graph manager's own: up to 4 events and 34
    // keys in a run, from single cycles.
    constexpr long nCyclesAfter = 50 - c_nBaselineCycle;
    EXPECT_LE(last.handles.nEvents - first.handles.nEvents, nCyclesAfter * platformLeak.nEvents + 8);
    EXPECT_LE(last.handles.nKeys - first.handles.nKeys, (nCyclesAfter + 1) * platformLeak.nKeys);
    CMessageBoxInfo box;
    EXPECT_FALSE(FindBox(&box, 0)) << box.strText;
}

}  // namespace
