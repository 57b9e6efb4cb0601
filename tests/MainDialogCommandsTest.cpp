// The dialog at work, driven as a user would through its windows: building,
// choosing a file, playing, pausing, stopping, seeking, the end of the
// stream, channels, gain, auto gain and the level trigger; with the real
// level filter and real files, and with the recording filter for the exact
// values sent.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "DialogDriver.h"
#include "FakeTopology.h"
#include "MessageBoxProbe.h"
#include "ProcessResources.h"
#include "TraceCapture.h"
#include "WavFile.h"
#include "WindowText.h"
#include "../ui/resource.h"

namespace {

std::string SystemText(HRESULT hr)
{
    char sz[1024] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(hr),
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), sz, sizeof(sz) - 1, nullptr);
    return sz;
}

std::string LoudStereoWav(double dblSeconds, const char* pszName = "loud.wav")
{
    std::string strPath = TestFilePath(pszName);
    WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 2, 44100, false}, Sines({-3.0, -20.0}, 1000.0, 44100, dblSeconds));
    return strPath;
}

// The user types a path into the file edit and presses "Build graph".
void BuildFor(CDialogDriver& dialog, const std::string& strPath)
{
    SendMessageA(dialog.Item(IDC_FILE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strPath.c_str()));
    dialog.PostCommand(IDC_BUILD_GRAPH);
    dialog.Sync();
}

void Scroll(CDialogDriver& dialog, int nID, WORD wCode, int nPos)
{
    dialog.Send(nID, TBM_SETPOS, TRUE, nPos);
    SendMessageA(dialog.Dialog(), WM_HSCROLL, MAKEWPARAM(wCode, nPos), reinterpret_cast<LPARAM>(dialog.Item(nID)));
}

std::vector<std::string> ChannelEntries(const CDialogDriver& dialog)
{
    std::vector<std::string> rgEntries;
    for (LRESULT i = 0, n = dialog.Send(IDC_CHANNEL, CB_GETCOUNT); i < n; i++) {
        char sz[16] = {};
        dialog.Send(IDC_CHANNEL, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(sz));
        rgEntries.push_back(sz);
    }
    return rgEntries;
}

// Reads the box that is open, checks its caption, presses OK.
CMessageBoxInfo CloseMessageBox(CDialogDriver& dialog)
{
    CMessageBoxInfo info;
    EXPECT_TRUE(FindMessageBox(dialog.ThreadId(), dialog.Dialog(), 10000, &info));
    EXPECT_EQ("Quelmar Test", info.strCaption);
    PressMessageBoxButton(info, IDOK);
    dialog.Sync();
    return info;
}

// This process's handles by kind; a failed read fails the test.
CHandleCounts OwnHandles()
{
    CHandleCounts counts;
    EXPECT_TRUE(CountHandles(GetCurrentProcessId(), &counts));
    return counts;
}

bool NoMessageBox(CDialogDriver& dialog)
{
    CMessageBoxInfo info;
    return !FindMessageBox(dialog.ThreadId(), dialog.Dialog(), 0, &info);
}

// ---- With the real level filter -------------------------------------------

TEST(MainDialogReal, BuildShowsTheFilterThePositionAndTheChannels)
{
    CDialogDriver dialog;
    BuildFor(dialog, LoudStereoWav(1.0));
    EXPECT_EQ(0u, GetText(dialog.Dialog()).find("Test for Quelmar [R64 v.1.0.0 ")) << GetText(dialog.Dialog());
    EXPECT_EQ("0.0000000 : 1.0000000", dialog.Text(IDC_POSITION_TEXT));
    for (int nID : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_CHANNEL, IDC_GAIN, IDC_LEVEL, IDC_ADVICE, IDC_SPECTRUM})
        EXPECT_TRUE(IsWindowEnabled(dialog.Item(nID))) << nID;
    EXPECT_EQ(40, dialog.Send(IDC_GAIN, TBM_GETPOS));
    EXPECT_EQ((std::vector<std::string>{"1", "2"}), ChannelEntries(dialog));
    EXPECT_EQ(0, dialog.Send(IDC_CHANNEL, CB_GETCURSEL));
    EXPECT_EQ(BST_CHECKED, dialog.Send(IDC_SPECTRUM, BM_GETCHECK));  // the filter's default: 3 bands per octave
    EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDC_FFT_ORDER)));
    EXPECT_TRUE(NoMessageBox(dialog));
}

TEST(MainDialogReal, EmptyPathIsRefusedAndDisablesTheControlsOfAHeldGraph)
{
    CDialogDriver dialog;
    BuildFor(dialog, LoudStereoWav(1.0));
    std::string strCaption = GetText(dialog.Dialog());
    BuildFor(dialog, "");
    CMessageBoxInfo info = CloseMessageBox(dialog);
    EXPECT_EQ("File not selected\n" + SystemText(E_INVALIDARG) + "\nError 0x80070057", info.strText);
    EXPECT_NE(nullptr, info.hIcon);
    EXPECT_FALSE(IsWindowEnabled(dialog.Item(IDC_PLAY)));
    EXPECT_FALSE(IsWindowEnabled(dialog.Item(IDC_POSITION)));
    EXPECT_EQ(strCaption, GetText(dialog.Dialog()));
}

TEST(MainDialogReal, MissingFileShowsItsStatusAndKeepsTheCaption)
{
    CDialogDriver dialog;
    BuildFor(dialog, TestFilePath("not here.wav"));
    CMessageBoxInfo info = CloseMessageBox(dialog);
    EXPECT_EQ(0u, info.strText.find("Can't build graph\n"));
    EXPECT_NE(std::string::npos, info.strText.find("\nError 0x800700"));  // a Win32 "not found" status
    EXPECT_EQ("QuelmarTest", GetText(dialog.Dialog()));
    EXPECT_FALSE(IsWindowEnabled(dialog.Item(IDC_PLAY)));
}

// The open-file dialog as the user meets it: type a name, press Open.
class MainDialogChooseFile : public testing::Test {
protected:
    CMessageBoxInfo OpenFileDialog()
    {
        m_dialog.PostCommand(IDC_LOAD);
        CMessageBoxInfo info;
        EXPECT_TRUE(FindMessageBox(m_dialog.ThreadId(), m_dialog.Dialog(), 10000, &info));
        EXPECT_EQ("Select test file", info.strCaption);
        return info;
    }
    static HWND FileNameEdit(HWND hWndFileDialog)
    {
        HWND hWndCombo = GetDlgItem(hWndFileDialog, 0x47C);
        HWND hWndEdit = FindWindowExA(hWndCombo, nullptr, "Edit", nullptr);
        if (!hWndEdit)
            hWndEdit = FindWindowExA(FindWindowExA(hWndCombo, nullptr, "ComboBox", nullptr), nullptr, "Edit", nullptr);
        return hWndEdit;
    }

