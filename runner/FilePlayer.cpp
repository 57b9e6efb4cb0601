#include "FilePlayer.h"

#include "../app/ShowMessage.h"
#include "Bands.h"

#include <cmath>

namespace {

constexpr UINT WM_GRAPHNOTIFY = WM_APP + 0x7B;  // the dialog's message for graph events
constexpr double c_dblUnitsPerSec = 1e7;        // reference time
constexpr DWORD c_dwPollMs = 5;
constexpr DWORD c_dwEndAllowanceMs = 30000;     // beyond the played length, before giving up
constexpr double c_dblUnreadableLevelDb = -120.0;  // the filter's floor, for a level it would not give
constexpr DWORD c_dwProgressMs = 200;
// The watchdog's allowances: a graph builds and closes in seconds on a
// loaded machine; playing may take its length, the loop's own allowance
// beyond it and a margin for stopping.
constexpr DWORD c_dwBuildAllowanceMs = 60000;
constexpr DWORD c_dwPlayAllowanceMs = c_dwEndAllowanceMs + 30000;
constexpr DWORD c_dwCloseAllowanceMs = 30000;

// The first multiple of dblPeriod after dblTime, counted from dblStart.
double NextTick(double dblStart, double dblTime, double dblPeriod)
{
    return dblStart + (std::floor((dblTime - dblStart) / dblPeriod) + 1.0) * dblPeriod;
}

std::string ChannelText(ULONG nChannel)
{
    return nChannel == QUELMAR_ALL_CHANNELS ? std::string("all") : std::to_string(nChannel + 1);
}

// The message for a status that ends the run, and the status as a failure
// (a success other than S_OK counts as E_FAIL).
HRESULT Failure(const std::string& strText, HRESULT hr, std::string& strError)
{
    strError = StatusMessage(strText.c_str(), hr);
    return FAILED(hr) ? hr : E_FAIL;
}

}  // namespace

std::string StatusMessage(LPCSTR pszText, HRESULT hr)
{
    return OneLine(ComposeMessage(pszText, hr));
}

CFilePlayer::CFilePlayer(const CRunSettings& settings, CConsole& console, CWatchdog& watchdog)
    : m_settings(settings), m_console(console), m_watchdog(watchdog)
{
}

CFilePlayer::~CFilePlayer()
{
    Release();
}

HRESULT CFilePlayer::Play(const std::string& strFile, CRunRecord& record, std::string& strError)
{
    record = CRunRecord();
    record.strFile = strFile;
    m_strFile = strFile;
    m_tpFileStart = std::chrono::steady_clock::now();
    WatchStep("building the graph", c_dwBuildAllowanceMs);
    HRESULT hr = Build(strFile, record, strError);
    if (SUCCEEDED(hr))
        hr = CheckChannels(record, strError);
    if (SUCCEEDED(hr))
        hr = CheckTimes(record, strError);
    if (SUCCEEDED(hr)) {
        WatchStep("playing", static_cast<DWORD>((record.dblEndSec - record.dblStartSec) * 1000.0) + c_dwPlayAllowanceMs);
        hr = ApplySettings(record, strError);
    }
    if (SUCCEEDED(hr))
        hr = PlayToEnd(record, strError);
    WatchStep("closing the graph", c_dwCloseAllowanceMs);
    Release();
    m_watchdog.Disarm();
    return hr;
}

void CFilePlayer::WatchStep(const char* pszStep, DWORD dwAllowedMs)
{
    char sz[160];
    if (!m_settings.bTimeoutGiven) {
        snprintf(sz, sizeof(sz), "%s took longer than %lu s", pszStep, dwAllowedMs / 1000);
        m_watchdog.Arm(m_strFile + ": " + sz, dwAllowedMs);
        return;
    }
    double dblUsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_tpFileStart).count();
    double dblLeftMs = m_settings.dblTimeoutSec * 1000.0 - dblUsedMs;
    snprintf(sz, sizeof(sz), "not done within --timeout %g s (%s)", m_settings.dblTimeoutSec, pszStep);
    m_watchdog.Arm(m_strFile + ": " + sz, dblLeftMs > 0.0 ? static_cast<DWORD>(dblLeftMs) : 0);
}

