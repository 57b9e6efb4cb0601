// The main dialog's controls as the program's layout defines them: the
// oracle for the resource and for the live dialog.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "../ui/resource.h"

struct CControlRow {
    int nID;
    const char* pszClass;
    const char* pszText;  // null for the indicator, whose text is icon 151
    DWORD dwStyle;
    short x, y, cx, cy;
};

constexpr DWORD c_dwChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD c_dwLabel = c_dwChild | WS_GROUP | SS_LEFT;
constexpr DWORD c_dwButton = c_dwChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD c_dwCheckBox = c_dwChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD c_dwGroupBox = c_dwChild | BS_GROUPBOX;
constexpr DWORD c_dwEdit = c_dwChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD c_dwDropList = c_dwChild | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
constexpr DWORD c_dwSlider = c_dwChild | WS_TABSTOP;
constexpr DWORD c_dwSpin =
    c_dwChild | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS;

inline const CControlRow g_rgExpectedControls[57] = {
    {IDC_LOAD, "Button", "Load...", c_dwButton, 13, 18, 50, 14},
    {IDC_FILE, "Edit", "", c_dwEdit, 65, 19, 231, 12},
    {-1, "Button", "Graph creation", c_dwGroupBox, 7, 7, 295, 49},
    {IDC_BUILD_GRAPH, "Button", "Build graph", c_dwButton, 80, 36, 50, 14},
    {IDC_SHOW_GRAPH, "Button", "Show graph", c_dwButton, 178, 36, 50, 14},
    {IDC_PLAY, "Button", "Play", c_dwButton, 49, 330, 50, 14},
    {IDC_PAUSE, "Button", "Pause", c_dwButton, 129, 330, 50, 14},
    {IDC_STOP, "Button", "Stop", c_dwButton, 209, 330, 50, 14},
    {IDC_LEVEL, "msctls_progress32", "", c_dwChild | WS_BORDER, 12, 101, 285, 10},
    {-1, "Static", "Position", c_dwLabel, 12, 60, 26, 8},
    {IDC_POSITION_TEXT, "Static", "", c_dwLabel | SS_SUNKEN, 39, 60, 118, 9},
    {IDC_POSITION, "msctls_trackbar32", "", c_dwChild | WS_TABSTOP | TBS_BOTH | TBS_NOTICKS | TBS_ENABLESELRANGE, 9,
     72, 291, 13},
    {IDC_GAIN, "msctls_trackbar32", "", c_dwSlider, 30, 120, 268, 12},
    {-1, "Static", "-40 dB", c_dwLabel, 25, 132, 22, 8},
    {-1, "Static", "40 dB", c_dwLabel, 282, 132, 19, 8},
    {-1, "Static", "0", c_dwLabel, 162, 132, 8, 8},
    {-1, "Button", "Level notification", c_dwGroupBox, 7, 271, 295, 53},
    {-1, "Static", "Position", c_dwLabel, 15, 284, 26, 8},
    {IDC_TRIGGER_POSITION, "ComboBox", "", c_dwDropList, 43, 282, 38, 46},
    {-1, "Static", "Type", c_dwLabel, 95, 284, 17, 8},
    {IDC_TRIGGER_TYPE, "ComboBox", "", c_dwDropList, 114, 282, 38, 45},
    {-1, "Static", "Min duration", c_dwLabel, 166, 284, 40, 8},
    {IDC_MIN_DURATION, "Edit", "", c_dwEdit, 209, 282, 37, 12},
    {IDC_MIN_DURATION_SPIN, "msctls_updown32", "", c_dwSpin, 240, 282, 10, 14},
    {IDC_ADVICE, "Button", "Advice", c_dwCheckBox, 262, 284, 37, 10},
    {-1, "Static", "Threshold", c_dwLabel, 14, 302, 32, 8},
    {IDC_TRIGGER_THRESHOLD, "msctls_trackbar32", "", c_dwSlider, 49, 301, 198, 12},
    {IDC_INDICATOR, "Static", nullptr, c_dwChild | SS_ICON | SS_REALSIZEIMAGE, 261, 297, 20, 20},
    {-1, "Static", "-60", c_dwLabel, 49, 312, 12, 8},
    {-1, "Static", "0 db", c_dwLabel, 236, 312, 15, 8},
    {-1, "Static", "-40", c_dwLabel, 109, 312, 12, 8},
    {-1, "Static", "-20", c_dwLabel, 171, 312, 12, 8},
    {IDC_CHANNEL, "ComboBox", "", c_dwDropList, 43, 84, 38, 65},
    {-1, "Static", "Channel", c_dwLabel, 12, 87, 27, 8},
    {IDC_SPECTRUM_FRAME, "Static", "", c_dwLabel | SS_SUNKEN, 64, 192, 233, 68},
    {-1, "Static", "FFT order", c_dwLabel, 15, 214, 32, 8},
    {IDC_FFT_ORDER, "Edit", "", c_dwEdit, 14, 222, 48, 14},
    {IDC_FFT_ORDER_SPIN, "msctls_updown32", "", c_dwSpin, 52, 217, 10, 14},
    {-1, "Static", "Bands per oct.", c_dwLabel, 14, 192, 48, 8},
    {IDC_BANDS_PER_OCTAVE, "ComboBox", "", c_dwDropList, 14, 201, 48, 100},
    {IDC_WINDOW_TYPE, "ComboBox", "", c_dwDropList, 14, 245, 48, 100},
    {-1, "Static", "Window type:", c_dwLabel, 14, 236, 46, 8},
    {IDC_GAIN_ALL, "Button", "Change gain for all channels", c_dwCheckBox, 93, 86, 106, 10},
    {IDC_AG_THRESHOLD, "msctls_trackbar32", "", c_dwSlider, 52, 153, 100, 12},
    {-1, "Static", "Threshold", c_dwLabel, 15, 155, 32, 8},
    {-1, "Button", "Auto gain", c_dwGroupBox, 7, 145, 295, 30},
    {-1, "Button", "Spectrum analyzer", c_dwGroupBox, 7, 179, 295, 88},
    {IDC_AG_GAIN, "msctls_trackbar32", "", c_dwSlider, 195, 153, 100, 12},
    {-1, "Static", "Gain", c_dwLabel, 175, 155, 15, 8},
    {-1, "Static", "-20", c_dwLabel, 51, 164, 12, 8},
    {-1, "Static", "-10", c_dwLabel, 98, 164, 12, 8},
    {-1, "Static", "0 dB", c_dwLabel, 141, 164, 15, 8},
    {-1, "Static", "-20", c_dwLabel, 195, 165, 12, 8},
    {-1, "Static", "-10", c_dwLabel, 242, 165, 12, 8},
    {-1, "Static", "0 dB", c_dwLabel, 285, 165, 15, 8},
    {-1, "Button", "Gain", c_dwGroupBox, 7, 114, 295, 28},
    {IDC_SPECTRUM, "Button", "", c_dwCheckBox, 74, 179, 9, 10},
};
