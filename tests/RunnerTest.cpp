// QuelmarRun.exe run as a user or a CI job runs it, under Wine with the real
// level filter and generated media of known levels: exit codes, result lines,
// bad options, files that cannot be built, the CSV, JSON and PNG reports; and
// the runner in this process with a recording filter over the level filter's
// class, to see every setting arrive with the right arguments.
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <cmath>
#include <fstream>
#include <mutex>
#include <regex>
#include <sstream>

#include "BadFiles.h"
#include "ChildProcess.h"
#include "RecordingLevelFilter.h"
#include "WavFile.h"
#include "../../runner/Bands.h"
#include "../../runner/GdiPlusSession.h"
#include "../../runner/PlotLayout.h"
#include "../../runner/Runner.h"

namespace {

constexpr DWORD c_dwRunTimeoutMs = 120000;  // a few seconds of media, on a loaded machine
constexpr double c_dblSineDb = -6.02;       // AES17 level of a sine with a -6 dBFS peak
constexpr double c_dblRightDb = -20.0;
constexpr double c_dblToleranceDb = 0.3;
constexpr DWORD c_nRate = 48000;
const char c_szStuckInParser[] = "(the main thread waits in winegstreamer); the run is stopped";

std::string RunnerPath()
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.find_last_of('\\') + 1) + "QuelmarRun.exe";
}

// Runs QuelmarRun.exe with the arguments, its output read through a pipe.
// Wine's GStreamer parser now and then never returns (seen building a graph
// under load); the runner stops such a run itself and names the module its
// main thread is stuck in. A run stopped inside that parser is made once
// more; a stall anywhere else, or a second one, is returned as it is.
CChildRun RunProcess(const std::vector<std::string>& rgArgs)
{
    std::string strCommand = "\"" + RunnerPath() + "\"";
    for (const std::string& strArg : rgArgs)
        strCommand += " \"" + strArg + "\"";
    CChildRun run = RunChild(strCommand, c_dwRunTimeoutMs);
    if (run.dwExitCode != c_nExitNoRun || run.strOutput.find(c_szStuckInParser) == std::string::npos)
        return run;
    printf("[   NOTE   ] QuelmarRun stopped a run stuck inside Wine's GStreamer parser; made once more: %s\n",
           run.LastLine().c_str());
    return RunChild(strCommand, c_dwRunTimeoutMs);
}

