#include "LevelPicture.h"

#include "Bands.h"
#include "Expectations.h"
#include "PlotLayout.h"

#include <atlconv.h>

#include <cmath>
#include <cstdio>

using namespace PlotLayout;

namespace {

const char* const s_rgszOctaveLabels[c_nOctaves] = {"16",  "31", "63", "125", "250", "500",
                                                    "1k",  "2k", "4k", "8k",  "16k"};
constexpr COLORREF c_crGrid = RGB(220, 220, 220);
constexpr COLORREF c_crText = RGB(0, 0, 0);
constexpr int c_nGridStepDb = 10;

std::string Format(const char* pszFormat, double dbl)
{
    char sz[64];
    snprintf(sz, sizeof(sz), pszFormat, dbl);
    return sz;
}

// A step for time labels giving about ten of them over dblSpan seconds.
double TimeStep(double dblSpan)
{
    const double rgdblSteps[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 30, 60, 120, 300, 600};
    for (double dblStep : rgdblSteps)
        if (dblSpan / dblStep <= 10)
            return dblStep;
    return 1200;
}

void FillRect(HDC hDC, const RECT& rc, COLORREF cr)
{
    HBRUSH hBrush = CreateSolidBrush(cr);
    ::FillRect(hDC, &rc, hBrush);
    DeleteObject(hBrush);
}

}  // namespace

CLevelPicture::CLevelPicture()
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = c_nWidth;
    bmi.bmiHeader.biHeight = -c_nHeight;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pvBits = nullptr;
    m_hDC = CreateCompatibleDC(nullptr);
    m_hBitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pvBits, nullptr, 0);
    if (m_hDC && m_hBitmap) {
        m_hOldBitmap = SelectObject(m_hDC, m_hBitmap);
        m_hOldFont = SelectObject(m_hDC, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(m_hDC, TRANSPARENT);
    }
}

CLevelPicture::~CLevelPicture()
{
    if (m_hOldBitmap) {
        SelectObject(m_hDC, m_hOldFont);
        SelectObject(m_hDC, m_hOldBitmap);
    }
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    if (m_hDC)
        DeleteDC(m_hDC);
}

HRESULT CLevelPicture::Draw(const CRunRecord& record, const CRunSettings& settings)
{
    if (!m_hOldBitmap)
        return E_OUTOFMEMORY;
    RECT rcAll = {0, 0, c_nWidth, c_nHeight};
    FillRect(m_hDC, rcAll, c_crBackground);
    std::string strTitle = record.strFile;
    if (!record.strFilterVersion.empty())
        strTitle += "   " + record.strFilterVersion;
    DrawText(c_rcLevels.left, 6, strTitle, c_crText);
    DrawLevelGrid(c_rcLevels);
    DrawTimeAxis(record);
    DrawThresholds(settings);
    DrawSignals(record);
    DrawLevelLines(record);
    DrawSpectrum(record);
    GdiFlush();
    return S_OK;
}

HRESULT CLevelPicture::Save(const CGdiPlusSession& gdiPlus, const std::string& strPath) const
{
    if (!m_hOldBitmap)
        return E_OUTOFMEMORY;
    return gdiPlus.SavePng(m_hBitmap, CA2W(strPath.c_str()));
}

void CLevelPicture::DrawText(int x, int y, const std::string& strText, COLORREF cr, UINT uAlign)
{
    SetTextColor(m_hDC, cr);
    SetTextAlign(m_hDC, uAlign);
    TextOutA(m_hDC, x, y, strText.c_str(), static_cast<int>(strText.size()));
}

void CLevelPicture::DrawHorizontal(int y, int xLeft, int xRight, COLORREF cr, int nStyle)
{
    HPEN hPen = CreatePen(nStyle, 1, cr);
    HGDIOBJ hOld = SelectObject(m_hDC, hPen);
    MoveToEx(m_hDC, xLeft, y, nullptr);
    LineTo(m_hDC, xRight, y);
    SelectObject(m_hDC, hOld);
    DeleteObject(hPen);
}

void CLevelPicture::DrawLevelGrid(const RECT& rc)
{
    for (int nDb = 0; nDb >= c_dblBottomDb; nDb -= c_nGridStepDb) {
        int y = DbToY(nDb, rc);
        DrawHorizontal(y, rc.left, rc.right, c_crGrid, PS_SOLID);
        DrawText(rc.left - 4, y - 6, std::to_string(nDb), c_crText, TA_RIGHT | TA_TOP);
    }
    DrawText(4, rc.top - 16, "dB", c_crText);
}

void CLevelPicture::DrawTimeAxis(const CRunRecord& record)
{
    double dblFrom = record.dblStartSec, dblTo = record.dblEndSec;
    double dblStep = TimeStep(dblTo - dblFrom);
    for (double dblTime = std::ceil(dblFrom / dblStep) * dblStep; dblTime <= dblTo + 1e-9; dblTime += dblStep) {
        int x = TimeToX(dblTime, dblFrom, dblTo);
        HPEN hPen = CreatePen(PS_SOLID, 1, c_crGrid);
        HGDIOBJ hOld = SelectObject(m_hDC, hPen);
        MoveToEx(m_hDC, x, c_rcLevels.top, nullptr);
        LineTo(m_hDC, x, c_rcLevels.bottom);
        SelectObject(m_hDC, hOld);
        DeleteObject(hPen);
        DrawText(x, c_rcLevels.bottom + 3, Format("%g", dblTime), c_crText, TA_CENTER | TA_TOP);
    }
    DrawText(c_rcLevels.right, c_rcLevels.bottom + 18, "stream time, s", c_crText, TA_RIGHT | TA_TOP);
}

