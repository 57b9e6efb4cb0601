// The spectrum window: its pictures, read back from the screen and checked
// against the layout worked out here from the display's rules, and its
// polling, clearing and GDI objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "FakeTopology.h"
#include "WavFile.h"
#include "ProcessResources.h"
#include "TraceCapture.h"
#include "WindowText.h"
#include "../graph/Graph.h"
#include "../spectrum/SpectrWin.h"

namespace {

constexpr COLORREF c_crGreen = RGB(0, 255, 0);
constexpr COLORREF c_crGrey = RGB(160, 160, 160);

// A top-level window at the screen's corner holding the spectrum window
// with a client area of cx x cy pixels.
class CSpectrumHost {
public:
    CSpectrumHost(int cx, int cy)
    {
        m_hWndParent = CreateWindowExA(WS_EX_TOPMOST, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, cx + 40, cy + 40,
                                       nullptr, nullptr, nullptr, nullptr);
        RECT rc = {10, 10, 10 + cx, 10 + cy};
        AdjustWindowRectEx(&rc, WS_CHILD, FALSE, WS_EX_CLIENTEDGE);
        m_wnd.Create(m_hWndParent, rc);
    }
    ~CSpectrumHost() { DestroyWindow(m_hWndParent); }
    CSpectrumHost(const CSpectrumHost&) = delete;
    CSpectrumHost& operator=(const CSpectrumHost&) = delete;

    // Paints now and reads the client area's pixels from the screen.
    void Capture()
    {
        m_wnd.Invalidate();
        UpdateWindow(m_wnd);
        ReadSettledScreen();
    }
    // Reads what the screen shows once it has settled, painting nothing.
    // Wine puts what was drawn on the screen a little later, from the
    // message loop: messages are served until two reads 50 ms apart agree.
    void ReadSettledScreen()
    {
        GdiFlush();
        std::vector<DWORD> rgPrevious;
        WaitUntil([&] {
            ServeMessages(50);
            rgPrevious.swap(m_rgPixels);
            ReadScreen();
            return m_rgPixels == rgPrevious;
        });
    }
    void ReadScreen()
    {
        RECT rc;
        GetClientRect(m_wnd, &rc);
        m_cx = rc.right;
        m_cy = rc.bottom;
        POINT pt = {0, 0};
        ClientToScreen(m_wnd, &pt);
        HDC hScreen = GetDC(nullptr);
        HDC hMem = CreateCompatibleDC(hScreen);
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = m_cx;
        bmi.bmiHeader.biHeight = -m_cy;  // top-down
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        void* pBits = nullptr;
        HBITMAP hBitmap = CreateDIBSection(hMem, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
        HGDIOBJ hOld = SelectObject(hMem, hBitmap);
        BitBlt(hMem, 0, 0, m_cx, m_cy, hScreen, pt.x, pt.y, SRCCOPY);
        m_rgPixels.assign(static_cast<const DWORD*>(pBits), static_cast<const DWORD*>(pBits) + m_cx * m_cy);
        SelectObject(hMem, hOld);
        DeleteObject(hBitmap);
        DeleteDC(hMem);
        ReleaseDC(nullptr, hScreen);
    }
    // Lets Wine's message loop run for dwMs without taking any message off
    // the queue (the tests count the window's timer calls).
    static void ServeMessages(DWORD dwMs)
    {
        DWORD dwStart = GetTickCount();
        do {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        } while (GetTickCount() - dwStart < dwMs);
    }
    COLORREF Pixel(int x, int y) const
    {
        DWORD dw = m_rgPixels[y * m_cx + x];
        return RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF);
    }
    bool IsGreen(int x, int y) const { return Pixel(x, y) == c_crGreen; }
    int CountGreen() const
    {
        int n = 0;
        for (int y = 0; y < m_cy; y++)
            for (int x = 0; x < m_cx; x++)
                n += IsGreen(x, y);
        return n;
    }