std::string ReadText(const std::string& strPath)
{
    std::ifstream stream(strPath);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

std::vector<std::vector<double>> CsvRows(const std::string& strText, std::string& strHeader)
{
    std::vector<std::vector<double>> rgRows;
    std::istringstream stream(strText);
    std::getline(stream, strHeader);
    for (std::string strLine; std::getline(stream, strLine);) {
        std::vector<double> rgRow;
        std::istringstream fields(strLine);
        for (std::string strField; std::getline(fields, strField, ',');)
            rgRow.push_back(strtod(strField.c_str(), nullptr));
        rgRows.push_back(rgRow);
    }
    return rgRows;
}

size_t CountOf(const std::string& strText, const std::string& strWhat)
{
    size_t nCount = 0;
    for (size_t n = strText.find(strWhat); n != std::string::npos; n = strText.find(strWhat, n + 1))
        ++nCount;
    return nCount;
}

const CWavFormat c_pcm16Stereo = {WAVE_FORMAT_PCM, 16, 2, c_nRate, false};
const CWavFormat c_pcm16Mono = {WAVE_FORMAT_PCM, 16, 1, c_nRate, false};

// 2 s of 1 kHz: left at -6 dB, right at -20 dB.
std::string StereoFile()
{
    static std::string s_strPath;
    if (s_strPath.empty()) {
        s_strPath = TestFilePath("runner-stereo.wav");
        WriteWav(s_strPath, c_pcm16Stereo, Sines({-6.0, c_dblRightDb}, 1000.0, c_nRate, 2.0));
    }
    return s_strPath;
}

// Three bursts of 1 kHz at -6 dB, 0.3 s each, starting at 0.3, 1.3 and 2.3 s.
constexpr double c_rgdblBurstStartSec[] = {0.3, 1.3, 2.3};
constexpr double c_dblBurstSec = 0.3;

std::string BurstsFile()
{
    static std::string s_strPath;
    if (s_strPath.empty()) {
        s_strPath = TestFilePath("runner-bursts.wav");
        std::vector<double> rgTone = Sines({-6.0}, 1000.0, c_nRate, c_dblBurstSec)[0];
        std::vector<double> rgSamples(static_cast<size_t>(3.0 * c_nRate), 0.0);
        for (double dblStart : c_rgdblBurstStartSec)
            std::copy(rgTone.begin(), rgTone.end(), rgSamples.begin() + static_cast<size_t>(dblStart * c_nRate));
        WriteWav(s_strPath, c_pcm16Mono, {rgSamples});
    }
    return s_strPath;
}

// A picture's pixels, read back through GDI+.
class CPicture {
public:
    explicit CPicture(const std::string& strPath)
    {
        std::wstring strWide(strPath.begin(), strPath.end());
        if (Gdiplus::DllExports::GdipCreateBitmapFromFile(strWide.c_str(), &m_pBitmap) != Gdiplus::Ok)
            m_pBitmap = nullptr;
    }
    ~CPicture()
    {
        if (m_pBitmap)
            Gdiplus::DllExports::GdipDisposeImage(m_pBitmap);
    }
    bool Loaded() const { return m_pBitmap != nullptr; }
    UINT Width() const
    {
        UINT n = 0;
        Gdiplus::DllExports::GdipGetImageWidth(m_pBitmap, &n);
        return n;
    }
    COLORREF At(int x, int y) const
    {
        Gdiplus::ARGB argb = 0;
        Gdiplus::DllExports::GdipBitmapGetPixel(m_pBitmap, x, y, &argb);
        return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    }
    // Whether cr is in column x within nRows rows of y.
    bool Near(int x, int y, int nRows, COLORREF cr) const
    {
        for (int dy = -nRows; dy <= nRows; ++dy)
            if (At(x, y + dy) == cr)
                return true;
        return false;
    }

private:
    Gdiplus::GpBitmap* m_pBitmap = nullptr;
};

TEST(QuelmarRun, MeetsTheMediaLevelsAndWritesTheReports)
{
    std::string strCsv = TestFilePath("levels.csv"), strJson = TestFilePath("levels.json");
    std::string strPng = TestFilePath("levels.png");
    CChildRun result = RunProcess({"--expect-level", "1:-6.5:-5.5", "--expect-level", "2:-20.5:-19.5",
                                    "--expect-max", "1:-6.5:-5.5", "--expect-min", "2:-21:-19@0.5:1.5",
                                    "--spectrum", "3", "--expect-band", "1:1000:-9:-3", "--csv", strCsv, "--json",
                                    strJson, "--png", strPng, StereoFile()});
    ASSERT_EQ(0u, result.dwExitCode) << result.strOutput;
    std::vector<std::string> rgLines = result.Lines();
    ASSERT_EQ(7u, rgLines.size()) << result.strOutput;
    EXPECT_NE(std::string::npos, rgLines[0].find(": 2 channel(s), 2.00 s")) << rgLines[0];
    for (size_t i = 1; i <= 5; ++i)
        EXPECT_EQ(0u, rgLines[i].find("ok   " + StereoFile() + ": ")) << rgLines[i];
    EXPECT_NE(std::string::npos, rgLines[1].find("level of channel 1 within [-6.5, -5.5] dB, 0.25 to 1.")) << rgLines[1];
    EXPECT_NE(std::string::npos, rgLines[4].find("0.50 to 1.50 s")) << rgLines[4];
    EXPECT_EQ("5 passed, 0 failed", rgLines.back());

    std::string strHeader;
    std::vector<std::vector<double>> rgRows = CsvRows(ReadText(strCsv), strHeader);
    EXPECT_EQ("time_s,level_ch1_db,level_ch2_db,gain_ch1_db,gain_ch2_db", strHeader);
    ASSERT_GE(rgRows.size(), 30u);  // one every 50 ms of 2 s
    EXPECT_LE(rgRows.size(), 42u);
    size_t nSteady = 0;
    for (size_t i = 0; i < rgRows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        ASSERT_EQ(5u, rgRows[i].size());
        if (i > 0) {  // one reading in each 50 ms of stream time
            EXPECT_GT(std::floor(rgRows[i][0] / 0.05), std::floor(rgRows[i - 1][0] / 0.05));
        }
        EXPECT_EQ(0.0, rgRows[i][3]);
        EXPECT_EQ(0.0, rgRows[i][4]);
        if (rgRows[i][0] < 0.25 || rgRows[i][0] > 1.75)
            continue;
        ++nSteady;
        EXPECT_NEAR(c_dblSineDb, rgRows[i][1], c_dblToleranceDb);
        EXPECT_NEAR(c_dblRightDb - 0.02, rgRows[i][2], c_dblToleranceDb);
    }
    EXPECT_GE(nSteady, 20u);

    std::string strJsonText = ReadText(strJson);
    EXPECT_NE(std::string::npos, strJsonText.find("\"passed\":5,\"failed\":0}")) << strJsonText.substr(0, 400);
    EXPECT_NE(std::string::npos, strJsonText.find("\"filter_version\":\"Quelmar [R64 v."));
    EXPECT_NE(std::string::npos, strJsonText.find("\"duration_s\":2.0000"));
    EXPECT_EQ(rgRows.size(), CountOf(strJsonText, "\"level_db\":["));
    std::smatch match;
    ASSERT_TRUE(std::regex_search(strJsonText, match, std::regex("\"t\":1\\.0\\d+,\"level_db\":\\[([-0-9.]+),([-0-9.]+)\\]")))
        << "no reading near 1 s";
    EXPECT_NEAR(c_dblSineDb, std::stod(match[1]), c_dblToleranceDb);
    EXPECT_NEAR(c_dblRightDb, std::stod(match[2]), c_dblToleranceDb);
    EXPECT_GE(CountOf(strJsonText, "\"bands_db\":[["), 10u);

    CGdiPlusSession gdiPlus;
    CPicture picture(strPng);
    ASSERT_TRUE(picture.Loaded());
    EXPECT_EQ(static_cast<UINT>(PlotLayout::c_nWidth), picture.Width());
    int x = PlotLayout::TimeToX(1.0, 0.0, rgRows.back()[0]);
    EXPECT_TRUE(picture.Near(x, PlotLayout::DbToY(c_dblSineDb, PlotLayout::c_rcLevels), 2, PlotLayout::ChannelColour(0)));
    EXPECT_TRUE(picture.Near(x, PlotLayout::DbToY(c_dblRightDb, PlotLayout::c_rcLevels), 2, PlotLayout::ChannelColour(1)));
    EXPECT_FALSE(picture.Near(x, PlotLayout::DbToY(-40.0, PlotLayout::c_rcLevels), 10, PlotLayout::ChannelColour(0)));
    int nBands = 3 * c_nOctaves;
    RECT rcTone = PlotLayout::BandRect(BandOfFrequency(1000.0, 3), nBands, c_dblSineDb);
    int xTone = (rcTone.left + rcTone.right) / 2;
    EXPECT_EQ(PlotLayout::c_crBar, picture.At(xTone, rcTone.top + 3));
    EXPECT_EQ(PlotLayout::c_crBar, picture.At(xTone, rcTone.bottom - 3));
    EXPECT_EQ(PlotLayout::c_crBackground, picture.At(xTone, rcTone.top - 4));
    RECT rcQuiet = PlotLayout::BandRect(BandOfFrequency(125.0, 3), nBands, -35.0);  // between grid lines
    EXPECT_EQ(PlotLayout::c_crBackground, picture.At((rcQuiet.left + rcQuiet.right) / 2, rcQuiet.top));
}

TEST(QuelmarRun, FailsWhenTheLevelIsOffByOneDecibel)
{
    CChildRun result = RunProcess({"--gain", "all:-1:0", "--expect-level", "1:-6.5:-5.5", "--expect-level",
                                    "2:-21.5:-20.5", StereoFile()});
    EXPECT_EQ(1u, result.dwExitCode) << result.strOutput;
    std::vector<std::string> rgLines = result.Lines();
    ASSERT_EQ(4u, rgLines.size()) << result.strOutput;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(rgLines[1], match, std::regex("^FAIL .*level of channel 1 within \\[-6\\.5, -5\\.5\\] "
                                                                "dB.*: (-[0-9.]+) to (-[0-9.]+) dB in \\d+ readings$")))
        << rgLines[1];
    EXPECT_NEAR(c_dblSineDb - 1.0, std::stod(match[1]), c_dblToleranceDb);
    EXPECT_NEAR(c_dblSineDb - 1.0, std::stod(match[2]), c_dblToleranceDb);
    EXPECT_EQ(0u, rgLines[2].find("ok   ")) << rgLines[2];
    EXPECT_EQ("1 passed, 1 failed", rgLines[3]);
}

