// CSpectrWin: the child window of the main dialog that shows the level
// filter's spectrum of one channel as bars: 11 octaves ("16" to "16k") of 1,
// 2, 3 or 6 bands, from -60 dB at the bottom to +5 dB at the top. While the
// graph runs it polls the filter 20 times a second and draws the new bars
// at once.
#pragma once

#include <atlwin.h>

class CGraph;

class CSpectrWin : public CWindowImpl<CSpectrWin, CWindow,
                                      CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0>> {
public:
    static constexpr UINT_PTR c_nTimerId = 1;
    static constexpr UINT c_nTimerMs = 50;

    CSpectrWin() = default;
    ~CSpectrWin() override;
    CSpectrWin(const CSpectrWin&) = delete;
    CSpectrWin& operator=(const CSpectrWin&) = delete;

    BEGIN_MSG_MAP(CSpectrWin)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    END_MSG_MAP()

    // Creates the window over rc (the parent's client coordinates), visible,
    // with a client edge. Returns 0 whether or not the window was made.
    HRESULT Create(HWND hWndParent, RECT& rc);
    // Shows 11 x nBandsPerOctave bands of pGraph's filter (none for 0); any
    // count but 0, 1, 2, 3 or 6 shows none and gives E_INVALIDARG.
    HRESULT SetGraph(int nBandsPerOctave, CGraph* pGraph);
    // Polls nChannel from now on; the bars are cleared (not repainted).
    void SetChannel(int nChannel);
    void ResetSpectrum();

    // For the tests: what the window holds.
    unsigned Bands() const { return m_nBands; }
    const double* Spectrum() const { return m_pdblSpectr; }
    HBRUSH Brush() const { return m_hbrGreen; }
    HPEN Pen() const { return m_hGreyPen; }

private:
    LRESULT OnTimer(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBackground(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    void CreateGdiObjects();
    void DeleteGdiObjects();
    // The whole picture onto hDC (a window DC or the one BeginPaint gave).
    void Paint(HDC hDC);
    // A memory DC compatible with hDC holding a cx x cy bitmap, made anew
    // only when the size changes; nullptr when GDI has no room for one.
    HDC BufferFor(HDC hDC, int cx, int cy);
    void DeleteBuffer();
    void PaintPicture(HDC hDC, const RECT& rcClient);
    // The level grid with its labels; returns the label column's width.
    int PaintGrid(HDC hDC, int nWidth, double dblScale);
    void PaintBars(HDC hDC, int nWidth, int nBottom, double dblScale, int nLabelWidth);

    HBRUSH m_hbrGreen = nullptr;
    HPEN m_hGreyPen = nullptr;
    HDC m_hBufferDC = nullptr;
    HBITMAP m_hBufferBitmap = nullptr;
    HGDIOBJ m_hBufferOldBitmap = nullptr;  // the bitmap the memory DC came with
    SIZE m_sizeBuffer = {};
    CGraph* m_pGraph = nullptr;
    double* m_pdblSpectr = nullptr;
    unsigned m_nBands = 0;
    int m_nChannel = 0;
};

// Rounds halves away from zero.
int RoundToInt(double dbl);