    HWND m_hWndParent;
    CSpectrWin m_wnd;
    int m_cx = 0, m_cy = 0;
    std::vector<DWORD> m_rgPixels;
};

// The layout the display's rules give for a client area and band count.
struct CLayout {
    int nBottom;
    double dblScale;
    int nLabelWidth;       // the label column with its 2-pixel margin
    std::vector<int> rgLeft, rgRight;  // bars: [left, right)
    int GridRow(int nLevel) const { return static_cast<int>((nLevel + 5) * dblScale); }
    int TopFor(double dblDb) const
    {
        int nTop = dblDb < -60 ? nBottom : static_cast<int>((5 - dblDb) * dblScale);
        return nTop < 0 ? 0 : nTop;
    }
};

CLayout LayoutFor(int cx, int cy, unsigned nBands)
{
    CLayout layout;
    layout.nBottom = cy - 20;
    layout.dblScale = layout.nBottom / 65.0;
    HDC hDC = GetDC(nullptr);
    HGDIOBJ hOld = SelectObject(hDC, GetStockObject(DEFAULT_GUI_FONT));
    int nWidest = 0;
    for (const char* psz : {"0", "20", "40", "60"}) {
        SIZE s;
        GetTextExtentPoint32A(hDC, psz, lstrlenA(psz), &s);
        nWidest = std::max(nWidest, static_cast<int>(s.cx));
    }
    SelectObject(hDC, hOld);
    ReleaseDC(nullptr, hDC);
    layout.nLabelWidth = nWidest + 2;
    double dblBandWidth = static_cast<double>(cx - layout.nLabelWidth) / nBands;
    int nRight = layout.nLabelWidth + 1;
    for (unsigned i = 0; i < nBands; i++) {
        layout.rgLeft.push_back(nRight + 1);
        double dbl = dblBandWidth * (i + 1);
        nRight = layout.nLabelWidth + static_cast<int>(dbl >= 0 ? dbl + 0.5 : dbl - 0.5);
        layout.rgRight.push_back(nRight);
    }
    return layout;
}

// A CGraph over the fakes whose filter hands out the test's band values,
// with the graph manager reporting itself running.
class SpectrumWindow : public testing::Test, public CFakeTopology {
protected:
    void SetUp() override
    {
        m_hWndNotify = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_EQ(S_OK, m_graph_.BuildGraph("fake.wav", m_hWndNotify, WM_APP));
        m_graph.m_eState = State_Running;
    }
    void TearDown() override
    {
        m_graph_.Reset();
        DestroyWindow(m_hWndNotify);
    }
    // Shows the values: attach, then one poll.
    void Show(CSpectrumHost& host, int nBandsPerOctave, const std::vector<double>& rgValues)
    {
        m_quelmar.m_rgdblSpectrum = rgValues;
        ASSERT_EQ(S_OK, host.m_wnd.SetGraph(nBandsPerOctave, &m_graph_));
        SendMessageA(host.m_wnd, WM_TIMER, CSpectrWin::c_nTimerId, 0);
    }