TEST(QuelmarRun, CountsTheTriggerSignals)
{
    std::string strJson = TestFilePath("signals.json");
    CChildRun result = RunProcess({"--trigger", "1:before:above:-20", "--expect-signals", "3:3",
                                    "--expect-signals", "1:1@0:1", "--expect-first-signal", "0.7",
                                    "--expect-signals", "4:10", "--json", strJson, BurstsFile()});
    EXPECT_EQ(1u, result.dwExitCode) << result.strOutput;
    std::vector<std::string> rgLines = result.Lines();
    ASSERT_EQ(6u, rgLines.size()) << result.strOutput;
    EXPECT_EQ(0u, rgLines[1].find("ok   ")) << rgLines[1];
    EXPECT_NE(std::string::npos, rgLines[1].find(": 3 signal(s)")) << rgLines[1];
    EXPECT_EQ(0u, rgLines[2].find("ok   ")) << rgLines[2];
    EXPECT_EQ(0u, rgLines[3].find("ok   ")) << rgLines[3];
    EXPECT_EQ(0u, rgLines[4].find("FAIL ")) << rgLines[4];
    EXPECT_EQ("3 passed, 1 failed", rgLines[5]);
    std::string strJsonText = ReadText(strJson);
    std::regex signal("\\{\"start_s\":([0-9.]+),\"end_s\":([0-9.]+)\\}");
    std::vector<double> rgdblStarts;
    for (std::sregex_iterator it(strJsonText.begin(), strJsonText.end(), signal), end; it != end; ++it)
        rgdblStarts.push_back(std::stod((*it)[1]));
    ASSERT_EQ(3u, rgdblStarts.size()) << strJsonText.substr(strJsonText.find("\"signals\""), 300);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(c_rgdblBurstStartSec[i], rgdblStarts[i], 0.4) << "signal " << i;
}

