#include "MainDialog.h"

#include "../app/ShowMessage.h"

#include <commdlg.h>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <string>

const CValueName g_rgBandsPerOctave[4] = {{1, "1"}, {2, "2"}, {3, "3"}, {6, "6"}};
const CValueName g_rgWindowType[5] = {
    {QUELMAR_WINDOW_UNIFORM, "Uniform"}, {QUELMAR_WINDOW_BARTLETT, "Bartlett"}, {QUELMAR_WINDOW_BLACKMAN, "Blackman"},
    {QUELMAR_WINDOW_HAMMING, "Hamming"}, {QUELMAR_WINDOW_HANN, "Hann"}};

namespace {

constexpr char c_szDefaultFile[] = "F:\\Ref_movies\\Storage\\AAC\\Track No01.mp4";
constexpr int c_nDefaultBandsPerOctaveRow = 2;  // "3"
constexpr int c_nDefaultWindowRow = 4;          // "Hann"

// Trackbar positions p stand for p - offset dB.
constexpr int c_nGainOffset = 40;
constexpr int c_nAutoGainOffset = 20;
constexpr int c_nTriggerOffset = 60;
constexpr int c_nMaxChannels = 32;   // the most channels the dialog serves
constexpr int c_nPositionRange = 1000;

constexpr char c_szFileFilter[] =
    "Audio files\0*.wav;*.mp3;*.ac3;*.m4a;*.aac;*.wma\0"
    "Multimedia files\0*.avi;*.asf;*.wmv;*mpg;*.mxf;*.mp4;*.mov;*.swf;*.flv\0"
    "Graph Edit files (.grf)\0*.grf\0"
    "All files\0*.*\0";

int Clamp(int n, int nMin, int nMax)
{
    return n < nMin ? nMin : (n > nMax ? nMax : n);
}

// dbl truncated towards zero within [nMin, nMax]; NaN gives nMin. Converting
// a double beyond int's range (or NaN) would be undefined.
int TruncateClamped(double dbl, int nMin, int nMax)
{
    if (!(dbl > nMin))
        return nMin;
    if (dbl >= nMax)
        return nMax;
    return static_cast<int>(dbl);
}

// The row of a table whose nValue is nValue; nDefault when none.
int RowOf(const CValueName* rgEntries, int nEntries, int nValue, int nDefault)
{
    for (int i = 0; i < nEntries; i++)
        if (rgEntries[i].nValue == nValue)
            return i;
    return nDefault;
}

// The process's current directory; empty when it cannot be read.
std::wstring CurrentDirectory()
{
    DWORD cch = GetCurrentDirectoryW(0, nullptr);
    if (cch == 0)
        return std::wstring();
    std::wstring str(cch, L'\0');
    DWORD cchCopied = GetCurrentDirectoryW(cch, &str[0]);
    if (cchCopied == 0 || cchCopied >= cch)
        return std::wstring();
    str.resize(cchCopied);
    return str;
}

}  // namespace

CMainDialog::CMainDialog()
    : m_szFile(), m_hEvent(nullptr), m_dwAdviseCookie(0), m_bIndicatorShown(false), m_nCurrentChannel(0)
{
}