    CDialogDriver m_dialog;
};

TEST_F(MainDialogChooseFile, OpenFillsTheEdit)
{
    std::string strPath = LoudStereoWav(0.2, "chosen.wav");
    CMessageBoxInfo info = OpenFileDialog();
    HWND hWndEdit = FileNameEdit(info.hWnd);
    ASSERT_NE(nullptr, hWndEdit);
    SendMessageA(hWndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strPath.c_str()));
    PostMessageA(GetDlgItem(info.hWnd, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(info.hWnd); }, 10000));
    m_dialog.Sync();
    EXPECT_STRCASEEQ(strPath.c_str(), m_dialog.Text(IDC_FILE).c_str());
}

TEST_F(MainDialogChooseFile, ChoosingAFileElsewhereKeepsTheCurrentDirectory)
{
    // A program named like the editor next to the media must never be the one
    // "Show graph" starts: the folder of the chosen file is not made current.
    std::string strFolder = TestFilePath("elsewhere\\");
    CreateDirectoryA(strFolder.c_str(), nullptr);
    std::string strPath = LoudStereoWav(0.2, "elsewhere\\chosen.wav");
    char szBefore[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, szBefore);
    ASSERT_STRCASENE((strFolder.substr(0, strFolder.size() - 1)).c_str(), szBefore);
    CMessageBoxInfo info = OpenFileDialog();
    SendMessageA(FileNameEdit(info.hWnd), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strPath.c_str()));
    PostMessageA(GetDlgItem(info.hWnd, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(info.hWnd); }, 10000));
    m_dialog.Sync();
    EXPECT_STRCASEEQ(strPath.c_str(), m_dialog.Text(IDC_FILE).c_str());
    char szAfter[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, szAfter);
    EXPECT_STREQ(szBefore, szAfter);
}

TEST_F(MainDialogChooseFile, CancelChangesNothing)
{
    std::string strBefore = m_dialog.Text(IDC_FILE);
    CMessageBoxInfo info = OpenFileDialog();
    SendMessageA(FileNameEdit(info.hWnd), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other.wav"));
    PostMessageA(GetDlgItem(info.hWnd, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(info.hWnd); }, 10000));
    m_dialog.Sync();
    EXPECT_EQ(strBefore, m_dialog.Text(IDC_FILE));
}