struct CBadOptionCase {
    std::vector<std::string> rgArgs;
    std::string strMessage;
};

TEST(QuelmarRun, RefusesBadOptionsBeforePlaying)
{
    std::string strFile = StereoFile();
    const CBadOptionCase rgCases[] = {
        {{"--gain", "1:50", strFile}, "QuelmarRun: --gain: the gain must be -40 to 40 dB (got \"50\")"},
        {{"--gain", "0:-3", strFile}, "QuelmarRun: --gain: the channel must be 1 to 64 or all (got \"0\")"},
        {{"--auto-gain", "all:-25:-6", strFile}, "QuelmarRun: --auto-gain: the threshold must be -20 to 0 dB (got \"-25\")"},
        {{"--trigger", "1:sideways:above:-20", strFile},
         "QuelmarRun: --trigger: the position must be one of before, after (got \"sideways\")"},
        {{"--trigger", "1:before:above:-70", strFile}, "QuelmarRun: --trigger: the threshold must be -60 to 0 dB (got \"-70\")"},
        {{"--spectrum", "4", strFile}, "QuelmarRun: --spectrum: the bands per octave must be 0, 1, 2, 3 or 6 (got \"4\")"},
        {{"--fft-order", "9", strFile}, "QuelmarRun: --fft-order: the FFT order must be 10 to 15 (got \"9\")"},
        {{"--window", "kaiser", strFile},
         "QuelmarRun: --window: the window must be one of uniform, bartlett, blackman, hamming, hann (got \"kaiser\")"},
        {{"--expect-level", "1:-5", strFile}, "QuelmarRun: --expect-level: expected CH:MIN:MAX[@FROM:TO]"},
        {{"--expect-level", "1:-5:-7", strFile}, "QuelmarRun: --expect-level: the minimum -5 is above the maximum -7"},
        {{"--expect-band", "1:1000:-9:-3", strFile}, "QuelmarRun: --expect-band: needs --spectrum 1, 2, 3 or 6"},
        {{"--expect-signals", "1:2", strFile}, "QuelmarRun: --expect-signals: needs --trigger"},
        {{"--from", "1", "--to", "0.5", strFile}, "QuelmarRun: --to: the end must be after --from"},
        {{"--timeout", "0", strFile}, "QuelmarRun: --timeout: the timeout must be 0.1 to 86400 s (got \"0\")"},
        {{"--loud", strFile}, "QuelmarRun: --loud: unknown option; see --help"},
        {{"--csv"}, "QuelmarRun: --csv: a value must follow; see --help"},
        {{"--spectrum", "3"}, "QuelmarRun: no file given; see --help"},
        {{"--channels", "3", strFile}, "channel 3 is beyond the file's 2 channel(s)"},
        {{"--from", "5", strFile}, "QuelmarRun: " + strFile + ": --from: 5 s is not before the end of the file (2.000 s)"},
    };
    for (const CBadOptionCase& testCase : rgCases) {
        SCOPED_TRACE(testCase.strMessage);
        CChildRun result = RunProcess(testCase.rgArgs);
        EXPECT_EQ(2u, result.dwExitCode);
        std::vector<std::string> rgLines = result.Lines();
        ASSERT_FALSE(rgLines.empty());
        EXPECT_NE(std::string::npos, rgLines[0].find(testCase.strMessage)) << rgLines[0];
        for (const std::string& strLine : rgLines)
            EXPECT_EQ(std::string::npos, strLine.find(" played ")) << "the file was played: " << strLine;
    }
}

