// CMainDialog: the program's one window, a modal dialog that drives the
// playback graph and every function of the level filter.
#pragma once

#include <atlwin.h>
#include <commctrl.h>

#include "../graph/Graph.h"
#include "../spectrum/SpectrWin.h"
#include "resource.h"

// The graph posts this message when its event queue holds events.
constexpr UINT WM_GRAPHNOTIFY = WM_APP + 0x7B;

// Dialog timers: level bar, position text, trigger polling.
constexpr UINT_PTR TIMER_LEVEL = 1;
constexpr UINT_PTR TIMER_POSITION = 2;
constexpr UINT_PTR TIMER_TRIGGER = 3;
constexpr UINT TIMER_LEVEL_MS = 50;
constexpr UINT TIMER_POSITION_MS = 200;
constexpr UINT TIMER_TRIGGER_MS = 100;

// A list entry of the spectrum combo boxes: shown as pszName, sent as nValue.
struct CValueName {
    int nValue;
    LPCSTR pszName;
};

extern const CValueName g_rgBandsPerOctave[4];
extern const CValueName g_rgWindowType[5];

class CMainDialog : public CDialogImpl<CMainDialog> {
public:
    enum { IDD = IDD_MAIN };

    // A time in 100 ns units as seconds with seven decimals ("1.5000000");
    // at most 21 characters and a terminator. Null for a null buffer.
    static LPSTR FormatTime(LPSTR psz, LONGLONG llTime);

    CMainDialog();
    CMainDialog(const CMainDialog&) = delete;
    CMainDialog& operator=(const CMainDialog&) = delete;

    BEGIN_MSG_MAP(CMainDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_GRAPHNOTIFY, OnGraphNotify)
        COMMAND_ID_HANDLER(IDC_LOAD, OnLoad)
        COMMAND_HANDLER(IDC_FILE, EN_CHANGE, OnFileChange)
        COMMAND_ID_HANDLER(IDC_BUILD_GRAPH, OnBuildGraph)
        COMMAND_ID_HANDLER(IDC_SHOW_GRAPH, OnShowGraph)
        COMMAND_HANDLER(IDC_CHANNEL, CBN_SELCHANGE, OnChannelChange)
        COMMAND_ID_HANDLER(IDC_GAIN_ALL, OnGainForAll)
        MESSAGE_HANDLER(WM_HSCROLL, OnHScroll)
        COMMAND_HANDLER(IDC_FFT_ORDER, EN_CHANGE, OnSpectrumSettingsChange)
        COMMAND_HANDLER(IDC_BANDS_PER_OCTAVE, CBN_SELCHANGE, OnBandsPerOctaveChange)
        COMMAND_HANDLER(IDC_WINDOW_TYPE, CBN_SELCHANGE, OnSpectrumSettingsChange)
        COMMAND_HANDLER(IDC_TRIGGER_POSITION, CBN_SELCHANGE, OnTriggerModeChange)
        COMMAND_HANDLER(IDC_TRIGGER_TYPE, CBN_SELCHANGE, OnTriggerModeChange)
        COMMAND_HANDLER(IDC_MIN_DURATION, EN_CHANGE, OnMinDurationChange)
        COMMAND_ID_HANDLER(IDC_ADVICE, OnAdvice)
        COMMAND_ID_HANDLER(IDC_PLAY, OnPlay)
        COMMAND_ID_HANDLER(IDC_PAUSE, OnPause)
        COMMAND_ID_HANDLER(IDC_STOP, OnStop)
        COMMAND_ID_HANDLER(IDOK, OnClose)
        COMMAND_ID_HANDLER(IDCANCEL, OnClose)
        COMMAND_HANDLER(IDC_SPECTRUM, BN_CLICKED, OnSpectrumEnable)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTimer(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnGraphNotify(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnHScroll(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    LRESULT OnLoad(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnFileChange(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnBuildGraph(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnShowGraph(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnChannelChange(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnGainForAll(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnSpectrumSettingsChange(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnBandsPerOctaveChange(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnTriggerModeChange(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnMinDurationChange(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnAdvice(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnPlay(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnPause(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnStop(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnClose(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnSpectrumEnable(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);

    bool ChooseFile(LPSTR pszFile);
    void SetCaption();
    void ReadSpectrumSettings();
    void UpdatePosition();
    void UpdateLevel();
    void UpdateChannelControls();
    int TrackbarValue(int nID, int nOffset, int nMin, int nMax);
    int SelectedBandsPerOctave();
    void AdviseTrigger(int nPosition);
    void ResetTrigger();
    void PollTrigger();

    void EnableGraphControls(BOOL bEnable);
    void EnableSpectrumControls(BOOL bEnable);
    void InitTrackbar(int nID, int nMax, int nPageSize, int nFirstTick, int nLastTick, int nTickStep);
    void FillCombo(int nID, const CValueName* rgEntries, int nEntries, int nSelected);
    void DisarmTrigger();
    void RefuseBuild(LPCSTR pszText, HRESULT hr);
    void EndPlayback(LPCSTR pszText, HRESULT hr);
    int ShowError(LPCSTR pszText, HRESULT hr);

    char m_szFile[MAX_PATH];
    CGraph m_graph;
    HANDLE m_hEvent;
    DWORD m_dwAdviseCookie;
    bool m_bIndicatorShown;
    int m_nCurrentChannel;
    CSpectrWin m_wndSpectr;
    // The controls every timer tick writes to, found once: finding a child
    // by its id asks the window server for the dialog's children under Wine.
    CWindow m_wndLevel, m_wndPosition, m_wndPositionText;
};