    HWND m_hWndNotify = nullptr;
    CGraph m_graph_;
};

TEST_F(SpectrumWindow, ElevenBandsIn400x120)
{
    CSpectrumHost host(400, 120);
    std::vector<double> rgValues = {-30.0, 0.0, 5.0, -60.0, -120.0, 20.0, -59.0, -10.0, -30.0, -45.0, -1.0};
    Show(host, 1, rgValues);
    host.Capture();
    ASSERT_EQ(400, host.m_cx);
    CLayout layout = LayoutFor(400, 120, 11);
    EXPECT_EQ((std::vector<int>{7, 38, 69, 100}),
              (std::vector<int>{layout.GridRow(0), layout.GridRow(20), layout.GridRow(40), layout.GridRow(60)}));
    EXPECT_EQ(400, layout.rgRight.back());  // the last bar ends at the right edge
    for (size_t i = 0; i < rgValues.size(); i++) {
        SCOPED_TRACE("band " + std::to_string(i) + " at " + std::to_string(rgValues[i]) + " dB");
        int nTop = layout.TopFor(rgValues[i]);
        int nLeft = layout.rgLeft[i], nRight = layout.rgRight[i];
        int y = nTop < layout.nBottom ? (nTop + layout.nBottom) / 2 : layout.nBottom - 1;
        bool bFilled = nTop < layout.nBottom;
        EXPECT_EQ(bFilled, host.IsGreen(nLeft, y));
        EXPECT_EQ(bFilled, host.IsGreen(nRight - 1, y));
        EXPECT_FALSE(host.IsGreen(nLeft - 1, y));  // the one-pixel gap
        if (nRight < 400) {
            EXPECT_FALSE(host.IsGreen(nRight, y));
        }
        if (bFilled) {
            EXPECT_TRUE(host.IsGreen((nLeft + nRight) / 2, nTop));
            EXPECT_TRUE(host.IsGreen((nLeft + nRight) / 2, layout.nBottom - 1));
            EXPECT_FALSE(host.IsGreen((nLeft + nRight) / 2, layout.nBottom));
            if (nTop > 0) {
                EXPECT_FALSE(host.IsGreen((nLeft + nRight) / 2, nTop - 1));
            }
        }
    }
    EXPECT_EQ(53, layout.TopFor(-30.0));
    EXPECT_EQ(7, layout.TopFor(0.0));
    EXPECT_EQ(0, layout.TopFor(5.0));
    // Grid lines show where no bar covers them: in the gap before the first bar.
    for (int nLevel : {0, 20, 40, 60}) {
        EXPECT_EQ(c_crGrey, host.Pixel(layout.nLabelWidth + 1, layout.GridRow(nLevel))) << nLevel;
        EXPECT_NE(c_crGrey, host.Pixel(layout.nLabelWidth + 1, layout.GridRow(nLevel) + 1)) << nLevel;
    }
    // Band 4 (-120 dB) draws nothing: its column shows the grid lines.
    EXPECT_EQ(c_crGrey, host.Pixel((layout.rgLeft[4] + layout.rgRight[4]) / 2, layout.GridRow(40)));
}

// Dark pixels (label text) inside a rectangle.
bool HasText(const CSpectrumHost& host, int nLeft, int nTop, int nRight, int nBottom)
{
    for (int y = std::max(0, nTop); y < std::min(host.m_cy, nBottom); y++)
        for (int x = std::max(0, nLeft); x < std::min(host.m_cx, nRight); x++)
            if (GetRValue(host.Pixel(x, y)) < 100 && GetGValue(host.Pixel(x, y)) < 100)
                return true;
    return false;
}

TEST_F(SpectrumWindow, SixtySixBandsLabelEveryOctaveUnderItsFirstBand)
{
    CSpectrumHost host(400, 120);
    Show(host, 6, std::vector<double>(66, -120.0));
    host.Capture();
    CLayout layout = LayoutFor(400, 120, 66);
    EXPECT_EQ(0, host.CountGreen());
    for (int nOctave = 0; nOctave < 11; nOctave++) {
        int i = nOctave * 6;
        int nCentre = (layout.rgLeft[i] + layout.rgRight[i]) / 2;
        EXPECT_TRUE(HasText(host, nCentre - 12, layout.nBottom + 3, nCentre + 12, 120)) << "octave " << nOctave;
    }
    for (int nLevel : {0, 20, 40, 60})  // the grid labels, left of the lines
        EXPECT_TRUE(HasText(host, 0, layout.GridRow(nLevel) - 6, layout.nLabelWidth, layout.GridRow(nLevel) + 6)) << nLevel;
}

TEST_F(SpectrumWindow, TooNarrowForItsBandsDrawsNoBars)
{
    CSpectrumHost host(30, 120);
    Show(host, 6, std::vector<double>(66, 0.0));
    host.Capture();
    EXPECT_EQ(0, host.CountGreen());
}

TEST_F(SpectrumWindow, WithoutASpectrumTheWindowIsPlain)
{
    CSpectrumHost host(200, 80);
    Show(host, 3, std::vector<double>(33, 0.0));
    ASSERT_EQ(S_OK, host.m_wnd.SetGraph(0, &m_graph_));
    EXPECT_EQ(nullptr, host.m_wnd.Spectrum());
    host.Capture();
    COLORREF crMenu = GetSysColor(COLOR_MENU);
    for (int y = 0; y < host.m_cy; y += 7)
        for (int x = 0; x < host.m_cx; x += 7)
            ASSERT_EQ(crMenu, host.Pixel(x, y)) << x << "," << y;
}

TEST_F(SpectrumWindow, BandCountsFollowTheBandsPerOctave)
{
    CSpectrumHost host(200, 80);
    for (int n : {1, 2, 3, 6}) {
        ASSERT_EQ(S_OK, host.m_wnd.SetGraph(n, &m_graph_));
        EXPECT_EQ(11u * n, host.m_wnd.Bands());
        for (unsigned i = 0; i < host.m_wnd.Bands(); i++)
            EXPECT_EQ(-120.0, host.m_wnd.Spectrum()[i]);
    }
    EXPECT_EQ(E_INVALIDARG, host.m_wnd.SetGraph(3, nullptr));
    EXPECT_EQ(66u, host.m_wnd.Bands());  // unchanged
}

TEST_F(SpectrumWindow, CountsThatAreNoOctaveBandsAreRefused)
{
    CSpectrumHost host(200, 80);
    // 390451573 x 11 wraps to 7 in 32 bits, 0xFFFFFFFF x 11 to a count of
    // gigabytes; -1 is negative; 4, 5 and 12 are bands no label fits.
    for (int n : {390451573, static_cast<int>(0xFFFFFFFF), -1, 4, 5, 12}) {
        ASSERT_EQ(S_OK, host.m_wnd.SetGraph(3, &m_graph_));
        EXPECT_EQ(E_INVALIDARG, host.m_wnd.SetGraph(n, &m_graph_)) << n;
        EXPECT_EQ(0u, host.m_wnd.Bands()) << n;
        EXPECT_EQ(nullptr, host.m_wnd.Spectrum()) << n;
        host.Capture();  // paints the plain window
        EXPECT_EQ(GetSysColor(COLOR_MENU), host.Pixel(host.m_cx / 2, host.m_cy / 2)) << n;
    }
}

// Bars on the screen, then the window's values cleared without a repaint:
// whatever draws the window next shows no bars.
class SpectrumWindowTick : public SpectrumWindow {
protected:
    void ShowBarsThenClear(CSpectrumHost& host)
    {
        Show(host, 3, std::vector<double>(33, 0.0));
        host.Capture();
        ASSERT_GT(host.CountGreen(), 0);
        host.m_wnd.ResetSpectrum();
        m_quelmar.m_rgCalls.clear();
    }
    // The tick drew the window itself, at once: nothing is left invalid for
    // a later WM_PAINT, and the screen shows the cleared values.
    static void ExpectDrawnAtOnce(CSpectrumHost& host)
    {
        EXPECT_FALSE(GetUpdateRect(host.m_wnd, nullptr, FALSE));
        host.ReadSettledScreen();
        EXPECT_EQ(0, host.CountGreen());
    }
};

TEST_F(SpectrumWindowTick, PollsOnlyWhileTheGraphRunsAndDrawsAfterEveryPoll)
{
    CSpectrumHost host(200, 80);
    ShowBarsThenClear(host);
    for (OAFilterState eState : {State_Paused, State_Stopped}) {
        m_graph.m_eState = eState;
        SendMessageA(host.m_wnd, WM_TIMER, 1, 0);
        EXPECT_TRUE(m_quelmar.m_rgCalls.empty()) << eState;
        EXPECT_FALSE(GetUpdateRect(host.m_wnd, nullptr, FALSE)) << eState;
    }
    host.ReadSettledScreen();
    EXPECT_GT(host.CountGreen(), 0);  // the last picture stays
    m_graph.m_eState = State_Running;
    m_quelmar.m_hrResult = E_FAIL;  // a failing poll still draws
    SendMessageA(host.m_wnd, WM_TIMER, 1, 0);
    EXPECT_EQ(std::vector<std::string>{"GetSpectrum(0,33)"}, m_quelmar.m_rgCalls);
    ExpectDrawnAtOnce(host);
}

TEST_F(SpectrumWindowTick, WithoutAGraphManagerEveryTickPollsAndDraws)
{
    CSpectrumHost host(200, 80);
    ShowBarsThenClear(host);
    m_graph_.Reset();  // as after a rebuild whose graph manager could not be created
    SendMessageA(host.m_wnd, WM_TIMER, 1, 0);
    ExpectDrawnAtOnce(host);
}

TEST_F(SpectrumWindow, ChangingTheChannelClearsTheBarsAndPollsTheNewOne)
{
    CSpectrumHost host(200, 80);
    Show(host, 1, std::vector<double>(11, -10.0));
    EXPECT_EQ(-10.0, host.m_wnd.Spectrum()[3]);
    host.m_wnd.SetChannel(1);
    for (unsigned i = 0; i < 11; i++)
        EXPECT_EQ(-120.0, host.m_wnd.Spectrum()[i]);
    m_quelmar.m_rgCalls.clear();
    SendMessageA(host.m_wnd, WM_TIMER, 1, 0);
    EXPECT_EQ(std::vector<std::string>{"GetSpectrum(1,11)"}, m_quelmar.m_rgCalls);
}

// The brush, the pen and the off-screen picture are made once and kept;
// painting and ticking make nothing more, and the window's end frees them.
TEST_F(SpectrumWindow, GdiObjectsAreMadeOnceAndFreedWithTheWindow)
{
    const long nBeforeWindow = GdiObjectCount(GetCurrentProcess());
    ASSERT_GT(nBeforeWindow, 0);
    {
        CSpectrumHost host(200, 80);
        ASSERT_EQ(S_OK, host.m_wnd.SetGraph(3, &m_graph_));
        HBRUSH hBrush = host.m_wnd.Brush();
        HPEN hPen = host.m_wnd.Pen();
        ASSERT_NE(nullptr, hBrush);
        ASSERT_NE(nullptr, hPen);
        host.m_wnd.Invalidate();
        UpdateWindow(host.m_wnd);  // the first paint makes the off-screen picture
        const long nBefore = GdiObjectCount(GetCurrentProcess());
        for (int i = 0; i < 100; i++)
            host.m_wnd.SetGraph(1 + i % 6 / 2, &m_graph_);
        for (int i = 0; i < 1000; i++) {
            host.m_wnd.Invalidate();
            UpdateWindow(host.m_wnd);
            SendMessageA(host.m_wnd, WM_TIMER, 1, 0);  // a tick draws through a window DC
        }
        EXPECT_EQ(hBrush, host.m_wnd.Brush());
        EXPECT_EQ(hPen, host.m_wnd.Pen());
        EXPECT_EQ(nBefore, GdiObjectCount(GetCurrentProcess()));
    }
    EXPECT_EQ(nBeforeWindow, GdiObjectCount(GetCurrentProcess()));
}

// The real level filter playing a file: the bars the window draws.
class SpectrumWindowReal : public testing::Test {
protected:
    void SetUp() override
    {
        m_hWndNotify = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        m_cgraph.Reset();
        DestroyWindow(m_hWndNotify);
    }
    // Plays strPath, polls for a while, and returns each bar's top row.
    std::vector<int> BarTops(const std::string& strPath, ULONG nOrder)
    {
        CSpectrumHost host(400, 120);
        EXPECT_EQ(S_OK, m_cgraph.BuildGraph(strPath.c_str(), m_hWndNotify, WM_APP));
        EXPECT_EQ(S_OK, m_cgraph.SetBandsPerOctave(3));
        EXPECT_EQ(S_OK, m_cgraph.SetFFT(QUELMAR_WINDOW_HANN, nOrder));
        EXPECT_EQ(S_OK, host.m_wnd.SetGraph(3, &m_cgraph));
        HRESULT hr = m_cgraph.Run();
        EXPECT_TRUE(hr == S_OK || hr == S_FALSE);
        // Polled as the window's timer would, until a second of audio more
        // than one transform holds has played.
        LONGLONG llNeeded = 10000000 + (10000000LL << nOrder) / 48000;
        EXPECT_TRUE(WaitUntil([&] {
            SendMessageA(host.m_wnd, WM_TIMER, CSpectrWin::c_nTimerId, 0);
            LONGLONG llPosition = 0;
            return SUCCEEDED(m_cgraph.GetPosition(&llPosition)) && llPosition >= llNeeded;
        })) << "the file played too slowly";
        m_cgraph.Pause();
        host.Capture();
        CLayout layout = LayoutFor(400, 120, 33);
        std::vector<int> rgTops;
        for (size_t i = 0; i < 33; i++) {
            int x = (layout.rgLeft[i] + layout.rgRight[i]) / 2, y = 0;
            while (y < layout.nBottom && !host.IsGreen(x, y))
                y++;
            rgTops.push_back(y);
        }
        return rgTops;
    }