HRESULT CFilePlayer::Build(const std::string& strFile, CRunRecord& record, std::string& strError)
{
    if (strFile.size() >= MAX_PATH) {
        // The dialog refuses such a path rather than cut it.
        return Failure("Can't build graph", HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE), strError);
    }
    m_hWndNotify = CreateWindowExA(0, "STATIC", "QuelmarRun", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!m_hWndNotify)
        return Failure("Can't build graph", HRESULT_FROM_WIN32(GetLastError()), strError);
    HRESULT hr = m_graph.BuildGraph(strFile.c_str(), m_hWndNotify, WM_GRAPHNOTIFY);
    if (hr == S_OK) {
        CComPtr<IBaseFilter> spFilter;
        hr = m_graph.CheckFilter(CLSID_Quelmar, &spFilter);
        if (hr == S_OK)
            hr = spFilter.QueryInterface(&m_spQuelmar);
    }
    if (hr != S_OK) {
        return Failure("Can't build graph", hr, strError);
    }
    CComBSTR cbsVersion;
    m_graph.GetFilterVersion(cbsVersion);
    if (cbsVersion.Length())
        record.strFilterVersion = std::string(CW2A(cbsVersion));
    record.nFileChannels = static_cast<ULONG>(m_graph.GetChannelCount());
    LONGLONG llDuration = 0;
    if (m_graph.GetDuration(&llDuration) == S_OK)
        record.dblDurationSec = llDuration / c_dblUnitsPerSec;
    return S_OK;
}

HRESULT CFilePlayer::CheckChannels(CRunRecord& record, std::string& strError) const
{
    ULONG nCount = record.nFileChannels;
    auto fnBeyond = [&](const char* pszOption, ULONG nChannel) {
        if (nChannel == QUELMAR_ALL_CHANNELS || nChannel < nCount)
            return false;
        strError = std::string(pszOption) + ": channel " + ChannelText(nChannel) + " is beyond the file's " +
                   std::to_string(nCount) + " channel(s)";
        return true;
    };
    for (ULONG nChannel : m_settings.rgChannels)
        if (fnBeyond("--channels", nChannel))
            return E_INVALIDARG;
    for (const CGainSetting& gain : m_settings.rgGains)
        if (fnBeyond("--gain", gain.nChannel))
            return E_INVALIDARG;
    for (const CAutoGainSetting& autoGain : m_settings.rgAutoGains)
        if (fnBeyond("--auto-gain", autoGain.nChannel))
            return E_INVALIDARG;
    if (m_settings.trigger.bArmed && fnBeyond("--trigger", m_settings.trigger.nChannel))
        return E_INVALIDARG;
    record.rgChannels = m_settings.rgChannels;
    if (record.rgChannels.empty())
        for (ULONG n = 0; n < nCount; ++n)
            record.rgChannels.push_back(n);
    for (const CExpectation& expectation : m_settings.rgExpectations) {
        bool bPerChannel = expectation.eKind != EExpectation::SignalCount &&
                           expectation.eKind != EExpectation::FirstSignal;
        if (bPerChannel && record.ColumnOf(expectation.nChannel) < 0) {
            strError = "--expect: channel " + ChannelText(expectation.nChannel) + " is not recorded (file has " +
                       std::to_string(nCount) + " channel(s); see --channels)";
            return E_INVALIDARG;
        }
    }
    return S_OK;
}

HRESULT CFilePlayer::CheckTimes(CRunRecord& record, std::string& strError) const
{
    record.dblStartSec = m_settings.bFromGiven ? m_settings.dblFromSec : 0.0;
    record.dblEndSec = record.dblDurationSec;
    if (m_settings.bToGiven && m_settings.dblToSec < record.dblEndSec)
        record.dblEndSec = m_settings.dblToSec;
    if (record.dblStartSec < record.dblEndSec)
        return S_OK;
    char sz[160];
    snprintf(sz, sizeof(sz), "--from: %g s is not before the end of the file (%.3f s)", record.dblStartSec,
             record.dblDurationSec);
    strError = sz;
    return E_INVALIDARG;
}

