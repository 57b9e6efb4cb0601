#include "SpectrWin.h"

#include <cstdio>
#include <cstdlib>

#include "../graph/Graph.h"

namespace {

const char* const s_rgszFrequency[11] = {"16", "32", "63", "125", "250", "500", "1k", "2k", "4k", "8k", "16k"};

constexpr int c_nBottomDb = -60;       // the bottom of the bar area
constexpr int c_nTopDb = 5;            // the top edge of the window
constexpr int c_nGridStepDb = 20;      // grid lines and labels every 20 dB
constexpr int c_nLabelStrip = 20;      // pixels under the bars for the octave labels
constexpr int c_nLabelOffset = 3;      // octave labels this far below the bar area
constexpr double c_dblClearedDb = -120.0;

// The band counts the window can label: 11 octaves of 1, 2, 3 or 6 bands
// (0: no spectrum).
bool IsShownBandsPerOctave(int nBandsPerOctave)
{
    return nBandsPerOctave == 0 || nBandsPerOctave == 1 || nBandsPerOctave == 2 || nBandsPerOctave == 3 ||
           nBandsPerOctave == 6;
}

}  // namespace

int RoundToInt(double dbl)
{
    return dbl >= 0 ? static_cast<int>(dbl + 0.5) : static_cast<int>(dbl - 0.5);
}

CSpectrWin::~CSpectrWin()
{
    DeleteGdiObjects();
    free(m_pdblSpectr);
}

HRESULT CSpectrWin::Create(HWND hWndParent, RECT& rc)
{
    CWindowImpl::Create(hWndParent, rc, "", WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE, 0U, nullptr);
    return 0;
}

HRESULT CSpectrWin::SetGraph(int nBandsPerOctave, CGraph* pGraph)
{
    if (!pGraph)
        return E_INVALIDARG;
    m_pGraph = pGraph;
    free(m_pdblSpectr);
    m_pdblSpectr = nullptr;
    // Any other count could wrap to a few bands or ask for gigabytes: none shown.
    bool bShown = IsShownBandsPerOctave(nBandsPerOctave);
    m_nBands = bShown ? static_cast<unsigned>(nBandsPerOctave) * 11 : 0;
    if (m_nBands == 0) {
        InvalidateRect(nullptr, FALSE);
        return bShown ? S_OK : E_INVALIDARG;
    }
    m_pdblSpectr = static_cast<double*>(malloc(m_nBands * sizeof(double)));
    if (!m_pdblSpectr)
        return E_OUTOFMEMORY;
    ResetSpectrum();
    CreateGdiObjects();
    InvalidateRect(nullptr, FALSE);
    SetTimer(c_nTimerId, c_nTimerMs);
    return S_OK;
}

void CSpectrWin::SetChannel(int nChannel)
{
    m_nChannel = nChannel;
    ResetSpectrum();
}

void CSpectrWin::ResetSpectrum()
{
    if (!m_pdblSpectr)
        return;
    for (unsigned i = 0; i < m_nBands; i++)
        m_pdblSpectr[i] = c_dblClearedDb;
}

void CSpectrWin::CreateGdiObjects()
{
    if (!m_hbrGreen)
        m_hbrGreen = CreateSolidBrush(RGB(0, 255, 0));
    if (!m_hGreyPen)
        m_hGreyPen = CreatePen(PS_SOLID, 0, RGB(160, 160, 160));
}

void CSpectrWin::DeleteGdiObjects()
{
    DeleteBuffer();
    if (m_hbrGreen) {
        DeleteObject(m_hbrGreen);
        m_hbrGreen = nullptr;
    }
    if (m_hGreyPen) {
        DeleteObject(m_hGreyPen);
        m_hGreyPen = nullptr;
    }
}

LRESULT CSpectrWin::OnTimer(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, BOOL& /*bHandled*/)
{
    if (!m_pGraph) {
        KillTimer(c_nTimerId);
        return 0;
    }
    if (m_nBands == 0 || !m_pGraph->IsRunning() || !m_pdblSpectr)
        return 0;  // the last picture stays
    ULONG nData = 0;
    m_pGraph->GetSpectrum(m_nChannel, m_nBands, &nData, m_pdblSpectr);
    // Drawn now rather than invalidated: a repaint through WM_PAINT costs
    // Wine about ten window-server round trips (invalidation, update and
    // visible regions, the caret around the paint), a window DC one at most.
    HDC hDC = ::GetDC(m_hWnd);
    if (!hDC) {
        InvalidateRect(nullptr, FALSE);
        return 0;
    }
    Paint(hDC);
    ::ReleaseDC(m_hWnd, hDC);
    return 0;
}