TEST(QuelmarRun, HelpListsEveryOption)
{
    CChildRun result = RunProcess({"--help"});
    EXPECT_EQ(0u, result.dwExitCode);
    for (const char* pszOption :
         {"--channels", "--gain", "--auto-gain", "--trigger", "--spectrum", "--window", "--fft-order", "--from", "--to",
          "--timeout", "--expect-level", "--expect-max", "--expect-min", "--expect-band", "--expect-signals",
          "--expect-first-signal", "--csv", "--json", "--png", "--help"})
        EXPECT_NE(std::string::npos, result.strOutput.find(std::string("  ") + pszOption + " ")) << pszOption;
}

TEST(QuelmarRun, ReportsAFileThatCannotBeBuiltAndPlaysTheRest)
{
    int nCases = 0;
    for (const CBadFileCase& badFile : BadFiles()) {
        std::string strName = badFile.pszName;
        if (strName != "Missing" && strName != "RandomBytes")
            continue;
        ++nCases;
        SCOPED_TRACE(strName);
        std::string strPath = badFile.pfnMake();
        HRESULT hrExpected = RenderFileStatus(strPath);
        char szStatus[32];
        snprintf(szStatus, sizeof(szStatus), "Error 0x%lX", static_cast<unsigned long>(hrExpected));
        CChildRun result = RunProcess({"--expect-level", "1:-6.5:-5.5", strPath, StereoFile()});
        EXPECT_EQ(2u, result.dwExitCode) << result.strOutput;
        std::vector<std::string> rgLines = result.Lines();
        ASSERT_EQ(4u, rgLines.size()) << result.strOutput;
        EXPECT_EQ(0u, rgLines[0].find("QuelmarRun: " + strPath + ": Can't build graph: ")) << rgLines[0];
        EXPECT_NE(std::string::npos, rgLines[0].find(szStatus)) << rgLines[0];
        EXPECT_EQ(0u, rgLines[2].find("ok   " + StereoFile())) << rgLines[2];
        EXPECT_EQ("1 passed, 0 failed", rgLines[3]);
    }
    EXPECT_EQ(2, nCases);
}

// A run that is not done within --timeout is stopped, exit code 2, with the
// step it was in (the file plays 2 s, the limit is 1 s).
TEST(QuelmarRun, StopsARunThatIsNotDoneWithinTheTimeout)
{
    CChildRun result = RunProcess({"--expect-level", "1:-6.5:-5.5", "--timeout", "1", StereoFile()});
    EXPECT_EQ(2u, result.dwExitCode) << result.strOutput;
    std::string strLast = result.LastLine();
    EXPECT_EQ(0u, strLast.find("QuelmarRun: " + StereoFile() + ": not done within --timeout 1 s (")) << strLast;
    EXPECT_TRUE(std::regex_search(strLast, std::regex("\\((building the graph|playing)\\)"
                                                      "( \\(the main thread waits in [a-z0-9_]+\\))?; "
                                                      "the run is stopped$")))
        << strLast;
    EXPECT_EQ(std::string::npos, result.strOutput.find(" passed, ")) << result.strOutput;
}