HRESULT CFilePlayer::ApplySettings(CRunRecord& record, std::string& strError)
{
    for (const CGainSetting& gain : m_settings.rgGains) {
        HRESULT hr = m_spQuelmar->SetGain(gain.nChannel, gain.dblGainDb, gain.nRampMs);
        if (hr != S_OK) {
            return Failure("Can't set the gain of channel " + ChannelText(gain.nChannel), hr, strError);
        }
    }
    for (const CAutoGainSetting& autoGain : m_settings.rgAutoGains) {
        HRESULT hr = m_spQuelmar->SetAutoGain(autoGain.nChannel, autoGain.dblThresholdDb, autoGain.dblGainDb);
        if (hr != S_OK)
            return Failure("Can't set the auto gain of channel " + ChannelText(autoGain.nChannel), hr, strError);
    }
    HRESULT hr = ApplySpectrum(record, strError);
    if (FAILED(hr))
        return hr;
    return ArmTrigger(strError);
}

HRESULT CFilePlayer::ApplySpectrum(CRunRecord& record, std::string& strError)
{
    const CSpectrumSetting& spectrum = m_settings.spectrum;
    HRESULT hr = S_OK;
    if (spectrum.bBandsGiven)
        hr = m_graph.SetBandsPerOctave(spectrum.nBandsPerOctave);
    if (hr == S_OK && (spectrum.bWindowGiven || spectrum.bOrderGiven)) {
        QUELMAR_WINDOW eWindow = QUELMAR_WINDOW_HANN;
        ULONG nOrder = 12;
        hr = m_graph.GetFFT(&eWindow, &nOrder);
        if (hr == S_OK)
            hr = m_graph.SetFFT(spectrum.bWindowGiven ? spectrum.eWindow : eWindow,
                                spectrum.bOrderGiven ? spectrum.nOrder : nOrder);
    }
    if (hr != S_OK) {
        return Failure("Can't set the spectrum analyzer", hr, strError);
    }
    record.nBandsPerOctave = m_settings.RecordsSpectrum() ? spectrum.nBandsPerOctave : 0;
    return S_OK;
}

HRESULT CFilePlayer::ArmTrigger(std::string& strError)
{
    const CTriggerSetting& trigger = m_settings.trigger;
    if (!trigger.bArmed)
        return S_OK;
    m_hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HRESULT hr = m_hEvent ? S_OK : HRESULT_FROM_WIN32(GetLastError());
    if (hr == S_OK)
        hr = m_graph.AdviseEvent(m_hEvent, trigger.bBefore ? 1 : 0, trigger.nChannel, trigger.dblThresholdDb,
                                 trigger.nMinDurationMs, trigger.bAbove ? 1 : 0, &m_dwAdviseCookie);
    if (hr != S_OK) {
        m_dwAdviseCookie = 0;
        return Failure("Can't arm the trigger", hr, strError);
    }
    return S_OK;
}