class MainDialogPlaying : public testing::Test {
protected:
    void SetUp() override { BuildFor(m_dialog, LoudStereoWav(1.5)); }
    int LevelBar() { return static_cast<int>(m_dialog.Send(IDC_LEVEL, PBM_GETPOS)); }
    // Playback has started and shows: the -3 dB channel on the bar (37) and
    // the position text past the start.
    bool PlayingVisibly()
    {
        return LevelBar() > 30 && m_dialog.Text(IDC_POSITION_TEXT).rfind("0.0000000", 0) != 0;
    }
    // Overwrites the position text and waits until the position timer has
    // written it again; that text, or empty when no tick came.
    std::string NextPositionTick()
    {
        SendMessageA(m_dialog.Item(IDC_POSITION_TEXT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("-"));
        std::string strText;
        WaitUntil([&] { return (strText = m_dialog.Text(IDC_POSITION_TEXT)) != "-"; });
        return strText == "-" ? "" : strText;
    }

    CDialogDriver m_dialog;
};

TEST_F(MainDialogPlaying, PlaysToTheEndShowsTheEndOnceAndPlaysAgain)
{
    m_dialog.PostCommand(IDC_PLAY);
    EXPECT_TRUE(WaitUntil([&] { return PlayingVisibly(); })) << LevelBar() << " " << m_dialog.Text(IDC_POSITION_TEXT);
    CMessageBoxInfo info;
    ASSERT_TRUE(FindMessageBox(m_dialog.ThreadId(), m_dialog.Dialog(), c_dwDeadlineMs, &info));
    EXPECT_EQ("The end", info.strText);
    EXPECT_EQ(nullptr, info.hIcon);
    EXPECT_EQ(std::vector<int>{IDOK}, info.rgButtonIds);
    PressMessageBoxButton(info, IDOK);
    m_dialog.Sync();
    // A second box would follow the first at once, from the same events.
    EXPECT_FALSE(FindMessageBox(m_dialog.ThreadId(), m_dialog.Dialog(), 2000, &info)) << info.strText;
    EXPECT_EQ("0.0000000 : 1.5000000", m_dialog.Text(IDC_POSITION_TEXT));
    m_dialog.PostCommand(IDC_PLAY);
    EXPECT_TRUE(WaitUntil([&] { return PlayingVisibly(); }));
    m_dialog.PostCommand(IDC_STOP);
    m_dialog.Sync();
}

TEST_F(MainDialogPlaying, PauseFreezesAndStopRewinds)
{
    m_dialog.PostCommand(IDC_PLAY);
    ASSERT_TRUE(WaitUntil([&] { return PlayingVisibly(); }));
    m_dialog.PostCommand(IDC_PAUSE);
    m_dialog.Sync();
    // The first position tick after the pause shows where it stands. A frozen
    // bar keeps whatever it shows: while two more position ticks (200 ms)
    // pass, a running level timer (50 ms) would have written it.
    std::string strPaused = NextPositionTick();
    m_dialog.Send(IDC_LEVEL, PBM_SETPOS, 5);
    EXPECT_EQ(strPaused, NextPositionTick());
    EXPECT_EQ(strPaused, NextPositionTick());
    EXPECT_EQ(5, LevelBar());
    EXPECT_NE(0u, strPaused.find("0.0000000")) << strPaused;
    m_dialog.PostCommand(IDC_STOP);
    m_dialog.Sync();
    EXPECT_EQ("0.0000000 : 1.5000000", m_dialog.Text(IDC_POSITION_TEXT));
    EXPECT_EQ(5, LevelBar());  // Stop leaves the bar
}

TEST_F(MainDialogPlaying, PositionTrackbarSeeksAndMovesTheMarkNotTheThumb)
{
    m_dialog.PostCommand(IDC_PAUSE);
    m_dialog.Sync();
    Sleep(200);
    for (WORD wCode : {static_cast<WORD>(TB_THUMBTRACK), static_cast<WORD>(TB_THUMBPOSITION)}) {
        SendMessageA(m_dialog.Dialog(), WM_HSCROLL, MAKEWPARAM(wCode, 500),
                     reinterpret_cast<LPARAM>(m_dialog.Item(IDC_POSITION)));
        EXPECT_EQ("0.7500000 : 1.5000000", m_dialog.Text(IDC_POSITION_TEXT)) << wCode;
        EXPECT_EQ(500, m_dialog.Send(IDC_POSITION, TBM_GETSELEND));
        EXPECT_EQ(0, m_dialog.Send(IDC_POSITION, TBM_GETPOS));  // the program never moves the thumb
    }
    Scroll(m_dialog, IDC_POSITION, TB_PAGEDOWN, 200);  // a page key: the position comes from the trackbar
    EXPECT_EQ("0.3000000 : 1.5000000", m_dialog.Text(IDC_POSITION_TEXT));
    m_dialog.PostCommand(IDC_STOP);
    m_dialog.Sync();
}

TEST_F(MainDialogPlaying, TriggerShowsTheIndicatorForALoudToneAndHidesAboveIt)
{
    SendMessageA(m_dialog.Item(IDC_MIN_DURATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"));
    Scroll(m_dialog, IDC_TRIGGER_THRESHOLD, TB_THUMBPOSITION, 20);  // -40 dB, "Before", "Above"
    m_dialog.Send(IDC_ADVICE, BM_CLICK);
    m_dialog.PostCommand(IDC_PLAY);
    auto fnShown = [&] { return IsWindowVisible(m_dialog.Item(IDC_INDICATOR)) != FALSE; };
    long nShownAfterMs = TimeUntil(fnShown);
    ASSERT_GE(nShownAfterMs, 0);
    Scroll(m_dialog, IDC_TRIGGER_THRESHOLD, TB_THUMBPOSITION, 60);  // 0 dB: a -3 dB tone stays below
    EXPECT_TRUE(WaitUntil([&] { return !fnShown(); }));
    // Watched twice as long as the indicator took to light, and at least a second.
    EXPECT_TRUE(NeverDuring(fnShown, std::max(1000L, 2 * nShownAfterMs)));
    m_dialog.PostCommand(IDC_STOP);
    m_dialog.Sync();
}

// A steady -3 dB tone above a -40 dB threshold: once lit, the indicator
// stays lit for as long as the tone holds (2 s of the 3 s file).
TEST(MainDialogSteady, IndicatorStaysLitWhileTheConditionHolds)
{
    CDialogDriver dialog;
    BuildFor(dialog, LoudStereoWav(3.0, "steady.wav"));
    SendMessageA(dialog.Item(IDC_MIN_DURATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"));
    Scroll(dialog, IDC_TRIGGER_THRESHOLD, TB_THUMBPOSITION, 20);  // -40 dB, "Before", "Above"
    dialog.Send(IDC_ADVICE, BM_CLICK);
    dialog.PostCommand(IDC_PLAY);
    auto fnShown = [&] { return IsWindowVisible(dialog.Item(IDC_INDICATOR)) != FALSE; };
    ASSERT_TRUE(WaitUntil(fnShown));
    EXPECT_TRUE(NeverDuring([&] { return !fnShown(); }, 2000));
    dialog.PostCommand(IDC_STOP);
    dialog.Sync();
}

// A tone rising 20 dB per second: the level bar (1 dB a step, redrawn every
// 50 ms) moves by at most 3 dB from one redraw to the next that came on time,
// and it moves at most of the redraws of the rise: the filter reads what is heard, not
// whole decoder buffers ahead of it.
TEST(MainDialogRamp, LevelBarFollowsARampClosely)
{
    const DWORD nRate = 44100;
    std::vector<double> rgRamp(nRate * 5 / 2);
    for (size_t i = 0; i < rgRamp.size(); i++) {
        double dblDb = std::min(-2.0, -45.0 + 20.0 * i / nRate);
        rgRamp[i] = std::pow(10.0, dblDb / 20.0) * std::sin(2.0 * 3.14159265358979 * 1000.0 * i / nRate);
    }
    std::string strPath = TestFilePath("ramp.wav");
    ASSERT_TRUE(WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 1, nRate, false}, {rgRamp}));
    CDialogDriver dialog;
    BuildFor(dialog, strPath);
    dialog.Send(IDC_LEVEL, PBM_SETPOS, 0);
    dialog.PostCommand(IDC_PLAY);
    // Every change of the bar while it climbs from 5 to 33 (-35 to -7 dB,
    // 1.4 s of the rise), with the time since the change before.
    std::vector<std::pair<int, DWORD>> rgChanges;
    int nLast = static_cast<int>(dialog.Send(IDC_LEVEL, PBM_GETPOS));
    DWORD dwLast = GetTickCount();
    WaitUntil([&] {
        int nBar = static_cast<int>(dialog.Send(IDC_LEVEL, PBM_GETPOS));
        if (nBar != nLast) {
            DWORD dwNow = GetTickCount();
            if (nLast >= 5 && nBar <= 33)
                rgChanges.emplace_back(nBar - nLast, dwNow - dwLast);
            nLast = nBar;
            dwLast = dwNow;
        }
        return nBar > 33;
    }, 10000);
    dialog.PostCommand(IDC_STOP);
    dialog.Sync();
    ASSERT_GT(nLast, 33) << "the bar never climbed";
    int nOnTime = 0;
    for (const auto& change : rgChanges) {
        if (change.second <= 100) {
            nOnTime++;
            EXPECT_LE(std::abs(change.first), 3) << "a step after " << change.second << " ms";
        }
    }
    EXPECT_GE(rgChanges.size(), 17u) << "of the 28 redraws the rise spans";
    EXPECT_GE(nOnTime, 10);
}

// Bursts: 1 s of a -6 dB tone and 1 s of silence, twice. At each edge the
// bar (a 50 ms level) must not change before the position text reaches the
// edge, which is what reading whole decoder buffers ahead of the renderer
// gave (up to 200 ms early). The position when the bar changed is the
// position text's last value plus the time since that text appeared. Under
// Wine the bar changes 230-260 ms after the text (printed on failure): the
// graph manager's position runs about 200 ms ahead of the stream time by
// which the renderer plays, and the filter reads at the stream time.
TEST(MainDialogBursts, LevelBarChangesAtEachEdgeAsItIsHeard)
{
    const DWORD nRate = 44100;
    std::vector<double> rgBursts(nRate * 4);
    for (size_t i = 0; i < rgBursts.size(); i++)
        if ((i / nRate) % 2 == 0)
            rgBursts[i] = 0.5 * std::sin(2.0 * 3.14159265358979 * 1000.0 * i / nRate);
    std::string strPath = TestFilePath("bursts.wav");
    ASSERT_TRUE(WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 1, nRate, false}, {rgBursts}));
    CDialogDriver dialog;
    BuildFor(dialog, strPath);
    dialog.PostCommand(IDC_PLAY);
    // The edges at 1, 2 and 3 s: loud (bar above 30) to quiet (below 30) and back.
    const double rgdblEdges[] = {1.0, 2.0, 3.0};
    std::vector<double> rgdblOffsetsMs;
    std::string strText = dialog.Text(IDC_POSITION_TEXT);
    DWORD dwTextSince = GetTickCount();
    WaitUntil([&] {
        std::string strNow = dialog.Text(IDC_POSITION_TEXT);
        if (strNow != strText) {
            strText = strNow;
            dwTextSince = GetTickCount();
        }
        size_t nEdge = rgdblOffsetsMs.size();
        bool bLoud = dialog.Send(IDC_LEVEL, PBM_GETPOS) > 30;
        if (nEdge < 3 && bLoud == (nEdge % 2 == 1) && atof(strText.c_str()) > rgdblEdges[nEdge] - 0.5) {
            double dblHeard = atof(strText.c_str()) + (GetTickCount() - dwTextSince) / 1000.0;
            rgdblOffsetsMs.push_back((dblHeard - rgdblEdges[nEdge]) * 1000.0);
        }
        return rgdblOffsetsMs.size() == 3;
    }, 15000);
    dialog.PostCommand(IDC_STOP);
    dialog.Sync();
    ASSERT_EQ(3u, rgdblOffsetsMs.size()) << "edges seen";
    std::string strOffsets;
    for (double dblOffset : rgdblOffsetsMs)
        strOffsets += std::to_string(static_cast<int>(dblOffset)) + " ms ";
    for (double dblOffset : rgdblOffsetsMs)
        EXPECT_GE(dblOffset, 0.0) << strOffsets;
}

TEST_F(MainDialogPlaying, ClosingWhilePlayingShowsNothing)
{
    m_dialog.PostCommand(IDC_PLAY);
    ASSERT_TRUE(WaitUntil([&] { return PlayingVisibly(); }));
    m_dialog.PostCommand(IDCANCEL);
    EXPECT_EQ(IDCANCEL, m_dialog.WaitForEnd());
}

TEST(MainDialogReal, PlayWithoutAGraphSaysSo)
{
    CDialogDriver dialog;
    EnableWindow(dialog.Item(IDC_PLAY), TRUE);  // as if the button were reachable
    dialog.PostCommand(IDC_PLAY);
    CMessageBoxInfo info = CloseMessageBox(dialog);
    EXPECT_EQ("Graph not exist\n" + SystemText(E_FAIL) + "\nError 0x80004005", info.strText);
    dialog.PostCommand(IDC_STOP);  // Stop without a graph: nothing at all
    dialog.Sync();
    EXPECT_TRUE(NoMessageBox(dialog));
}

TEST(MainDialogReal, ShowGraphBeforeABuildSaysSo)
{
    CDialogDriver dialog;
    dialog.PostCommand(IDC_SHOW_GRAPH);
    CMessageBoxInfo info = CloseMessageBox(dialog);
    EXPECT_EQ("Can't show graph\n" + SystemText(E_FAIL) + "\nError 0x80004005", info.strText);
}

// Rebuilt 50 times while armed: no event of the trigger stays open. Wine's
// graph manager keeps an event of every graph it has rendered, so the same
// 50 cycles unarmed are the allowance.
TEST(MainDialogReal, RebuildingWhileArmedLeavesNoEventOpen)
{
    std::string strPath = LoudStereoWav(0.3);
    CDialogDriver dialog;
    BuildFor(dialog, strPath);
    SendMessageA(dialog.Item(IDC_MIN_DURATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"));
    auto fnEventsGrowth = [&](bool bArmed) {
        dialog.Sync();
        long nBefore = OwnHandles().nEvents;
        for (int i = 0; i < 50; i++) {
            dialog.Send(IDC_ADVICE, BM_SETCHECK, bArmed ? BST_CHECKED : BST_UNCHECKED);
            dialog.PostCommand(IDC_ADVICE);
            dialog.PostCommand(IDC_PLAY);
            dialog.PostCommand(IDC_STOP);
            BuildFor(dialog, strPath);
        }
        dialog.Send(IDC_ADVICE, BM_SETCHECK, BST_UNCHECKED);
        dialog.PostCommand(IDC_ADVICE);
        dialog.Sync();
        return OwnHandles().nEvents - nBefore;
    };
    long nUnarmedGrowth = fnEventsGrowth(false);
    long nArmedGrowth = fnEventsGrowth(true);
    EXPECT_LE(nArmedGrowth, nUnarmedGrowth) << "the graph manager alone keeps " << nUnarmedGrowth;
    EXPECT_TRUE(NoMessageBox(dialog));
}

// ---- With the recording level filter ---------------------------------------

// The dialog over a fake graph manager and the recording filter, both
// registered on the dialog's own thread.
class MainDialogFake : public testing::Test {
protected:
    MainDialogFake()
        : m_dialog([this] { m_spTopology.reset(new CFakeTopology); }, [this] { RecordClose(); })
    {
    }
    // Once the dialog has closed: the filter's calls and this process's
    // handles as the dialog left them, then the fakes go.
    void RecordClose()
    {
        m_rgCallsAtClose = Calls();
        m_handlesAtClose = OwnHandles();
        m_spTopology.reset();
    }
    void SetUp() override
    {
        ASSERT_NE(nullptr, m_spTopology.get());
        BuildFor(m_dialog, "fake.wav");
        ASSERT_EQ(0u, GetText(m_dialog.Dialog()).find("Test for Quelmar [R64 v.2.5 Dec 10 2026]"))
            << GetText(m_dialog.Dialog());
        Calls().clear();
    }
    std::vector<std::string>& Calls() { return m_spTopology->m_quelmar.m_rgCalls; }
    CFakeQuelmar& Filter() { return m_spTopology->m_quelmar; }
    // The calls of one kind made since the last Clear.
    std::vector<std::string> CallsOf(const std::string& strPrefix)
    {
        m_dialog.Sync();
        std::vector<std::string> rgCalls;
        for (const std::string& strCall : Calls())
            if (strCall.rfind(strPrefix, 0) == 0)
                rgCalls.push_back(strCall);
        return rgCalls;
    }
    // Fires the channel list's change so the dialog reads the filter back.
    void ReadBack()
    {
        m_dialog.PostCommand(IDC_CHANNEL, CBN_SELCHANGE);
        m_dialog.Sync();
    }

    std::unique_ptr<CFakeTopology> m_spTopology;
    std::vector<std::string> m_rgCallsAtClose;
    CHandleCounts m_handlesAtClose;
    CDialogDriver m_dialog;
};

struct CGainCase {
    int nPosition;
    bool bAll;
    const char* pszExpected;
};

TEST_F(MainDialogFake, GainTrackbarSendsPositionMinus40)
{
    const CGainCase rgCases[] = {{50, false, "SetGain(0,10,100)"},
                                 {0, false, "SetGain(0,-40,100)"},
                                 {80, false, "SetGain(0,40,100)"},
                                 {50, true, "SetGain(4294967295,10,100)"}};
    for (const CGainCase& c : rgCases) {
        m_dialog.Send(IDC_GAIN_ALL, BM_SETCHECK, c.bAll ? BST_CHECKED : BST_UNCHECKED);
        Calls().clear();
        Scroll(m_dialog, IDC_GAIN, TB_THUMBTRACK, c.nPosition);
        EXPECT_EQ(std::vector<std::string>{c.pszExpected}, CallsOf("SetGain")) << c.nPosition;
    }
}

struct CReadBackCase {
    double dblGain, dblThreshold, dblAutoGain;
    int nGainPos, nThresholdPos, nAutoGainPos;
};

TEST_F(MainDialogFake, ValuesReadBackBecomePositions)
{
    const CReadBackCase rgCases[] = {
        {3.4, -7.4, -7.6, 43, 13, 12},
        {-2.6, -20.6, 3.0, 37, 0, 20},  // 23 asked for; the trackbar holds 20
        {1e300, 1e300, std::nan(""), 80, 20, 0},  // beyond any int, and no number: the nearest end
        {40.0, 0.0, -20.0, 80, 20, 0},
    };
    for (const CReadBackCase& c : rgCases) {
        Filter().m_dblGain = c.dblGain;
        Filter().m_dblAutoThreshold = c.dblThreshold;
        Filter().m_dblAutoGain = c.dblAutoGain;
        ReadBack();
        EXPECT_EQ(c.nGainPos, m_dialog.Send(IDC_GAIN, TBM_GETPOS)) << c.dblGain;
        EXPECT_EQ(c.nThresholdPos, m_dialog.Send(IDC_AG_THRESHOLD, TBM_GETPOS)) << c.dblThreshold;
        EXPECT_EQ(c.nAutoGainPos, m_dialog.Send(IDC_AG_GAIN, TBM_GETPOS)) << c.dblAutoGain;
    }
    Filter().m_hrResult = E_FAIL;  // unreadable: 0 dB on all three
    ReadBack();
    EXPECT_EQ(40, m_dialog.Send(IDC_GAIN, TBM_GETPOS));
    EXPECT_EQ(20, m_dialog.Send(IDC_AG_THRESHOLD, TBM_GETPOS));
    EXPECT_EQ(20, m_dialog.Send(IDC_AG_GAIN, TBM_GETPOS));
}

TEST_F(MainDialogFake, AutoGainTrackbarsSendThePair)
{
    m_dialog.Send(IDC_AG_THRESHOLD, TBM_SETPOS, TRUE, 15);
    m_dialog.Send(IDC_AG_GAIN, TBM_SETPOS, TRUE, 10);
    Scroll(m_dialog, IDC_AG_THRESHOLD, TB_THUMBTRACK, 12);
    Scroll(m_dialog, IDC_AG_GAIN, TB_THUMBTRACK, 20);
    m_dialog.Send(IDC_GAIN_ALL, BM_SETCHECK, BST_CHECKED);
    Scroll(m_dialog, IDC_AG_GAIN, TB_ENDTRACK, 5);
    EXPECT_EQ((std::vector<std::string>{"SetAutoGain(0,-8,-10)", "SetAutoGain(0,-8,0)", "SetAutoGain(4294967295,-8,-15)"}),
              CallsOf("SetAutoGain"));
}

TEST_F(MainDialogFake, GainForAllSendsGainThenAutoGain)
{
    m_dialog.Send(IDC_GAIN, TBM_SETPOS, TRUE, 50);
    m_dialog.Send(IDC_AG_THRESHOLD, TBM_SETPOS, TRUE, 15);
    m_dialog.Send(IDC_AG_GAIN, TBM_SETPOS, TRUE, 10);
    m_dialog.Send(IDC_GAIN_ALL, BM_CLICK);
    EXPECT_EQ((std::vector<std::string>{"SetGain(4294967295,10,100)", "SetAutoGain(4294967295,-5,-10)"}), CallsOf("Set"));
    Calls().clear();
    m_dialog.Send(IDC_GAIN_ALL, BM_CLICK);  // unchecking restores nothing
    EXPECT_TRUE(CallsOf("Set").empty());
}

TEST_F(MainDialogFake, ChannelListHoldsAtMost32)
{
    Filter().m_nChannels = 12;
    ReadBack();
    std::vector<std::string> rgEntries = ChannelEntries(m_dialog);
    ASSERT_EQ(12u, rgEntries.size());
    EXPECT_EQ("1", rgEntries[0]);
    EXPECT_EQ("10", rgEntries[9]);
    m_dialog.Send(IDC_CHANNEL, CB_SETCURSEL, 9);
    ReadBack();
    Calls().clear();
    Scroll(m_dialog, IDC_GAIN, TB_THUMBTRACK, 41);
    EXPECT_EQ(std::vector<std::string>{"SetGain(9,1,100)"}, CallsOf("SetGain"));  // entry 9 is channel 9
    Filter().m_nChannels = 40;
    ReadBack();
    EXPECT_EQ(32u, ChannelEntries(m_dialog).size());
    Filter().m_nChannels = 2;
    ReadBack();  // channel 9 no longer exists: back to 0
    EXPECT_EQ(0, m_dialog.Send(IDC_CHANNEL, CB_GETCURSEL));
}

TEST_F(MainDialogFake, LevelBarShowsTheTruncatedLevelPlus40)
{
    m_spTopology->m_graph.m_eState = State_Running;
    m_dialog.PostCommand(IDC_PLAY);
    const std::pair<double, int> rgCases[] = {{-40.9, 0}, {-40.0, 0}, {-39.9, 1},  {-0.5, 40},
                                              {3.2, 40},   {-20.0, 20}, {1e300, 40}, {-1e300, 0},
                                              {std::nan(""), 0}, {-20.0, 20}};
    for (const auto& c : rgCases) {
        Filter().m_dblLevel = c.first;
        int nSentinel = c.second == 20 ? 10 : 20;  // anything but the expected position
        m_dialog.Send(IDC_LEVEL, PBM_SETPOS, nSentinel);
        EXPECT_TRUE(WaitUntil([&] { return m_dialog.Send(IDC_LEVEL, PBM_GETPOS) == c.second; })) << c.first;
    }
}

TEST_F(MainDialogFake, FailingLevelReadShowsAnEmptyBar)
{
    m_spTopology->m_graph.m_eState = State_Running;
    Filter().m_dblLevel = -3.0;
    m_dialog.PostCommand(IDC_PLAY);
    ASSERT_TRUE(WaitUntil([&] { return m_dialog.Send(IDC_LEVEL, PBM_GETPOS) == 37; }, 1000));
    Filter().m_hrResult = E_FAIL;  // the value handed out is then no level
    EXPECT_TRUE(WaitUntil([&] { return m_dialog.Send(IDC_LEVEL, PBM_GETPOS) == 0; }, 1000))
        << m_dialog.Send(IDC_LEVEL, PBM_GETPOS);
    Filter().m_hrResult = S_OK;
    EXPECT_TRUE(WaitUntil([&] { return m_dialog.Send(IDC_LEVEL, PBM_GETPOS) == 37; }, 1000));
}

TEST_F(MainDialogFake, PlayedRangeMarkStaysWithinTheTrackbar)
{
    const std::pair<LONGLONG, int> rgCases[] = {
        {5000000, 500}, {20000002, 1000}, {MAXLONGLONG / 2, 1000}, {-5000000, 0}, {MINLONGLONG / 2, 0}, {2500000, 250}};
    for (const auto& c : rgCases) {
        m_spTopology->m_graph.m_llPosition = c.first;
        m_dialog.PostCommand(IDC_STOP);  // shows the position the graph reports
        m_dialog.Sync();
        EXPECT_EQ(c.second, m_dialog.Send(IDC_POSITION, TBM_GETSELEND)) << c.first;
    }
}

TEST_F(MainDialogFake, AdviceArmsWithTheSettingsShown)
{
    Filter().m_nChannels = 2;
    m_dialog.Send(IDC_CHANNEL, CB_SETCURSEL, 1);
    ReadBack();
    m_dialog.Send(IDC_TRIGGER_POSITION, CB_SETCURSEL, 1);  // "After"
    m_dialog.Send(IDC_TRIGGER_TYPE, CB_SETCURSEL, 1);      // "Below"
    m_dialog.Send(IDC_TRIGGER_THRESHOLD, TBM_SETPOS, TRUE, 40);
    SendMessageA(m_dialog.Item(IDC_MIN_DURATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("250"));
    Calls().clear();
    m_dialog.Send(IDC_ADVICE, BM_CLICK);
    EXPECT_EQ(std::vector<std::string>{"AdviseEvent(0,1,-20,250,0,event)"}, CallsOf("AdviseEvent"));
    // Each drag notification re-arms: the old registration goes first.
    Calls().clear();
    Scroll(m_dialog, IDC_TRIGGER_THRESHOLD, TB_THUMBTRACK, 60);
    Scroll(m_dialog, IDC_TRIGGER_THRESHOLD, TB_THUMBTRACK, 0);
    EXPECT_EQ((std::vector<std::string>{"Unadvise(7)", "AdviseEvent(0,1,0,250,0,event)", "Unadvise(8)",
                                        "AdviseEvent(0,1,-60,250,0,event)"}),
              CallsOf(""));
    // Not a number: nothing changes, the registration stays.
    Calls().clear();
    SendMessageA(m_dialog.Item(IDC_MIN_DURATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    EXPECT_TRUE(CallsOf("").empty());
    // Unchecking disarms.
    m_dialog.Send(IDC_ADVICE, BM_CLICK);
    EXPECT_EQ(std::vector<std::string>{"Unadvise(9)"}, CallsOf(""));
}

TEST_F(MainDialogFake, ChangingTheModeResetsTheTriggerControls)
{
    SendMessageA(m_dialog.Item(IDC_MIN_DURATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("5"));
    m_dialog.Send(IDC_ADVICE, BM_CLICK);
    m_dialog.Send(IDC_TRIGGER_THRESHOLD, TBM_SETPOS, TRUE, 30);
    Calls().clear();
    m_dialog.Send(IDC_TRIGGER_TYPE, CB_SETCURSEL, 1);
    m_dialog.PostCommand(IDC_TRIGGER_TYPE, CBN_SELCHANGE);
    m_dialog.Sync();
    EXPECT_EQ(BST_UNCHECKED, m_dialog.Send(IDC_ADVICE, BM_GETCHECK));
    EXPECT_EQ("0", m_dialog.Text(IDC_MIN_DURATION));
    EXPECT_EQ(60, m_dialog.Send(IDC_TRIGGER_THRESHOLD, TBM_GETPOS));
    EXPECT_FALSE(IsWindowVisible(m_dialog.Item(IDC_INDICATOR)));
    EXPECT_TRUE(CallsOf("").empty());  // the filter keeps the old registration until the next arming
}

TEST_F(MainDialogFake, FailedAdviseLeavesNothingArmed)
{
    SendMessageA(m_dialog.Item(IDC_MIN_DURATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"));
    Filter().m_hrResult = E_INVALIDARG;
    m_dialog.Send(IDC_ADVICE, BM_CLICK);
    EXPECT_EQ(BST_CHECKED, m_dialog.Send(IDC_ADVICE, BM_GETCHECK));
    EXPECT_EQ(1u, CallsOf("AdviseEvent").size());
    Filter().m_hrResult = S_OK;
    Calls().clear();
    m_dialog.Send(IDC_ADVICE, BM_CLICK);  // unchecking: nothing was armed, nothing to withdraw
    EXPECT_TRUE(CallsOf("Unadvise").empty());
}

TEST_F(MainDialogFake, FiveHundredRearmsLeaveTheHandleCountAlone)
{
    SendMessageA(m_dialog.Item(IDC_MIN_DURATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"));
    m_dialog.Send(IDC_ADVICE, BM_CLICK);
    CHandleCounts before = OwnHandles();
    for (int i = 0; i < 500; i++)
        Scroll(m_dialog, IDC_TRIGGER_THRESHOLD, TB_THUMBTRACK, i % 61);
    CHandleCounts after = OwnHandles();
    EXPECT_EQ(before.nEvents, after.nEvents);
    EXPECT_EQ(before.nOthers, after.nOthers);
    EXPECT_EQ(500u, CallsOf("Unadvise").size());
}

// Every way a registration ends withdraws it from the filter by its own
// cookie and closes its event: a re-arm, a rebuild, unchecking, closing.
TEST_F(MainDialogFake, EveryDisarmWithdrawsItsCookieAndClosesItsEvent)
{
    SendMessageA(m_dialog.Item(IDC_MIN_DURATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"));
    m_dialog.Sync();
    const long nUnarmed = OwnHandles().nEvents;
    auto fnArmedCookie = [&] {
        ULONG dwCookie = Filter().m_nNextCookie;
        m_dialog.Send(IDC_ADVICE, BM_SETCHECK, BST_CHECKED);
        m_dialog.PostCommand(IDC_ADVICE);
        EXPECT_EQ(1u, CallsOf("AdviseEvent").size());
        EXPECT_EQ(nUnarmed + 1, OwnHandles().nEvents) << "one event while armed";
        Calls().clear();
        return dwCookie;
    };
    auto fnUnadvise = [](ULONG dwCookie) { return std::vector<std::string>{"Unadvise(" + std::to_string(dwCookie) + ")"}; };
    auto fnWithdrawn = [&](ULONG dwCookie) { return CallsOf("Unadvise") == fnUnadvise(dwCookie); };

    ULONG dwCookie = fnArmedCookie();
    Scroll(m_dialog, IDC_TRIGGER_THRESHOLD, TB_THUMBTRACK, 30);
    EXPECT_TRUE(fnWithdrawn(dwCookie)) << "re-arm";
    EXPECT_EQ(nUnarmed + 1, OwnHandles().nEvents) << "re-arm";
    Calls().clear();
    m_dialog.Send(IDC_ADVICE, BM_SETCHECK, BST_UNCHECKED);
    m_dialog.PostCommand(IDC_ADVICE);
    EXPECT_TRUE(fnWithdrawn(dwCookie + 1)) << "unchecked";
    EXPECT_EQ(nUnarmed, OwnHandles().nEvents) << "unchecked";
    Calls().clear();

    dwCookie = fnArmedCookie();
    m_dialog.Send(IDC_ADVICE, BM_SETCHECK, BST_UNCHECKED);  // so a rebuild arms nothing new
    BuildFor(m_dialog, "again.wav");
    EXPECT_TRUE(fnWithdrawn(dwCookie)) << "rebuild";
    EXPECT_EQ(nUnarmed, OwnHandles().nEvents) << "rebuild";
    Calls().clear();

    dwCookie = fnArmedCookie();
    m_dialog.PostCommand(IDCANCEL);
    ASSERT_EQ(IDCANCEL, m_dialog.WaitForEnd());
    std::vector<std::string> rgUnadvisedAtClose;
    std::copy_if(m_rgCallsAtClose.begin(), m_rgCallsAtClose.end(), std::back_inserter(rgUnadvisedAtClose),
                 [](const std::string& strCall) { return strCall.rfind("Unadvise", 0) == 0; });
    EXPECT_EQ(fnUnadvise(dwCookie), rgUnadvisedAtClose) << "close";
    EXPECT_EQ(nUnarmed, m_handlesAtClose.nEvents) << "close";
}

TEST_F(MainDialogFake, EndOfStreamStopsRewindsAndTracesOtherEvents)
{
    m_spTopology->m_graph.m_rgEvents = {EC_CLOCK_CHANGED, EC_COMPLETE};
    m_spTopology->m_graph.m_rgCalls.clear();
    CTraceCapture trace;  // before the post: the dialog's thread may handle it at once
    PostMessageA(m_dialog.Dialog(), WM_APP + 0x7B, 0, 0);
    CMessageBoxInfo info = CloseMessageBox(m_dialog);
    EXPECT_EQ("The end", info.strText);
    char szClockChanged[64];
    snprintf(szClockChanged, sizeof(szClockChanged), "CMainDialog::OnGraphNotify(): event 0x%X\n", EC_CLOCK_CHANGED);
    bool bTraced = false;
    for (const CTraceLine& line : trace.Lines())
        bTraced = bTraced || (line.strText == szClockChanged && line.nLevel == 2);
    EXPECT_TRUE(bTraced) << "the unhandled event is traced at level 2";
    EXPECT_FALSE(trace.Contains("CMainDialog::OnGraphNotify(): event 0x1\n")) << "EC_COMPLETE is handled, not traced";
    std::vector<std::string> rgGraphCalls = m_spTopology->m_graph.m_rgCalls;
    EXPECT_NE(rgGraphCalls.end(), std::find(rgGraphCalls.begin(), rgGraphCalls.end(), "Stop"));
    EXPECT_EQ(0, m_spTopology->m_graph.m_llSetCurrent);
}

TEST_F(MainDialogFake, SpectrumSettingsSendWhatIsShown)
{
    m_dialog.Send(IDC_WINDOW_TYPE, CB_SETCURSEL, 3);  // "Hamming"
    SendMessageA(m_dialog.Item(IDC_FFT_ORDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("13"));
    m_dialog.Send(IDC_WINDOW_TYPE, CB_SETCURSEL, 2);  // "Blackman"
    m_dialog.PostCommand(IDC_WINDOW_TYPE, CBN_SELCHANGE);
    m_dialog.Sync();
    SendMessageA(m_dialog.Item(IDC_FFT_ORDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("20"));  // sent as typed
    Filter().m_nOrder = 11;
    SendMessageA(m_dialog.Item(IDC_FFT_ORDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));  // the filter's own order
    EXPECT_EQ((std::vector<std::string>{"SetFFT(3,13)", "SetFFT(2,13)", "SetFFT(2,20)", "GetFFT()", "SetFFT(2,11)"}),
              CallsOf(""));
}

TEST_F(MainDialogFake, SpectrumCheckBoxSendsTheSelectedBandsOrNone)
{
    m_dialog.Send(IDC_BANDS_PER_OCTAVE, CB_SETCURSEL, 3);  // "6"
    m_dialog.Send(IDC_SPECTRUM, BM_SETCHECK, BST_UNCHECKED);
    m_dialog.Send(IDC_SPECTRUM, BM_CLICK);
    EXPECT_TRUE(IsWindowEnabled(m_dialog.Item(IDC_WINDOW_TYPE)));
    m_dialog.Send(IDC_SPECTRUM, BM_CLICK);
    EXPECT_FALSE(IsWindowEnabled(m_dialog.Item(IDC_WINDOW_TYPE)));
    m_dialog.Send(IDC_BANDS_PER_OCTAVE, CB_SETCURSEL, 1);  // "2"
    m_dialog.PostCommand(IDC_BANDS_PER_OCTAVE, CBN_SELCHANGE);
    EXPECT_EQ((std::vector<std::string>{"SetBandsPerOctave(6)", "SetBandsPerOctave(0)", "SetBandsPerOctave(2)"}),
              CallsOf("SetBands"));
}

TEST_F(MainDialogFake, AfterABuildTheControlsMirrorTheFilter)
{
    Filter().m_nBandsPerOctave = 6;
    Filter().m_eWindow = QUELMAR_WINDOW_HAMMING;
    Filter().m_nOrder = 13;
    BuildFor(m_dialog, "again.wav");
    EXPECT_EQ(BST_CHECKED, m_dialog.Send(IDC_SPECTRUM, BM_GETCHECK));
    EXPECT_EQ("13", m_dialog.Text(IDC_FFT_ORDER));
    EXPECT_EQ(3, m_dialog.Send(IDC_BANDS_PER_OCTAVE, CB_GETCURSEL));
    EXPECT_EQ(3, m_dialog.Send(IDC_WINDOW_TYPE, CB_GETCURSEL));
    // Writing the order sends it with the filter's own window ("Hamming").
    EXPECT_EQ(std::vector<std::string>{"SetFFT(3,13)"}, CallsOf("SetFFT"));
    Filter().m_nBandsPerOctave = 0;
    BuildFor(m_dialog, "again.wav");
    EXPECT_EQ(BST_UNCHECKED, m_dialog.Send(IDC_SPECTRUM, BM_GETCHECK));
    EXPECT_FALSE(IsWindowEnabled(m_dialog.Item(IDC_FFT_ORDER)));
}

TEST_F(MainDialogFake, WindowListAfterARebuildIsTheFilters)
{
    // The user picked another window; the new graph's filter has its own.
    const std::pair<QUELMAR_WINDOW, int> rgCases[] = {
        {QUELMAR_WINDOW_HANN, 4}, {QUELMAR_WINDOW_UNIFORM, 0}, {QUELMAR_WINDOW_BLACKMAN, 2}};
    for (const auto& c : rgCases) {
        m_dialog.Send(IDC_WINDOW_TYPE, CB_SETCURSEL, 3);  // "Hamming"
        m_dialog.PostCommand(IDC_WINDOW_TYPE, CBN_SELCHANGE);
        m_dialog.Sync();
        Filter().m_eWindow = c.first;
        Filter().m_nOrder = 11;
        Calls().clear();
        BuildFor(m_dialog, "again.wav");
        EXPECT_EQ(c.second, m_dialog.Send(IDC_WINDOW_TYPE, CB_GETCURSEL)) << c.first;
        EXPECT_EQ("11", m_dialog.Text(IDC_FFT_ORDER));
        for (const std::string& strCall : CallsOf("SetFFT"))  // nothing sent changes the filter's window
            EXPECT_EQ("SetFFT(" + std::to_string(c.first) + ",11)", strCall);
    }
}

TEST_F(MainDialogFake, AdviceCheckedIsArmedAgainAfterARebuild)
{
    SendMessageA(m_dialog.Item(IDC_MIN_DURATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"));
    m_dialog.Send(IDC_ADVICE, BM_CLICK);
    ASSERT_EQ(1u, CallsOf("AdviseEvent").size());
    Calls().clear();
    BuildFor(m_dialog, "again.wav");
    EXPECT_EQ(BST_CHECKED, m_dialog.Send(IDC_ADVICE, BM_GETCHECK));
    ASSERT_EQ(std::vector<std::string>{"AdviseEvent(1,0,0,0,1,event)"}, CallsOf("AdviseEvent"));
    // The new graph's filter fires (again and again, as a level held above the
    // threshold does): the indicator lights.
    HANDLE hEvent = Filter().m_hLastEvent;
    EXPECT_TRUE(WaitUntil(
        [&] {
            SetEvent(hEvent);
            return IsWindowVisible(m_dialog.Item(IDC_INDICATOR)) != FALSE;
        },
        2000));
    m_dialog.Send(IDC_ADVICE, BM_CLICK);
    Calls().clear();
    BuildFor(m_dialog, "again.wav");  // unchecked: nothing armed
    EXPECT_TRUE(CallsOf("AdviseEvent").empty());
}

struct CRefusalCase {
    const char* pszName;
    std::string strPath;
    std::string strText;
};

TEST_F(MainDialogFake, RefusedBuildReleasesThePlayingGraph)
{
    const CRefusalCase rgCases[] = {
        {"EmptyName", "", "File not selected\n"},
        {"PathTooLong", std::string(MAX_PATH + 10, 'a') + ".wav", "Can't build graph\n"},
    };
    for (const CRefusalCase& c : rgCases) {
        BuildFor(m_dialog, "fake.wav");
        m_dialog.PostCommand(IDC_PLAY);
        m_dialog.Sync();
        ASSERT_LT(1u, m_spTopology->m_graph.m_nRefs) << c.pszName;  // the dialog holds the graph
        BuildFor(m_dialog, c.strPath);
        CMessageBoxInfo info = CloseMessageBox(m_dialog);
        EXPECT_EQ(0u, info.strText.find(c.strText)) << info.strText;
        EXPECT_EQ(1u, m_spTopology->m_graph.m_nRefs) << c.pszName;  // only the fake's own reference
        EXPECT_EQ(0, m_spTopology->m_graph.m_hwndNotify) << c.pszName;
        EXPECT_FALSE(IsWindowEnabled(m_dialog.Item(IDC_STOP))) << c.pszName;
    }
}

struct CStreamErrorCase {
    const char* pszName;
    long lEventCode;
    LONG_PTR lStatus;
    HRESULT hrShown;
};

TEST_F(MainDialogFake, StreamErrorStopsRewindsAndSaysSo)
{
    const CStreamErrorCase rgCases[] = {
        {"ErrorAbort", EC_ERRORABORT, static_cast<LONG_PTR>(E_OUTOFMEMORY), E_OUTOFMEMORY},
        {"StreamErrorStopped", EC_STREAM_ERROR_STOPPED, static_cast<LONG_PTR>(E_ACCESSDENIED), E_ACCESSDENIED},
        {"ErrorWithoutAStatus", EC_ERRORABORT, 0, E_FAIL},
    };
    CFakeGraph& graph = m_spTopology->m_graph;
    for (const CStreamErrorCase& c : rgCases) {
        graph.m_rgEvents = {c.lEventCode};
        graph.m_lEventParam1 = c.lStatus;
        graph.m_llSetCurrent = -1;
        graph.m_rgCalls.clear();
        PostMessageA(m_dialog.Dialog(), WM_APP + 0x7B, 0, 0);
        CMessageBoxInfo info = CloseMessageBox(m_dialog);
        char szCode[32];
        snprintf(szCode, sizeof(szCode), "\nError 0x%X", static_cast<unsigned>(c.hrShown));
        EXPECT_EQ("Playback stopped\n" + SystemText(c.hrShown) + szCode, info.strText) << c.pszName;
        EXPECT_NE(nullptr, info.hIcon) << c.pszName;
        EXPECT_NE(graph.m_rgCalls.end(), std::find(graph.m_rgCalls.begin(), graph.m_rgCalls.end(), "Stop")) << c.pszName;
        EXPECT_EQ(0, graph.m_llSetCurrent) << c.pszName;
        EXPECT_EQ(std::vector<long>{c.lEventCode}, graph.m_rgFreedEvents) << c.pszName;
        graph.m_rgFreedEvents.clear();
    }
    EXPECT_TRUE(IsWindowEnabled(m_dialog.Item(IDC_PLAY)));  // as after "The end": ready to play again
}

}  // namespace