void NoStall(const std::string& strStall, const std::string& /*strStuckIn*/)
{
    ADD_FAILURE() << "stalled: " << strStall;
}

// The runner in this process, the level filter's class answered by the recorder.
TEST(QuelmarRunSettings, EverySettingReachesTheFilter)
{
    CRecordingLevelFilter filter;
    ASSERT_TRUE(filter.Loaded());
    {
        CRegisteredFake registration(CLSID_Quelmar, static_cast<IBaseFilter*>(&filter));
        FILE* pOut = tmpfile();
        ASSERT_NE(nullptr, pOut);
        CConsole console(pOut);
        int nExitCode = RunQuelmar({"--gain", "all:-3:250", "--gain", "2:1.5", "--auto-gain", "1:-10:-6",
                                    "--trigger", "2:after:below:-30:150", "--spectrum", "6", "--window", "hamming",
                                    "--fft-order", "13", "--channels", "2", "--to", "0.6", "--expect-max",
                                    "2:-100:10", StereoFile()},
                                   console, NoStall);
        fclose(pOut);
        EXPECT_EQ(0, nExitCode);
    }
    EXPECT_EQ((std::vector<std::string>{"SetGain(4294967295,-3,250)", "SetGain(1,1.5,100)"}), filter.Calls("SetGain"));
    EXPECT_EQ(std::vector<std::string>{"SetAutoGain(0,-10,-6)"}, filter.Calls("SetAutoGain"));
    EXPECT_EQ(std::vector<std::string>{"SetBandsPerOctave(6)"}, filter.Calls("SetBandsPerOctave"));
    EXPECT_EQ(std::vector<std::string>{"SetFFT(3,13)"}, filter.Calls("SetFFT"));
    EXPECT_EQ(std::vector<std::string>{"AdviseEvent(0,1,-30,150,0,event)"}, filter.Calls("AdviseEvent"));
    EXPECT_EQ(std::vector<std::string>{"Unadvise(" + std::to_string(filter.m_dwLastCookie) + ")"},
              filter.Calls("Unadvise"));
    EXPECT_GE(filter.Calls("GetLevel(1)").size(), 5u);
    EXPECT_TRUE(filter.Calls("GetLevel(0)").empty()) << "channel 1 is not recorded";
    EXPECT_GE(filter.Calls("GetSpectrum(1,66)").size(), 2u);
    EXPECT_TRUE(filter.Calls("Reserved").empty());
    EXPECT_EQ(1u, filter.m_nRefs);
}

// A filter call that never returns: the stall names the step and the module
// the run waits in, here the recorder in this test program. The handler
// lets the call return, and the run goes on to its end.
TEST(QuelmarRunSettings, AFilterCallThatHangsIsReportedWithItsModule)
{
    CRecordingLevelFilter filter;
    ASSERT_TRUE(filter.Loaded());
    HANDLE hRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, hRelease);
    filter.m_hHoldSetGain = hRelease;
    std::mutex mutex;
    std::vector<std::pair<std::string, std::string>> rgStalls;
    {
        CRegisteredFake registration(CLSID_Quelmar, static_cast<IBaseFilter*>(&filter));
        FILE* pOut = tmpfile();
        ASSERT_NE(nullptr, pOut);
        CConsole console(pOut);
        // Long enough for a graph to build on a loaded machine before SetGain.
        RunQuelmar({"--gain", "1:-3", "--timeout", "10", StereoFile()}, console,
                   [&](const std::string& strStall, const std::string& strStuckIn) {
                       std::lock_guard<std::mutex> lock(mutex);
                       rgStalls.emplace_back(strStall, strStuckIn);
                       SetEvent(hRelease);
                   });
        fclose(pOut);
    }
    CloseHandle(hRelease);
    ASSERT_FALSE(rgStalls.empty());
    EXPECT_EQ(StereoFile() + ": not done within --timeout 10 s (playing)", rgStalls[0].first);
    EXPECT_EQ("runnertest", rgStalls[0].second);
    EXPECT_EQ(std::vector<std::string>{"SetGain(0,-3,100)"}, filter.Calls("SetGain"));
}

}  // namespace