void CLevelPicture::DrawThresholds(const CRunSettings& settings)
{
    if (settings.trigger.bArmed) {
        int y = DbToY(settings.trigger.dblThresholdDb, c_rcLevels);
        DrawHorizontal(y, c_rcLevels.left, c_rcLevels.right, c_crTrigger, PS_DASH);
        DrawText(c_rcLevels.right - 2, y - 14, "trigger threshold", c_crTrigger, TA_RIGHT | TA_TOP);
    }
    for (const CAutoGainSetting& autoGain : settings.rgAutoGains) {
        if (autoGain.dblGainDb == 0.0)
            continue;  // auto gain off
        int y = DbToY(autoGain.dblThresholdDb, c_rcLevels);
        DrawHorizontal(y, c_rcLevels.left, c_rcLevels.right, c_crAutoGain, PS_DASH);
        DrawText(c_rcLevels.left + 2, y - 14, "auto-gain threshold", c_crAutoGain);
    }
}

void CLevelPicture::DrawSignals(const CRunRecord& record)
{
    for (const CTriggerSignal& signal : record.rgSignals) {
        int xStart = TimeToX(signal.dblStartSec, record.dblStartSec, record.dblEndSec);
        int xEnd = TimeToX(signal.dblEndSec, record.dblStartSec, record.dblEndSec);
        RECT rc = {xStart, c_rcLevels.top, xEnd + 2, c_rcLevels.top + c_nSignalMarkHeight};
        FillRect(m_hDC, rc, c_crTrigger);
    }
    if (!record.rgSignals.empty())
        DrawText(c_rcLevels.left, c_rcLevels.top - 14,
                 std::to_string(record.rgSignals.size()) + " trigger signal(s)", c_crTrigger);
}

void CLevelPicture::DrawLevelLines(const CRunRecord& record)
{
    int xLegend = c_rcLevels.right;
    for (size_t iColumn = record.rgChannels.size(); iColumn-- > 0;) {
        COLORREF cr = ChannelColour(iColumn);
        std::vector<POINT> rgPoints;
        for (const CLevelReading& reading : record.rgLevels)
            rgPoints.push_back({TimeToX(reading.dblTimeSec, record.dblStartSec, record.dblEndSec),
                                DbToY(reading.rgdblLevelDb[iColumn], c_rcLevels)});
        HPEN hPen = CreatePen(PS_SOLID, 2, cr);
        HGDIOBJ hOld = SelectObject(m_hDC, hPen);
        if (rgPoints.size() > 1)
            Polyline(m_hDC, rgPoints.data(), static_cast<int>(rgPoints.size()));
        SelectObject(m_hDC, hOld);
        DeleteObject(hPen);
        std::string strName = "channel " + std::to_string(record.rgChannels[iColumn] + 1);
        DrawText(xLegend, c_rcLevels.top - 16, strName, cr, TA_RIGHT | TA_TOP);
        SIZE size = {};
        GetTextExtentPoint32A(m_hDC, strName.c_str(), static_cast<int>(strName.size()), &size);
        xLegend -= size.cx + 12;
    }
}

void CLevelPicture::DrawSpectrum(const CRunRecord& record)
{
    std::vector<double> rgdblMean = MeanSpectrum(record);
    if (rgdblMean.empty()) {
        DrawText(c_rcSpectrum.left, c_rcSpectrum.top - 16, "No spectrum recorded (--spectrum N)", c_crText);
        return;
    }
    DrawText(c_rcSpectrum.left, c_rcSpectrum.top - 16,
             "Spectrum of channel " + std::to_string(record.rgChannels[0] + 1) + ", mean over the steady part",
             c_crText);
    DrawLevelGrid(c_rcSpectrum);
    int nBands = static_cast<int>(rgdblMean.size());
    HBRUSH hBrush = CreateSolidBrush(c_crBar);
    for (int i = 0; i < nBands; ++i) {
        RECT rc = BandRect(i, nBands, rgdblMean[i]);
        ::FillRect(m_hDC, &rc, hBrush);
    }
    DeleteObject(hBrush);
    int nPerOctave = nBands / c_nOctaves;
    for (int iOctave = 0; iOctave < c_nOctaves; ++iOctave) {
        RECT rc = BandRect(iOctave * nPerOctave, nBands, c_dblBottomDb);
        DrawText((rc.left + rc.right) / 2, c_rcSpectrum.bottom + 3, s_rgszOctaveLabels[iOctave], c_crText,
                 TA_CENTER | TA_TOP);
    }
    DrawText(c_rcSpectrum.right, c_rcSpectrum.bottom + 18, "Hz", c_crText, TA_RIGHT | TA_TOP);
}

std::vector<double> CLevelPicture::MeanSpectrum(const CRunRecord& record)
{
    std::vector<double> rgdblPower;
    size_t nReadings = 0;
    double dblFrom = 0.0, dblTo = 0.0;
    SteadyPart(record, dblFrom, dblTo);
    for (const CSpectrumReading& reading : record.rgSpectra) {
        if (reading.rgrgdblBandsDb.empty() || reading.rgrgdblBandsDb[0].empty() || reading.dblTimeSec < dblFrom ||
            reading.dblTimeSec > dblTo)
            continue;
        const std::vector<double>& rgdblBands = reading.rgrgdblBandsDb[0];
        rgdblPower.resize(rgdblBands.size(), 0.0);
        for (size_t i = 0; i < rgdblBands.size() && i < rgdblPower.size(); ++i)
            rgdblPower[i] += std::pow(10.0, rgdblBands[i] / 10.0);
        ++nReadings;
    }
    for (double& dbl : rgdblPower)
        dbl = 10.0 * std::log10(dbl / nReadings);
    return rgdblPower;
}