LRESULT CSpectrWin::OnPaint(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, BOOL& /*bHandled*/)
{
    PAINTSTRUCT ps;
    HDC hDC = BeginPaint(m_hWnd, &ps);
    if (hDC)
        Paint(hDC);
    EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT CSpectrWin::OnEraseBackground(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, BOOL& /*bHandled*/)
{
    return 1;  // every paint covers the whole client area
}

void CSpectrWin::Paint(HDC hDC)
{
    // The picture is drawn off screen and copied on in one piece, so the
    // screen never shows the cleared background without its bars. Without
    // the memory for that, it is drawn straight on.
    RECT rcClient;
    GetClientRect(&rcClient);
    HDC hBufferDC = BufferFor(hDC, rcClient.right, rcClient.bottom);
    if (!hBufferDC) {
        PaintPicture(hDC, rcClient);
        return;
    }
    PaintPicture(hBufferDC, rcClient);
    BitBlt(hDC, 0, 0, rcClient.right, rcClient.bottom, hBufferDC, 0, 0, SRCCOPY);
}

HDC CSpectrWin::BufferFor(HDC hDC, int cx, int cy)
{
    // Kept from paint to paint: under Wine a new memory DC asks the window
    // server for the font smoothing settings each time its text is drawn.
    if (m_hBufferDC && m_sizeBuffer.cx == cx && m_sizeBuffer.cy == cy)
        return m_hBufferDC;
    DeleteBuffer();
    m_hBufferDC = CreateCompatibleDC(hDC);
    m_hBufferBitmap = m_hBufferDC ? CreateCompatibleBitmap(hDC, cx, cy) : nullptr;
    if (!m_hBufferBitmap) {
        DeleteBuffer();
        return nullptr;
    }
    m_hBufferOldBitmap = SelectObject(m_hBufferDC, m_hBufferBitmap);
    m_sizeBuffer = {cx, cy};
    return m_hBufferDC;
}

void CSpectrWin::DeleteBuffer()
{
    if (m_hBufferDC && m_hBufferOldBitmap)
        SelectObject(m_hBufferDC, m_hBufferOldBitmap);
    m_hBufferOldBitmap = nullptr;
    if (m_hBufferBitmap) {
        DeleteObject(m_hBufferBitmap);
        m_hBufferBitmap = nullptr;
    }
    if (m_hBufferDC) {
        DeleteDC(m_hBufferDC);
        m_hBufferDC = nullptr;
    }
}

void CSpectrWin::PaintPicture(HDC hDC, const RECT& rcClient)
{
    if (m_nBands == 0 || !m_pdblSpectr) {
        FillRect(hDC, &rcClient, GetSysColorBrush(COLOR_MENU));
        return;
    }
    FillRect(hDC, &rcClient, GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ hOldFont = SelectObject(hDC, GetStockObject(DEFAULT_GUI_FONT));
    int nOldMode = SetBkMode(hDC, TRANSPARENT);
    HGDIOBJ hOldPen = m_hGreyPen ? SelectObject(hDC, m_hGreyPen) : nullptr;
    int nBottom = rcClient.bottom - c_nLabelStrip;
    double dblScale = nBottom / static_cast<double>(c_nTopDb - c_nBottomDb);
    int nLabelWidth = PaintGrid(hDC, rcClient.right, dblScale);
    PaintBars(hDC, rcClient.right, nBottom, dblScale, nLabelWidth);
    SetBkMode(hDC, nOldMode);
    SelectObject(hDC, hOldFont);
    if (hOldPen)
        SelectObject(hDC, hOldPen);
}

int CSpectrWin::PaintGrid(HDC hDC, int nWidth, double dblScale)
{
    int nLabelWidth = 0;
    for (int nLevel = 0; nLevel <= -c_nBottomDb; nLevel += c_nGridStepDb) {
        char szLabel[10];
        snprintf(szLabel, sizeof(szLabel), "%i", nLevel);
        SIZE s = {};
        GetTextExtentPoint32A(hDC, szLabel, lstrlenA(szLabel), &s);
        if (s.cx > nLabelWidth)
            nLabelWidth = s.cx;
        int y = static_cast<int>((nLevel + c_nTopDb) * dblScale);
        MoveToEx(hDC, s.cx + 2, y, nullptr);
        LineTo(hDC, nWidth, y);
        TextOutA(hDC, 1, y - s.cy / 2, szLabel, lstrlenA(szLabel));
    }
    return nLabelWidth + 2;
}

void CSpectrWin::PaintBars(HDC hDC, int nWidth, int nBottom, double dblScale, int nLabelWidth)
{
    double dblBandWidth = static_cast<double>(nWidth - nLabelWidth) / m_nBands;
    unsigned nStep = m_nBands / 11;
    RECT rcBand = {0, 0, nLabelWidth + 1, nBottom};
    for (unsigned i = 0; i < m_nBands; i++) {
        rcBand.left = rcBand.right + 1;
        rcBand.right = nLabelWidth + RoundToInt(dblBandWidth * (i + 1));
        double dblValue = m_pdblSpectr[i];
        rcBand.top = dblValue < c_nBottomDb ? nBottom : static_cast<int>((c_nTopDb - dblValue) * dblScale);
        if (rcBand.top < 0)
            rcBand.top = 0;
        // A band narrower than a pixel has right < left: nothing to fill
        // (some GDIs would fill the mirrored rectangle).
        if (m_hbrGreen && rcBand.right > rcBand.left && rcBand.bottom > rcBand.top)
            FillRect(hDC, &rcBand, m_hbrGreen);
        if (i % nStep == 0) {
            const char* pszLabel = s_rgszFrequency[i / nStep];
            SIZE s = {};
            GetTextExtentPoint32A(hDC, pszLabel, lstrlenA(pszLabel), &s);
            int x = (rcBand.left + rcBand.right) / 2 - s.cx / 2 - 1;
            TextOutA(hDC, x, nBottom + c_nLabelOffset, pszLabel, lstrlenA(pszLabel));
        }
    }
}
