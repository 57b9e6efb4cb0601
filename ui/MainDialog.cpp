#include "MainDialog.h"

#include "../app/ShowMessage.h"

const CValueName g_rgBandsPerOctave[4] = {{1, "1"}, {2, "2"}, {3, "3"}, {6, "6"}};
const CValueName g_rgWindowType[5] = {
    {QUELMAR_WINDOW_UNIFORM, "Uniform"}, {QUELMAR_WINDOW_BARTLETT, "Bartlett"}, {QUELMAR_WINDOW_BLACKMAN, "Blackman"},
    {QUELMAR_WINDOW_HAMMING, "Hamming"}, {QUELMAR_WINDOW_HANN, "Hann"}};

namespace {

constexpr char c_szDefaultFile[] = "F:\\Ref_movies\\Storage\\AAC\\Track No01.mp4";
constexpr int c_nDefaultBandsPerOctaveRow = 2;  // "3"
constexpr int c_nDefaultWindowRow = 4;          // "Hann"

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

// Handlers whose behaviour comes with the graph, playback, trigger and
// spectrum commands; each consumes its message until then.

LRESULT CMainDialog::OnTimer(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnGraphNotify(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnHScroll(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnLoad(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnFileChange(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnBuildGraph(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnShowGraph(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnChannelChange(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnGainForAll(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnSpectrumSettingsChange(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnBandsPerOctaveChange(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnTriggerModeChange(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnMinDurationChange(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnAdvice(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnPlay(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnPause(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnStop(WORD, WORD, HWND, BOOL&)
{
    return 0;
}

LRESULT CMainDialog::OnSpectrumEnable(WORD, WORD, HWND, BOOL&)
{
    return 0;
}