HRESULT CFilePlayer::PlayToEnd(CRunRecord& record, std::string& strError)
{
    HRESULT hr = S_OK;
    if (m_settings.bFromGiven)
        hr = m_graph.SetPosition(static_cast<LONGLONG>(record.dblStartSec * c_dblUnitsPerSec));
    if (hr != S_OK) {
        return Failure("Can't seek", hr, strError);
    }
    hr = m_graph.Run();
    if (FAILED(hr)) {
        return Failure("Can't play file", hr, strError);
    }
    double dblStart = record.dblStartSec;
    double dblNextLevel = dblStart, dblNextSpectrum = dblStart;
    DWORD dwStartTick = GetTickCount();
    DWORD dwAllowedMs = static_cast<DWORD>((record.dblEndSec - dblStart) * 1000.0) + c_dwEndAllowanceMs;
    DWORD dwLastProgress = dwStartTick - c_dwProgressMs;
    double dblTime = dblStart;
    for (;;) {
        DWORD dwWait = MsgWaitForMultipleObjects(m_hEvent ? 1 : 0, &m_hEvent, FALSE, c_dwPollMs, QS_ALLINPUT);
        HRESULT hrEnd = ServeMessages();
        dblTime = PositionSec();
        if (m_hEvent && dwWait == WAIT_OBJECT_0) {
            if (record.rgSignals.empty() || dblTime - record.rgSignals.back().dblEndSec > c_dblSignalGapSec)
                record.rgSignals.push_back({dblTime, dblTime});
            else
                record.rgSignals.back().dblEndSec = dblTime;
        }
        if (dblTime >= dblNextLevel) {
            TakeLevelReading(dblTime, record);
            dblNextLevel = NextTick(dblStart, dblTime, c_dblLevelPeriodSec);
        }
        if (record.nBandsPerOctave && dblTime >= dblNextSpectrum) {
            TakeSpectrumReading(dblTime, record);
            dblNextSpectrum = NextTick(dblStart, dblTime, c_dblSpectrumPeriodSec);
        }
        if (GetTickCount() - dwLastProgress >= c_dwProgressMs) {
            m_console.Progress(record.strFile, dblTime, record.dblDurationSec);
            dwLastProgress = GetTickCount();
        }
        if (FAILED(hrEnd)) {
            m_graph.Stop();
            return Failure("Playing stopped", hrEnd, strError);
        }
        if (hrEnd == S_OK || (m_settings.bToGiven && dblTime >= record.dblEndSec))
            break;
        if (GetTickCount() - dwStartTick > dwAllowedMs) {
            m_graph.Stop();
            return Failure("The file did not play to its end", HRESULT_FROM_WIN32(ERROR_TIMEOUT), strError);
        }
    }
    m_console.EndProgress();
    m_graph.Stop();
    if (!record.rgLevels.empty())
        record.dblEndSec = record.rgLevels.back().dblTimeSec;
    return S_OK;
}

HRESULT CFilePlayer::ServeMessages()
{
    HRESULT hr = S_FALSE;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_GRAPHNOTIFY) {
            DispatchMessageA(&msg);
            continue;
        }
        while (long lEventCode = m_graph.GetEvent()) {
            if (lEventCode == EC_COMPLETE && hr == S_FALSE)
                hr = S_OK;
            else if (lEventCode == EC_ERRORABORT || lEventCode == EC_USERABORT)
                hr = VFW_E_RUNTIME_ERROR;
        }
    }
    return hr;
}

double CFilePlayer::PositionSec()
{
    LONGLONG llPosition = 0;
    m_graph.GetPosition(&llPosition);
    return llPosition / c_dblUnitsPerSec;
}

void CFilePlayer::TakeLevelReading(double dblTimeSec, CRunRecord& record)
{
    CLevelReading reading = {dblTimeSec, {}, {}};
    for (ULONG nChannel : record.rgChannels) {
        double dblLevel = c_dblUnreadableLevelDb;
        if (m_graph.GetLevel(nChannel, &dblLevel) != S_OK)
            dblLevel = c_dblUnreadableLevelDb;
        reading.rgdblLevelDb.push_back(dblLevel);
        double dblGain = 0.0;
        m_graph.GetGain(nChannel, &dblGain);
        reading.rgdblGainDb.push_back(dblGain);
    }
    record.rgLevels.push_back(reading);
}

void CFilePlayer::TakeSpectrumReading(double dblTimeSec, CRunRecord& record)
{
    ULONG nBands = c_nOctaves * record.nBandsPerOctave;
    CSpectrumReading reading = {dblTimeSec, {}};
    for (ULONG nChannel : record.rgChannels) {
        std::vector<double> rgdblBands(nBands, 0.0);
        ULONG nFilled = 0;
        if (FAILED(m_graph.GetSpectrum(nChannel, nBands, &nFilled, rgdblBands.data())) || nFilled != nBands)
            rgdblBands.clear();
        reading.rgrgdblBandsDb.push_back(rgdblBands);
    }
    record.rgSpectra.push_back(reading);
}

void CFilePlayer::Release()
{
    m_console.EndProgress();
    if (m_hEvent) {
        if (m_dwAdviseCookie)
            m_graph.UnadviseEvent(m_dwAdviseCookie);
        CloseHandle(m_hEvent);
        m_hEvent = nullptr;
        m_dwAdviseCookie = 0;
    }
    m_spQuelmar.Release();
    m_graph.Reset();
    if (m_hWndNotify) {
        DestroyWindow(m_hWndNotify);
        m_hWndNotify = nullptr;
    }
}
