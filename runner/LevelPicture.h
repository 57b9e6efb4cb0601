// CLevelPicture: a run drawn for a person, with GDI: each recorded channel's
// level over time with the thresholds and trigger signals marked, and the
// spectrum of the first recorded channel as bars with the octave labels.
// Saved as PNG through GDI+. Layout in PlotLayout.h.
#pragma once

#include "GdiPlusSession.h"
#include "RunRecord.h"
#include "RunSettings.h"

class CLevelPicture {
public:
    CLevelPicture();
    ~CLevelPicture();
    CLevelPicture(const CLevelPicture&) = delete;
    CLevelPicture& operator=(const CLevelPicture&) = delete;

    HRESULT Draw(const CRunRecord& record, const CRunSettings& settings);
    HRESULT Save(const CGdiPlusSession& gdiPlus, const std::string& strPath) const;

    // The mean spectrum (power mean of every reading in the steady part) of
    // the first recorded channel; empty without readings.
    static std::vector<double> MeanSpectrum(const CRunRecord& record);

private:
    void DrawText(int x, int y, const std::string& strText, COLORREF cr, UINT uAlign = TA_LEFT | TA_TOP);
    void DrawHorizontal(int y, int xLeft, int xRight, COLORREF cr, int nStyle);
    void DrawLevelGrid(const RECT& rc);
    void DrawTimeAxis(const CRunRecord& record);
    void DrawThresholds(const CRunSettings& settings);
    void DrawSignals(const CRunRecord& record);
    void DrawLevelLines(const CRunRecord& record);
    void DrawSpectrum(const CRunRecord& record);

    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    HGDIOBJ m_hOldFont = nullptr;
};