    HWND m_hWndNotify = nullptr;
    CGraph m_cgraph;
};

struct CToneCase {
    const char* pszName;
    double dblHz;
    size_t nBand;
};

class SpectrumWindowTone : public SpectrumWindowReal, public testing::WithParamInterface<CToneCase> {};

// A tone at a band's centre draws that band's bar tallest: 1 kHz is the
// first band of the "1k" octave; 31.25 Hz, the first of "31", is narrower
// than the FFT's bins at order 12.
TEST_P(SpectrumWindowTone, IsTallestInItsOwnBand)
{
    std::string strPath = TestFilePath(std::string(GetParam().pszName) + ".wav");
    WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 2, 48000, false}, Sines({-6.0, -6.0}, GetParam().dblHz, 48000, 3.0));
    std::vector<int> rgTops = BarTops(strPath, 12);
    size_t nTallest = std::min_element(rgTops.begin(), rgTops.end()) - rgTops.begin();
    EXPECT_EQ(GetParam().nBand, nTallest);
    for (size_t i = 0; i < rgTops.size(); i++)
        EXPECT_TRUE(i == GetParam().nBand || rgTops[i] > rgTops[GetParam().nBand]) << "band " << i << " as tall";
}

INSTANTIATE_TEST_SUITE_P(Tones, SpectrumWindowTone,
                         testing::Values(CToneCase{"tone1k", 1000.0, 18}, CToneCase{"tone31", 31.25, 3}),
                         [](const testing::TestParamInfo<CToneCase>& info) { return info.param.pszName; });