LRESULT CMainDialog::OnInitDialog(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, BOOL& /*bHandled*/)
{
    HICON hIcon = LoadIconA(_AtlBaseModule.GetResourceInstance(), MAKEINTRESOURCEA(IDI_APP));
    SetClassLongPtrA(m_hWnd, GCLP_HICON, reinterpret_cast<LONG_PTR>(hIcon));

    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    BOOL bRet = InitCommonControlsEx(&icc);
    (void)bRet;  // expected TRUE; the dialog works on without it

    m_wndLevel = GetDlgItem(IDC_LEVEL);
    m_wndPosition = GetDlgItem(IDC_POSITION);
    m_wndPositionText = GetDlgItem(IDC_POSITION_TEXT);

    RECT rc;
    GetDlgItem(IDC_SPECTRUM_FRAME).GetWindowRect(&rc);
    ScreenToClient(reinterpret_cast<LPPOINT>(&rc.left));
    ScreenToClient(reinterpret_cast<LPPOINT>(&rc.right));
    m_wndSpectr.Create(m_hWnd, rc);

    CenterWindow();

    lstrcpynA(m_szFile, c_szDefaultFile, MAX_PATH);
    SetDlgItemText(IDC_FILE, m_szFile);

    EnableGraphControls(FALSE);
    EnableSpectrumControls(FALSE);

    SendDlgItemMessage(IDC_POSITION, TBM_SETRANGE, FALSE, MAKELPARAM(0, 1000));
    SendDlgItemMessage(IDC_POSITION, TBM_SETSEL, FALSE, MAKELPARAM(0, 0));
    SetDlgItemText(IDC_POSITION_TEXT, "");

    InitTrackbar(IDC_GAIN, 80, 1, 0, 80, 10);
    SendDlgItemMessage(IDC_GAIN, TBM_SETPOS, TRUE, 40);
    SendDlgItemMessage(IDC_LEVEL, PBM_SETRANGE, 0, MAKELPARAM(0, 40));
    InitTrackbar(IDC_AG_THRESHOLD, 20, 5, 5, 15, 5);
    SendDlgItemMessage(IDC_AG_THRESHOLD, TBM_SETPOS, TRUE, 20);
    InitTrackbar(IDC_AG_GAIN, 20, 5, 5, 15, 5);
    SendDlgItemMessage(IDC_AG_GAIN, TBM_SETPOS, TRUE, 20);

    CheckDlgButton(IDC_SPECTRUM, BST_UNCHECKED);
    FillCombo(IDC_BANDS_PER_OCTAVE, g_rgBandsPerOctave, ARRAYSIZE(g_rgBandsPerOctave), c_nDefaultBandsPerOctaveRow);
    FillCombo(IDC_WINDOW_TYPE, g_rgWindowType, ARRAYSIZE(g_rgWindowType), c_nDefaultWindowRow);
    SendDlgItemMessage(IDC_FFT_ORDER_SPIN, UDM_SETRANGE, 0, MAKELPARAM(15, 10));
    SendDlgItemMessage(IDC_FFT_ORDER_SPIN, UDM_SETPOS, 0, MAKELPARAM(12, 0));

    SendDlgItemMessage(IDC_TRIGGER_POSITION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Before"));
    SendDlgItemMessage(IDC_TRIGGER_POSITION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("After"));
    SendDlgItemMessage(IDC_TRIGGER_POSITION, CB_SETCURSEL, 0);
    SendDlgItemMessage(IDC_TRIGGER_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Above"));
    SendDlgItemMessage(IDC_TRIGGER_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Below"));
    SendDlgItemMessage(IDC_TRIGGER_TYPE, CB_SETCURSEL, 0);
    InitTrackbar(IDC_TRIGGER_THRESHOLD, 60, 10, 10, 50, 10);
    SendDlgItemMessage(IDC_MIN_DURATION_SPIN, UDM_SETRANGE, 0, MAKELPARAM(1000, 0));
    SetDlgItemInt(IDC_MIN_DURATION, 0, FALSE);  // an empty edit is no number: "Advice" could not arm
    GetDlgItem(IDC_INDICATOR).ShowWindow(SW_HIDE);
    SendDlgItemMessage(IDC_TRIGGER_THRESHOLD, TBM_SETPOS, TRUE, 60);
    return TRUE;
}

void CMainDialog::InitTrackbar(int nID, int nMax, int nPageSize, int nFirstTick, int nLastTick, int nTickStep)
{
    CWindow wndTrackbar = GetDlgItem(nID);
    wndTrackbar.SendMessage(TBM_SETRANGE, FALSE, MAKELPARAM(0, nMax));
    wndTrackbar.SendMessage(TBM_SETPAGESIZE, 0, nPageSize);
    for (int nTick = nFirstTick; nTick <= nLastTick; nTick += nTickStep)
        wndTrackbar.SendMessage(TBM_SETTIC, 0, nTick);
}

void CMainDialog::FillCombo(int nID, const CValueName* rgEntries, int nEntries, int nSelected)
{
    CWindow wndCombo = GetDlgItem(nID);
    wndCombo.SendMessage(CB_RESETCONTENT);
    for (int i = 0; i < nEntries; i++)
        wndCombo.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rgEntries[i].pszName));
    wndCombo.SendMessage(CB_SETCURSEL, nSelected);
}

void CMainDialog::EnableGraphControls(BOOL bEnable)
{
    static const int s_rgGraphControls[] = {IDC_POSITION_TEXT, IDC_POSITION, IDC_CHANNEL, IDC_GAIN_ALL,
                                            IDC_GAIN,          IDC_LEVEL,    IDC_ADVICE,  IDC_SPECTRUM,
                                            IDC_PLAY,          IDC_PAUSE,    IDC_STOP};
    for (int nID : s_rgGraphControls)
        GetDlgItem(nID).EnableWindow(bEnable);
}

void CMainDialog::EnableSpectrumControls(BOOL bEnable)
{
    static const int s_rgSpectrumControls[] = {IDC_FFT_ORDER, IDC_FFT_ORDER_SPIN, IDC_BANDS_PER_OCTAVE,
                                               IDC_WINDOW_TYPE};
    for (int nID : s_rgSpectrumControls)
        GetDlgItem(nID).EnableWindow(bEnable);
}

LRESULT CMainDialog::OnClose(WORD /*wNotifyCode*/, WORD wID, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    KillTimer(TIMER_LEVEL);
    KillTimer(TIMER_POSITION);
    DisarmTrigger();
    m_graph.Reset();
    EndDialog(wID);
    return 0;
}

void CMainDialog::DisarmTrigger()
{
    GetDlgItem(IDC_INDICATOR).ShowWindow(SW_HIDE);
    m_bIndicatorShown = false;
    KillTimer(TIMER_TRIGGER);
    if (m_hEvent) {
        if (m_graph.HasGraph())
            m_graph.UnadviseEvent(m_dwAdviseCookie);
        CloseHandle(m_hEvent);
        m_hEvent = nullptr;
        m_dwAdviseCookie = 0;
    }
}

int CMainDialog::ShowError(LPCSTR pszText, HRESULT hr)
{
    return ShowMessage(m_hWnd, pszText, "Quelmar Test", hr, 0);
}

// ---- Graph commands --------------------------------------------------------

LRESULT CMainDialog::OnLoad(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    char szFile[MAX_PATH];
    lstrcpynA(szFile, m_szFile, MAX_PATH);
    if (ChooseFile(szFile)) {
        lstrcpynA(m_szFile, szFile, MAX_PATH);
        SetDlgItemText(IDC_FILE, m_szFile);
    }
    return 0;
}

bool CMainDialog::ChooseFile(LPSTR pszFile)
{
    OPENFILENAMEA rgOFN = {};
    rgOFN.lStructSize = sizeof(rgOFN);
    rgOFN.hwndOwner = m_hWnd;
    rgOFN.lpstrFilter = c_szFileFilter;
    rgOFN.lpstrFile = pszFile;
    rgOFN.nMaxFile = MAX_PATH;
    rgOFN.lpstrTitle = "Select test file";
    rgOFN.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    rgOFN.lpstrDefExt = "wav";
    // The Open dialog moves the current directory to the chosen file's folder
    // whatever its flags say; "Show graph" must never look for the editor there.
    std::wstring strDirectory = CurrentDirectory();
    bool bChosen = GetOpenFileNameA(&rgOFN) == TRUE;
    if (!strDirectory.empty())
        SetCurrentDirectoryW(strDirectory.c_str());
    return bChosen;
}

LRESULT CMainDialog::OnFileChange(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    GetDlgItemText(IDC_FILE, m_szFile, MAX_PATH);
    return 0;
}

LRESULT CMainDialog::OnBuildGraph(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    KillTimer(TIMER_LEVEL);
    KillTimer(TIMER_POSITION);
    DisarmTrigger();
    if (m_szFile[0] == '\0') {
        RefuseBuild("File not selected", E_INVALIDARG);
        return 0;
    }
    if (GetDlgItem(IDC_FILE).GetWindowTextLength() >= MAX_PATH) {
        // The path was cut to fit m_szFile: building would open another file than the one named.
        RefuseBuild("Can't build graph", HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
        return 0;
    }
    HRESULT hr = m_graph.BuildGraph(m_szFile, m_hWnd, WM_GRAPHNOTIFY);
    if (hr != S_OK) {
        EnableGraphControls(FALSE);
        ShowError("Can't build graph", hr);
        return 0;
    }
    SetCaption();
    ReadSpectrumSettings();
    UpdateChannelControls();
    SendDlgItemMessage(IDC_GAIN, TBM_SETPOS, TRUE, c_nGainOffset);
    UpdatePosition();
    EnableGraphControls(TRUE);
    AdviseTrigger(-1);  // "Advice" still checked: armed for the new graph
    return 0;
}

void CMainDialog::RefuseBuild(LPCSTR pszText, HRESULT hr)
{
    // The old graph goes as with a failed build: nothing plays that the
    // disabled controls could not stop.
    m_graph.Reset();
    EnableGraphControls(FALSE);
    ShowError(pszText, hr);
}

void CMainDialog::SetCaption()
{
    CComBSTR cbsFilter;
    m_graph.GetFilterVersion(cbsFilter);
    if (!cbsFilter) {
        SetWindowText("Quelmar Test");
        return;
    }
    char sz[512];
    snprintf(sz, sizeof(sz), "Test for %s", static_cast<LPCSTR>(CW2A(cbsFilter)));  // cut to fit
    SetWindowText(sz);
}

LRESULT CMainDialog::OnShowGraph(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    HRESULT hr = m_graph.ShowGraph();
    if (hr != S_OK)
        ShowError("Can't show graph", hr);
    return 0;
}

// ---- Playback, timers and position ------------------------------------------

LRESULT CMainDialog::OnPlay(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    if (m_graph.IsEmpty()) {
        ShowError("Graph not exist", E_FAIL);
        return 0;
    }
    HRESULT hr = m_graph.Run();
    if (FAILED(hr)) {
        ShowError("Can't play file", hr);
    } else {
        SetTimer(TIMER_LEVEL, TIMER_LEVEL_MS);
        SetTimer(TIMER_POSITION, TIMER_POSITION_MS);
    }
    Sleep(10);
    UpdateChannelControls();
    return 0;
}

LRESULT CMainDialog::OnPause(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    if (m_graph.IsEmpty()) {
        ShowError("Graph not exist", E_FAIL);
        return 0;
    }
    m_graph.Pause();
    return 0;
}

LRESULT CMainDialog::OnStop(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    if (m_graph.IsEmpty())
        return 0;
    m_graph.Stop();
    m_graph.SetPosition(0);
    KillTimer(TIMER_LEVEL);
    KillTimer(TIMER_POSITION);
    UpdatePosition();
    return 0;
}

LRESULT CMainDialog::OnTimer(UINT /*uMsg*/, WPARAM wParam, LPARAM /*lParam*/, BOOL& /*bHandled*/)
{
    if (m_graph.IsEmpty()) {
        KillTimer(TIMER_LEVEL);
        KillTimer(TIMER_POSITION);
        KillTimer(TIMER_TRIGGER);
        return 0;
    }
    switch (wParam) {
    case TIMER_LEVEL:
        if (m_graph.IsRunning())
            UpdateLevel();
        break;
    case TIMER_POSITION:
        UpdatePosition();
        break;
    case TIMER_TRIGGER:
        PollTrigger();
        break;
    default:
        break;
    }
    return 0;
}

void CMainDialog::UpdatePosition()
{
    if (m_graph.IsEmpty())
        return;
    char sz[80] = "";
    LONGLONG llDuration = 0;
    HRESULT hr = m_graph.GetDuration(&llDuration);
    if (hr == S_OK && llDuration > 0) {
        LONGLONG llPosition = 0;
        hr = m_graph.GetPosition(&llPosition);
        if (hr == S_OK) {
            // A position before the start or past the end marks the nearest end.
            WORD wMark = static_cast<WORD>(TruncateClamped(
                llPosition * static_cast<double>(c_nPositionRange) / llDuration + 0.5, 0, c_nPositionRange));
            m_wndPosition.SendMessage(TBM_SETSEL, TRUE, MAKELPARAM(0, wMark));
            char szPosition[32], szDuration[32];
            snprintf(sz, sizeof(sz), "%s : %s", FormatTime(szPosition, llPosition), FormatTime(szDuration, llDuration));
        }
    }
    if (hr != S_OK)
        lstrcpynA(sz, "No position", sizeof(sz));
    m_wndPositionText.SetWindowText(sz);
}

LPSTR CMainDialog::FormatTime(LPSTR psz, LONGLONG llTime)
{
    if (!psz)
        return nullptr;
    constexpr size_t c_cchTime = 22;  // "-922337203685.4775807" and the terminator
    if (llTime == MINLONGLONG) {
        snprintf(psz, c_cchTime, "MINLONGLONG");
    } else if (llTime == MAXLONGLONG) {
        snprintf(psz, c_cchTime, "MAXLONGLONG");
    } else {
        // A negative time keeps one sign in front: -1.5 s is "-1.5000000".
        LONGLONG llMagnitude = llTime < 0 ? -llTime : llTime;
        snprintf(psz, c_cchTime, "%s%" PRId64 ".%07" PRId64, llTime < 0 ? "-" : "",
                 static_cast<int64_t>(llMagnitude / 10000000), static_cast<int64_t>(llMagnitude % 10000000));
    }
    return psz;
}

LRESULT CMainDialog::OnHScroll(UINT /*uMsg*/, WPARAM wParam, LPARAM lParam, BOOL& /*bHandled*/)
{
    if (m_graph.IsEmpty())
        return 0;
    CWindow wndTrackbar(reinterpret_cast<HWND>(lParam));
    WORD wCode = LOWORD(wParam);
    int nPos = wCode == TB_THUMBTRACK || wCode == TB_THUMBPOSITION ? HIWORD(wParam)
                                                                   : static_cast<int>(wndTrackbar.SendMessage(TBM_GETPOS));
    bool bAll = IsDlgButtonChecked(IDC_GAIN_ALL) == BST_CHECKED;
    ULONG nChannel = bAll ? QUELMAR_ALL_CHANNELS : static_cast<ULONG>(m_nCurrentChannel);
    if (wndTrackbar == GetDlgItem(IDC_POSITION)) {
        m_graph.SetPositionRatio(nPos / static_cast<double>(c_nPositionRange));
        UpdatePosition();
    } else if (wndTrackbar == GetDlgItem(IDC_GAIN)) {
        m_graph.SetGain(nChannel, Clamp(nPos - c_nGainOffset, -40, 40));
    } else if (wndTrackbar == GetDlgItem(IDC_AG_THRESHOLD)) {
        m_graph.SetAutoGain(nChannel, Clamp(nPos - c_nAutoGainOffset, -20, 0), TrackbarValue(IDC_AG_GAIN, c_nAutoGainOffset, -20, 0));
    } else if (wndTrackbar == GetDlgItem(IDC_AG_GAIN)) {
        m_graph.SetAutoGain(nChannel, TrackbarValue(IDC_AG_THRESHOLD, c_nAutoGainOffset, -20, 0), Clamp(nPos - c_nAutoGainOffset, -20, 0));
    } else if (wndTrackbar == GetDlgItem(IDC_TRIGGER_THRESHOLD)) {
        AdviseTrigger(nPos);
    }
    return 0;
}

int CMainDialog::TrackbarValue(int nID, int nOffset, int nMin, int nMax)
{
    return Clamp(static_cast<int>(SendDlgItemMessage(nID, TBM_GETPOS)) - nOffset, nMin, nMax);
}

// ---- Graph events ------------------------------------------------------------

LRESULT CMainDialog::OnGraphNotify(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, BOOL& /*bHandled*/)
{
    LONG_PTR lParam1 = 0;
    for (long lEventCode = m_graph.GetEvent(&lParam1); lEventCode != 0; lEventCode = m_graph.GetEvent(&lParam1)) {
        if (lEventCode == EC_COMPLETE) {
            EndPlayback("The end", 0);
        } else if (lEventCode == EC_ERRORABORT || lEventCode == EC_STREAM_ERROR_STOPPED) {
            // The stream broke: the graph still says it runs, but nothing plays.
            HRESULT hr = static_cast<HRESULT>(lParam1);
            EndPlayback("Playback stopped", FAILED(hr) ? hr : E_FAIL);
        } else {
            ATLTRACE2(atlTraceGeneral, 2, "CMainDialog::OnGraphNotify(): event 0x%X\n", static_cast<unsigned>(lEventCode));
        }
    }
    return 0;
}

void CMainDialog::EndPlayback(LPCSTR pszText, HRESULT hr)
{
    m_graph.Stop();
    m_graph.SetPosition(0);
    ShowError(pszText, hr);
}

// ---- Channels, level and gain -------------------------------------------------

void CMainDialog::UpdateChannelControls()
{
    if (m_graph.IsEmpty())
        return;
    int nChannels = m_graph.GetChannelCount();
    if (nChannels > c_nMaxChannels)
        nChannels = c_nMaxChannels;
    CWindow wndChannel = GetDlgItem(IDC_CHANNEL);
    wndChannel.SendMessage(CB_RESETCONTENT);
    for (int i = 0; i < nChannels; i++) {
        char sz[16];
        snprintf(sz, sizeof(sz), "%u", static_cast<unsigned>(i + 1));
        wndChannel.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(sz));
    }
    if (m_nCurrentChannel >= nChannels)
        m_nCurrentChannel = 0;
    wndChannel.SendMessage(CB_SETCURSEL, m_nCurrentChannel);

    double dblGain = 0.0;
    if (m_graph.GetGain(m_nCurrentChannel, &dblGain) != S_OK)
        dblGain = 0.0;
    SendDlgItemMessage(IDC_GAIN, TBM_SETPOS, TRUE, TruncateClamped(dblGain + c_nGainOffset + 0.5, 0, 2 * c_nGainOffset));
    double dblThreshold = 0.0;
    dblGain = 0.0;
    if (m_graph.GetAutoGain(m_nCurrentChannel, &dblThreshold, &dblGain) != S_OK)
        dblThreshold = dblGain = 0.0;
    SendDlgItemMessage(IDC_AG_THRESHOLD, TBM_SETPOS, TRUE,
                       TruncateClamped(dblThreshold + c_nAutoGainOffset + 0.5, 0, c_nAutoGainOffset));
    SendDlgItemMessage(IDC_AG_GAIN, TBM_SETPOS, TRUE, TruncateClamped(dblGain + c_nAutoGainOffset + 0.5, 0, c_nAutoGainOffset));
    m_wndSpectr.SetChannel(m_nCurrentChannel);
}

LRESULT CMainDialog::OnChannelChange(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    // No selection (CB_ERR) or an index the list cannot hold never reaches the filter.
    WORD wSelected = static_cast<WORD>(SendDlgItemMessage(IDC_CHANNEL, CB_GETCURSEL));
    if (wSelected < c_nMaxChannels)
        m_nCurrentChannel = wSelected;
    UpdateChannelControls();
    return 0;
}

void CMainDialog::UpdateLevel()
{
    double dblLevel = 0.0;
    if (m_graph.GetLevel(m_nCurrentChannel, &dblLevel) != S_OK)
        dblLevel = -HUGE_VAL;  // unreadable: the empty bar, never a full one
    int nLevel = TruncateClamped(dblLevel, -41, 0);
    m_wndLevel.SendMessage(PBM_SETPOS, nLevel < -40 ? 0 : nLevel + 40);
}

LRESULT CMainDialog::OnGainForAll(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    if (IsDlgButtonChecked(IDC_GAIN_ALL) != BST_CHECKED)
        return 0;
    m_graph.SetGain(QUELMAR_ALL_CHANNELS, TrackbarValue(IDC_GAIN, c_nGainOffset, -40, 40));
    m_graph.SetAutoGain(QUELMAR_ALL_CHANNELS, TrackbarValue(IDC_AG_THRESHOLD, c_nAutoGainOffset, -20, 0),
                        TrackbarValue(IDC_AG_GAIN, c_nAutoGainOffset, -20, 0));
    return 0;
}

// ---- Level notification trigger ----------------------------------------------

void CMainDialog::AdviseTrigger(int nPosition)
{
    if (m_graph.IsEmpty() || IsDlgButtonChecked(IDC_ADVICE) != BST_CHECKED)
        return;
    if (nPosition < 0)
        nPosition = static_cast<int>(SendDlgItemMessage(IDC_TRIGGER_THRESHOLD, TBM_GETPOS));
    int nThreshold = Clamp(nPosition - c_nTriggerOffset, -60, 0);
    ULONG bBefore = SendDlgItemMessage(IDC_TRIGGER_POSITION, CB_GETCURSEL) == 0 ? 1 : 0;
    ULONG bAbove = SendDlgItemMessage(IDC_TRIGGER_TYPE, CB_GETCURSEL) == 0 ? 1 : 0;
    BOOL bTrans = FALSE;
    UINT nMinDuration = GetDlgItemInt(IDC_MIN_DURATION, &bTrans, FALSE);
    if (!bTrans)
        return;  // not a number: the earlier registration stays armed
    DisarmTrigger();
    m_hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HRESULT hr = m_graph.AdviseEvent(m_hEvent, bBefore, m_nCurrentChannel, nThreshold, nMinDuration, bAbove,
                                     &m_dwAdviseCookie);
    if (hr != S_OK) {
        if (m_hEvent)
            CloseHandle(m_hEvent);
        m_hEvent = nullptr;
        return;
    }
    SetTimer(TIMER_TRIGGER, TIMER_TRIGGER_MS);
}

void CMainDialog::ResetTrigger()
{
    KillTimer(TIMER_TRIGGER);
    GetDlgItem(IDC_INDICATOR).ShowWindow(SW_HIDE);
    CheckDlgButton(IDC_ADVICE, BST_UNCHECKED);
    SetDlgItemInt(IDC_MIN_DURATION, 0, FALSE);
    SendDlgItemMessage(IDC_MIN_DURATION_SPIN, UDM_SETPOS, 0, MAKELPARAM(0, 0));
    SendDlgItemMessage(IDC_TRIGGER_THRESHOLD, TBM_SETPOS, TRUE, c_nTriggerOffset);
}

void CMainDialog::PollTrigger()
{
    if (!m_hEvent) {
        KillTimer(TIMER_TRIGGER);
        return;
    }
    bool bSet = WaitForSingleObject(m_hEvent, 0) == WAIT_OBJECT_0;
    if (bSet != m_bIndicatorShown)
        GetDlgItem(IDC_INDICATOR).ShowWindow(bSet ? SW_SHOW : SW_HIDE);
    m_bIndicatorShown = bSet;
}

LRESULT CMainDialog::OnAdvice(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    if (IsDlgButtonChecked(IDC_ADVICE) == BST_CHECKED)
        AdviseTrigger(-1);
    else
        DisarmTrigger();
    return 0;
}

LRESULT CMainDialog::OnMinDurationChange(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    AdviseTrigger(-1);
    return 0;
}

LRESULT CMainDialog::OnTriggerModeChange(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    ResetTrigger();
    return 0;
}

// ---- Spectrum analyzer settings -------------------------------------------------

void CMainDialog::ReadSpectrumSettings()
{
    ULONG nBandsPerOctave = 0;
    m_graph.GetBandsPerOctave(&nBandsPerOctave);
    m_wndSpectr.SetGraph(static_cast<int>(nBandsPerOctave), &m_graph);
    if (nBandsPerOctave != 0) {
        QUELMAR_WINDOW eWindow = QUELMAR_WINDOW_HANN;
        ULONG nOrder = 12;
        m_graph.GetFFT(&eWindow, &nOrder);
        // The window first: writing the order sends it with the window shown.
        int nWindowRow = RowOf(g_rgWindowType, ARRAYSIZE(g_rgWindowType), static_cast<int>(eWindow), c_nDefaultWindowRow);
        SendDlgItemMessage(IDC_WINDOW_TYPE, CB_SETCURSEL, nWindowRow);
        SetDlgItemInt(IDC_FFT_ORDER, nOrder, FALSE);
        int nRow = RowOf(g_rgBandsPerOctave, ARRAYSIZE(g_rgBandsPerOctave), static_cast<int>(nBandsPerOctave), 0);
        SendDlgItemMessage(IDC_BANDS_PER_OCTAVE, CB_SETCURSEL, nRow);
    }
    CheckDlgButton(IDC_SPECTRUM, nBandsPerOctave != 0 ? BST_CHECKED : BST_UNCHECKED);
    EnableSpectrumControls(nBandsPerOctave != 0);
}

int CMainDialog::SelectedBandsPerOctave()
{
    int nRow = static_cast<int>(SendDlgItemMessage(IDC_BANDS_PER_OCTAVE, CB_GETCURSEL));
    if (nRow < 0 || nRow >= static_cast<int>(ARRAYSIZE(g_rgBandsPerOctave))) {
        nRow = c_nDefaultBandsPerOctaveRow;
        SendDlgItemMessage(IDC_BANDS_PER_OCTAVE, CB_SETCURSEL, nRow);
    }
    return g_rgBandsPerOctave[nRow].nValue;
}

LRESULT CMainDialog::OnSpectrumEnable(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    bool bOn = IsDlgButtonChecked(IDC_SPECTRUM) == BST_CHECKED;
    EnableSpectrumControls(bOn);
    if (m_graph.IsEmpty())
        return 0;
    int nBandsPerOctave = bOn ? SelectedBandsPerOctave() : 0;
    m_graph.SetBandsPerOctave(nBandsPerOctave);
    m_wndSpectr.SetGraph(nBandsPerOctave, &m_graph);
    return 0;
}

LRESULT CMainDialog::OnBandsPerOctaveChange(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    if (m_graph.IsEmpty())
        return 0;
    int nBandsPerOctave = SelectedBandsPerOctave();
    m_graph.SetBandsPerOctave(nBandsPerOctave);
    m_wndSpectr.SetGraph(nBandsPerOctave, &m_graph);
    return 0;
}

LRESULT CMainDialog::OnSpectrumSettingsChange(WORD /*wNotifyCode*/, WORD /*wID*/, HWND /*hWndCtl*/, BOOL& /*bHandled*/)
{
    if (m_graph.IsEmpty())
        return 0;
    QUELMAR_WINDOW eWindow = QUELMAR_WINDOW_HANN;
    BOOL bTrans = FALSE;
    ULONG nOrder = GetDlgItemInt(IDC_FFT_ORDER, &bTrans, FALSE);
    if (!bTrans)
        m_graph.GetFFT(&eWindow, &nOrder);  // not a number: the filter's current order
    int nRow = static_cast<int>(SendDlgItemMessage(IDC_WINDOW_TYPE, CB_GETCURSEL));
    if (nRow < 0 || nRow >= static_cast<int>(ARRAYSIZE(g_rgWindowType))) {
        nRow = 0;
        SendDlgItemMessage(IDC_WINDOW_TYPE, CB_SETCURSEL, 0);
    }
    m_graph.SetFFT(static_cast<QUELMAR_WINDOW>(g_rgWindowType[nRow].nValue), nOrder);
    return 0;
}
