// Where the picture of a run puts things: the level plot over time on top,
// the spectrum bars under it, both from -60 dB at the bottom to +5 dB at the
// top. Shared by the drawing and by whoever checks the picture's pixels.
#pragma once

#include <windows.h>

namespace PlotLayout {

constexpr int c_nWidth = 960;
constexpr int c_nHeight = 600;
constexpr RECT c_rcLevels = {56, 40, 944, 350};
constexpr RECT c_rcSpectrum = {56, 400, 944, 560};
constexpr double c_dblTopDb = 5.0;
constexpr double c_dblBottomDb = -60.0;
constexpr int c_nSignalMarkHeight = 8;  // the signal marks' strip at the top of the level plot

// The colour of the n-th recorded channel's line, and the spectrum's bars.
constexpr COLORREF c_rgChannelColours[] = {RGB(0, 90, 200),  RGB(210, 60, 0),  RGB(0, 150, 60),
                                           RGB(150, 0, 160), RGB(120, 90, 0),  RGB(0, 140, 160),
                                           RGB(90, 90, 90),  RGB(200, 0, 90)};
constexpr COLORREF c_crBar = RGB(0, 170, 0);
constexpr COLORREF c_crTrigger = RGB(230, 0, 0);
constexpr COLORREF c_crAutoGain = RGB(240, 150, 0);
constexpr COLORREF c_crBackground = RGB(255, 255, 255);

inline COLORREF ChannelColour(size_t iColumn)
{
    return c_rgChannelColours[iColumn % (sizeof(c_rgChannelColours) / sizeof(c_rgChannelColours[0]))];
}

inline double ClampDb(double dblDb)
{
    return dblDb > c_dblTopDb ? c_dblTopDb : (dblDb < c_dblBottomDb ? c_dblBottomDb : dblDb);
}

// The row of a level in an area: c_dblTopDb on its top, c_dblBottomDb on its last row.
inline int DbToY(double dblDb, const RECT& rc)
{
    double dblRatio = (c_dblTopDb - ClampDb(dblDb)) / (c_dblTopDb - c_dblBottomDb);
    return rc.top + static_cast<int>(dblRatio * (rc.bottom - 1 - rc.top) + 0.5);
}

// The column of a stream time in the level plot spanning dblFrom .. dblTo.
inline int TimeToX(double dblTimeSec, double dblFromSec, double dblToSec)
{
    double dblSpan = dblToSec > dblFromSec ? dblToSec - dblFromSec : 1.0;
    double dblRatio = (dblTimeSec - dblFromSec) / dblSpan;
    return c_rcLevels.left + static_cast<int>(dblRatio * (c_rcLevels.right - 1 - c_rcLevels.left) + 0.5);
}

// The bar of band i of nBands: from its level's row down to the area's bottom.
inline RECT BandRect(int iBand, int nBands, double dblDb)
{
    int nWidth = c_rcSpectrum.right - c_rcSpectrum.left;
    RECT rc = {c_rcSpectrum.left + iBand * nWidth / nBands, DbToY(dblDb, c_rcSpectrum),
               c_rcSpectrum.left + (iBand + 1) * nWidth / nBands - 1, c_rcSpectrum.bottom};
    return rc;
}

}  // namespace PlotLayout