TEST_F(SpectrumWindowReal, WhiteNoiseFillsTheBands)
{
    std::string strPath = TestFilePath("noise.wav");
    std::vector<double> rgNoise(48000 * 3);
    unsigned nSeed = 12345;
    for (double& dbl : rgNoise) {
        nSeed = nSeed * 1103515245 + 12345;
        dbl = ((nSeed >> 8) & 0xFFFF) / 65536.0 - 0.5;
    }
    WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 1, 48000, false}, {rgNoise});
    // With 2^15 points (1.46 Hz bins) every band holds bins; the top band
    // (22.6-28.5 kHz) reaches below the 24 kHz Nyquist frequency too.
    std::vector<int> rgTops = BarTops(strPath, 15);
    CLayout layout = LayoutFor(400, 120, 33);
    for (size_t i = 0; i < 33; i++)
        EXPECT_LT(rgTops[i], layout.nBottom) << "band " << i;
}

TEST(SpectrumWindowMessageMap, UnknownMapIdIsTraced)
{
    CTraceCapture capture;
    CSpectrWin wnd;
    LRESULT lResult = 0;
    EXPECT_FALSE(wnd.ProcessWindowMessage(nullptr, WM_PAINT, 0, 0, lResult, 1));
    EXPECT_EQ(std::vector<std::string>{"Invalid message map ID (1)\n"}, capture.Texts());
}

TEST(SpectrumWindowRounding, HalvesGoAwayFromZero)
{
    EXPECT_EQ(3, RoundToInt(2.5));
    EXPECT_EQ(-3, RoundToInt(-2.5));
    EXPECT_EQ(2, RoundToInt(2.49));
    EXPECT_EQ(0, RoundToInt(0.0));
}

}  // namespace
