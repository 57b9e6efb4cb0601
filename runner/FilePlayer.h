// CFilePlayer: one file's run. Builds the graph as the dialog does (CGraph),
// applies the settings, plays to the end in real time and records the
// filter's readings on the stream's time line. Each step is watched: one
// that does not end within its allowance (or within --timeout) is a stall
// for the watchdog's handler.
#pragma once

#include "../graph/Graph.h"
#include "Console.h"
#include "RunRecord.h"
#include "RunSettings.h"
#include "Watchdog.h"

#include <chrono>

class CFilePlayer {
public:
    CFilePlayer(const CRunSettings& settings, CConsole& console, CWatchdog& watchdog);
    ~CFilePlayer();
    CFilePlayer(const CFilePlayer&) = delete;
    CFilePlayer& operator=(const CFilePlayer&) = delete;

    // S_OK with the record filled; otherwise the failing status and a one-line
    // message in the words of the dialog's message box.
    HRESULT Play(const std::string& strFile, CRunRecord& record, std::string& strError);

    static constexpr double c_dblLevelPeriodSec = 0.05;
    static constexpr double c_dblSpectrumPeriodSec = 0.1;
    static constexpr double c_dblSignalGapSec = 0.3;  // a longer pause starts a new signal

private:
    // Arms the watchdog for the step, within what --timeout leaves of the file's time.
    void WatchStep(const char* pszStep, DWORD dwAllowedMs);
    HRESULT Build(const std::string& strFile, CRunRecord& record, std::string& strError);
    HRESULT CheckChannels(CRunRecord& record, std::string& strError) const;
    HRESULT CheckTimes(CRunRecord& record, std::string& strError) const;
    HRESULT ApplySettings(CRunRecord& record, std::string& strError);
    HRESULT ApplySpectrum(CRunRecord& record, std::string& strError);
    HRESULT ArmTrigger(std::string& strError);
    HRESULT PlayToEnd(CRunRecord& record, std::string& strError);
    // Serves the notify window's messages; S_OK at the end of the stream,
    // S_FALSE while it plays, the abort's code as a failure.
    HRESULT ServeMessages();
    double PositionSec();
    void TakeLevelReading(double dblTimeSec, CRunRecord& record);
    void TakeSpectrumReading(double dblTimeSec, CRunRecord& record);
    void Release();

    const CRunSettings& m_settings;
    CConsole& m_console;
    CWatchdog& m_watchdog;
    std::string m_strFile;
    std::chrono::steady_clock::time_point m_tpFileStart;
    CGraph m_graph;
    CComPtr<IQuelmar> m_spQuelmar;
    HWND m_hWndNotify = nullptr;
    HANDLE m_hEvent = nullptr;
    DWORD m_dwAdviseCookie = 0;
};

// The failure message for a status, as the message box would word it.
std::string StatusMessage(LPCSTR pszText, HRESULT hr);
