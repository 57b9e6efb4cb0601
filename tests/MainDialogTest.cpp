// The main dialog as it opens: the compiled template, every control after
// initialisation, the control rectangles, and each way of closing it.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "DialogDriver.h"
#include "DialogLayout.h"
#include "WindowText.h"
#include "../ui/MainDialog.h"

namespace {

// ---- Reading the extended dialog template from the resource -------------

struct CTemplateItem {
    DWORD dwStyle, dwExStyle;
    short x, y, cx, cy;
    int nID;
    std::string strClass;
    std::string strText;
    int nTextOrdinal = -1;  // for an icon text such as 151
};

struct CDialogTemplate {
    DWORD dwStyle, dwExStyle;
    short x, y, cx, cy;
    std::string strCaption, strFont;
    WORD wPointSize, wWeight;
    BYTE bItalic, bCharSet;
    bool bHasMenu, bHasClass;
    std::vector<CTemplateItem> rgItems;
};

class CTemplateReader {
public:
    explicit CTemplateReader(const BYTE* pb) : m_pb(pb) {}

    template <class T>
    T Read()
    {
        T value;
        memcpy(&value, m_pb, sizeof(T));
        m_pb += sizeof(T);
        return value;
    }
    // A string or an ordinal; returns the ordinal, or -1 and the text.
    int ReadSzOrOrd(std::string* pstr)
    {
        WORD w = Read<WORD>();
        if (w == 0xFFFF)
            return Read<WORD>();
        pstr->clear();
        for (; w != 0; w = Read<WORD>())
            pstr->push_back(static_cast<char>(w));
        return -1;
    }
    void AlignDword()
    {
        while (reinterpret_cast<UINT_PTR>(m_pb) % 4)
            m_pb++;
    }
    void Skip(size_t cb) { m_pb += cb; }

private:
    const BYTE* m_pb;
};

std::string PredefinedClass(int nOrdinal)
{
    switch (nOrdinal) {
    case 0x80: return "Button";
    case 0x81: return "Edit";
    case 0x82: return "Static";
    case 0x85: return "ComboBox";
    default: return "ordinal " + std::to_string(nOrdinal);
    }
}

CDialogTemplate LoadDialogTemplate()
{
    HRSRC hRes = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_MAIN), RT_DIALOG);
    const BYTE* pb = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, hRes)));
    CDialogTemplate dt = {};
    if (!pb)
        return dt;
    CTemplateReader reader(pb);
    EXPECT_EQ(1, reader.Read<WORD>());       // version
    EXPECT_EQ(0xFFFF, reader.Read<WORD>());  // extended template signature
    reader.Read<DWORD>();                    // help id
    dt.dwExStyle = reader.Read<DWORD>();
    dt.dwStyle = reader.Read<DWORD>();
    WORD cItems = reader.Read<WORD>();
    dt.x = reader.Read<short>();
    dt.y = reader.Read<short>();
    dt.cx = reader.Read<short>();
    dt.cy = reader.Read<short>();
    std::string strUnused;
    dt.bHasMenu = reader.ReadSzOrOrd(&strUnused) != -1 || !strUnused.empty();
    dt.bHasClass = reader.ReadSzOrOrd(&strUnused) != -1 || !strUnused.empty();
    reader.ReadSzOrOrd(&dt.strCaption);
    dt.wPointSize = reader.Read<WORD>();
    dt.wWeight = reader.Read<WORD>();
    dt.bItalic = reader.Read<BYTE>();
    dt.bCharSet = reader.Read<BYTE>();
    reader.ReadSzOrOrd(&dt.strFont);
    for (WORD i = 0; i < cItems; i++) {
        reader.AlignDword();
        CTemplateItem item;
        reader.Read<DWORD>();  // help id
        item.dwExStyle = reader.Read<DWORD>();
        item.dwStyle = reader.Read<DWORD>();
        item.x = reader.Read<short>();
        item.y = reader.Read<short>();
        item.cx = reader.Read<short>();
        item.cy = reader.Read<short>();
        item.nID = static_cast<int>(reader.Read<DWORD>());
        int nClass = reader.ReadSzOrOrd(&item.strClass);
        if (nClass != -1)
            item.strClass = PredefinedClass(nClass);
        item.nTextOrdinal = reader.ReadSzOrOrd(&item.strText);
        reader.Skip(reader.Read<WORD>());  // creation data
        dt.rgItems.push_back(item);
    }
    return dt;
}

TEST(DialogTemplate, HeaderMatchesTheLayout)
{
    CDialogTemplate dt = LoadDialogTemplate();
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS),
              dt.dwStyle);
    EXPECT_EQ(0u, dt.dwExStyle);
    EXPECT_EQ(0, dt.x);
    EXPECT_EQ(0, dt.y);
    EXPECT_EQ(309, dt.cx);
    EXPECT_EQ(351, dt.cy);
    EXPECT_FALSE(dt.bHasMenu);
    EXPECT_FALSE(dt.bHasClass);
    EXPECT_EQ("QuelmarTest", dt.strCaption);
    EXPECT_EQ("MS Shell Dlg", dt.strFont);
    EXPECT_EQ(8, dt.wPointSize);
    EXPECT_EQ(0, dt.wWeight);
    EXPECT_EQ(0, dt.bItalic);
    EXPECT_EQ(0, dt.bCharSet);
}

TEST(DialogTemplate, EveryControlInTemplateOrder)
{
    CDialogTemplate dt = LoadDialogTemplate();
    ASSERT_EQ(57u, dt.rgItems.size());
    for (size_t i = 0; i < dt.rgItems.size(); i++) {
        const CTemplateItem& item = dt.rgItems[i];
        const CControlRow& row = g_rgExpectedControls[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1));
        EXPECT_EQ(row.nID, item.nID);
        EXPECT_STRCASEEQ(row.pszClass, item.strClass.c_str());
        if (row.pszText) {
            EXPECT_EQ(row.pszText, item.strText);
        } else {
            EXPECT_EQ(IDI_INDICATOR, item.nTextOrdinal);
        }
        EXPECT_EQ(row.dwStyle, item.dwStyle);
        EXPECT_EQ(0u, item.dwExStyle);
        EXPECT_EQ(row.x, item.x);
        EXPECT_EQ(row.y, item.y);
        EXPECT_EQ(row.cx, item.cx);
        EXPECT_EQ(row.cy, item.cy);
    }
}

TEST(DialogTemplate, IconsHaveTheirImages)
{
    // 150: 16, 32, 48 px and the large PNG image; 151: 16 and 32 px.
    for (int cx : {16, 32, 48, 256})
        EXPECT_NE(nullptr, LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, cx, cx, 0))
            << cx;
    for (int cx : {16, 32})
        EXPECT_NE(nullptr,
                  LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_INDICATOR), IMAGE_ICON, cx, cx, 0))
            << cx;
}

// ---- The live dialog -----------------------------------------------------

// The dialog's controls in z-order (= template order), without the
// spectrum window that OnInitDialog adds.
std::vector<HWND> TemplateControls(HWND hWndDialog)
{
    std::vector<HWND> rgControls;
    for (HWND hWnd = GetWindow(hWndDialog, GW_CHILD); hWnd; hWnd = GetWindow(hWnd, GW_HWNDNEXT))
        if (GetClass(hWnd).rfind("ATL:", 0) != 0)
            rgControls.push_back(hWnd);
    return rgControls;
}

class MainDialogOpen : public testing::Test {
protected:
    CDialogDriver m_dialog;
};

TEST_F(MainDialogOpen, ControlsInOrderWithClassIdAndText)
{
    ASSERT_NE(nullptr, m_dialog.Dialog());
    std::vector<HWND> rgControls = TemplateControls(m_dialog.Dialog());
    ASSERT_EQ(57u, rgControls.size());
    for (size_t i = 0; i < rgControls.size(); i++) {
        const CControlRow& row = g_rgExpectedControls[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1));
        EXPECT_STRCASEEQ(row.pszClass, GetClass(rgControls[i]).c_str());
        EXPECT_EQ(row.nID, static_cast<short>(GetDlgCtrlID(rgControls[i])));
        if (row.nID == IDC_FILE) {
            EXPECT_EQ("F:\\Ref_movies\\Storage\\AAC\\Track No01.mp4", GetText(rgControls[i]));
        } else if (row.nID == IDC_FFT_ORDER) {
            EXPECT_EQ("12", GetText(rgControls[i]));
        } else if (row.nID == IDC_MIN_DURATION) {
            EXPECT_EQ("0", GetText(rgControls[i]));
        } else if (row.pszText && strcmp(row.pszClass, "ComboBox") != 0) {
            EXPECT_EQ(row.pszText, GetText(rgControls[i]));
        }
    }
}

TEST_F(MainDialogOpen, GraphAndSpectrumControlsDisabledOthersEnabled)
{
    const std::set<int> disabled = {IDC_POSITION_TEXT, IDC_POSITION, IDC_CHANNEL,   IDC_GAIN_ALL, IDC_GAIN,
                                    IDC_LEVEL,         IDC_ADVICE,   IDC_SPECTRUM,  IDC_PLAY,     IDC_PAUSE,
                                    IDC_STOP,          IDC_FFT_ORDER, IDC_FFT_ORDER_SPIN, IDC_BANDS_PER_OCTAVE,
                                    IDC_WINDOW_TYPE};
    for (HWND hWnd : TemplateControls(m_dialog.Dialog())) {
        int nID = static_cast<short>(GetDlgCtrlID(hWnd));
        SCOPED_TRACE("control id " + std::to_string(nID) + " " + GetText(hWnd));
        EXPECT_EQ(disabled.count(nID) == 0, IsWindowEnabled(hWnd) != FALSE);
        EXPECT_EQ(nID != IDC_INDICATOR, IsWindowVisible(hWnd) != FALSE);
    }
}

TEST_F(MainDialogOpen, CaptionIconAndFocus)
{
    EXPECT_EQ("QuelmarTest", GetText(m_dialog.Dialog()));
    EXPECT_NE(0u, GetClassLongPtrA(m_dialog.Dialog(), GCLP_HICON));
    EXPECT_EQ(m_dialog.Item(IDC_LOAD), m_dialog.FocusWindow());
    EXPECT_EQ("", m_dialog.Text(IDC_POSITION_TEXT));
}

struct CTrackbarState {
    int nID;
    LRESULT nMax, nPageSize, nPos;
    std::vector<LRESULT> rgTicks;
};

TEST_F(MainDialogOpen, TrackbarsHaveRangePageTicksAndPosition)
{
    const CTrackbarState rgExpected[] = {
        {IDC_GAIN, 80, 1, 40, {0, 10, 20, 30, 40, 50, 60, 70, 80}},
        {IDC_AG_THRESHOLD, 20, 5, 20, {5, 10, 15}},
        {IDC_AG_GAIN, 20, 5, 20, {5, 10, 15}},
        {IDC_TRIGGER_THRESHOLD, 60, 10, 60, {10, 20, 30, 40, 50}},
    };
    for (const CTrackbarState& expected : rgExpected) {
        SCOPED_TRACE("trackbar " + std::to_string(expected.nID));
        EXPECT_EQ(0, m_dialog.Send(expected.nID, TBM_GETRANGEMIN));
        EXPECT_EQ(expected.nMax, m_dialog.Send(expected.nID, TBM_GETRANGEMAX));
        EXPECT_EQ(expected.nPageSize, m_dialog.Send(expected.nID, TBM_GETPAGESIZE));
        EXPECT_EQ(expected.nPos, m_dialog.Send(expected.nID, TBM_GETPOS));
        std::set<LRESULT> ticks;
        LRESULT nTicks = m_dialog.Send(expected.nID, TBM_GETNUMTICS) - 2;  // less the two end ticks
        for (LRESULT i = 0; i < nTicks; i++)
            ticks.insert(m_dialog.Send(expected.nID, TBM_GETTIC, i));
        for (LRESULT nTick : expected.rgTicks) {
            if (nTick != 0 && nTick != expected.nMax) {  // the ends are always ticked
                EXPECT_EQ(1u, ticks.count(nTick)) << "tick " << nTick;
            }
        }
        EXPECT_LE(ticks.size(), expected.rgTicks.size());
    }
}

TEST_F(MainDialogOpen, PositionTrackbarAndLevelBar)
{
    EXPECT_EQ(0, m_dialog.Send(IDC_POSITION, TBM_GETRANGEMIN));
    EXPECT_EQ(1000, m_dialog.Send(IDC_POSITION, TBM_GETRANGEMAX));
    EXPECT_EQ(0, m_dialog.Send(IDC_POSITION, TBM_GETSELSTART));
    EXPECT_EQ(0, m_dialog.Send(IDC_POSITION, TBM_GETSELEND));
    EXPECT_EQ(0, m_dialog.Send(IDC_LEVEL, PBM_GETRANGE, TRUE, 0));
    EXPECT_EQ(40, m_dialog.Send(IDC_LEVEL, PBM_GETRANGE, FALSE, 0));
}

std::vector<std::string> ComboEntries(const CDialogDriver& dialog, int nID)
{
    std::vector<std::string> rgEntries;
    LRESULT nCount = dialog.Send(nID, CB_GETCOUNT);
    for (LRESULT i = 0; i < nCount; i++) {
        char sz[64] = {};
        dialog.Send(nID, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(sz));
        rgEntries.push_back(sz);
    }
    return rgEntries;
}

TEST_F(MainDialogOpen, ComboBoxesHoldTheirEntriesAndSelection)
{
    typedef std::vector<std::string> Entries;
    EXPECT_EQ((Entries{"1", "2", "3", "6"}), ComboEntries(m_dialog, IDC_BANDS_PER_OCTAVE));
    EXPECT_EQ(2, m_dialog.Send(IDC_BANDS_PER_OCTAVE, CB_GETCURSEL));
    EXPECT_EQ((Entries{"Uniform", "Bartlett", "Blackman", "Hamming", "Hann"}), ComboEntries(m_dialog, IDC_WINDOW_TYPE));
    EXPECT_EQ(4, m_dialog.Send(IDC_WINDOW_TYPE, CB_GETCURSEL));
    EXPECT_EQ((Entries{"Before", "After"}), ComboEntries(m_dialog, IDC_TRIGGER_POSITION));
    EXPECT_EQ(0, m_dialog.Send(IDC_TRIGGER_POSITION, CB_GETCURSEL));
    EXPECT_EQ((Entries{"Above", "Below"}), ComboEntries(m_dialog, IDC_TRIGGER_TYPE));
    EXPECT_EQ(0, m_dialog.Send(IDC_TRIGGER_TYPE, CB_GETCURSEL));
    EXPECT_EQ(Entries{}, ComboEntries(m_dialog, IDC_CHANNEL));
}

TEST_F(MainDialogOpen, TablesBehindTheSpectrumLists)
{
    const int rgBands[] = {1, 2, 3, 6};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(rgBands[i], g_rgBandsPerOctave[i].nValue);
        EXPECT_EQ(std::to_string(rgBands[i]), g_rgBandsPerOctave[i].pszName);
    }
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(i, g_rgWindowType[i].nValue);
}

TEST_F(MainDialogOpen, UpDownRangesAndCheckBoxes)
{
    int nLow = -1, nHigh = -1;
    m_dialog.Send(IDC_FFT_ORDER_SPIN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&nLow),
                  reinterpret_cast<LPARAM>(&nHigh));
    EXPECT_EQ(10, nLow);
    EXPECT_EQ(15, nHigh);
    EXPECT_EQ(12, m_dialog.Send(IDC_FFT_ORDER_SPIN, UDM_GETPOS32));
    m_dialog.Send(IDC_MIN_DURATION_SPIN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&nLow),
                  reinterpret_cast<LPARAM>(&nHigh));
    EXPECT_EQ(0, nLow);
    EXPECT_EQ(1000, nHigh);
    EXPECT_EQ(BST_UNCHECKED, m_dialog.Send(IDC_SPECTRUM, BM_GETCHECK));
    EXPECT_EQ(BST_UNCHECKED, m_dialog.Send(IDC_ADVICE, BM_GETCHECK));
    EXPECT_EQ(BST_UNCHECKED, m_dialog.Send(IDC_GAIN_ALL, BM_GETCHECK));
}

TEST_F(MainDialogOpen, ControlRectanglesInDialogUnits)
{
    std::vector<HWND> rgControls = TemplateControls(m_dialog.Dialog());
    ASSERT_EQ(57u, rgControls.size());
    for (size_t i = 0; i < rgControls.size(); i++) {
        const CControlRow& row = g_rgExpectedControls[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1));
        // The dialog manager maps position and size each on its own.
        RECT rcExpected = {row.x, row.y, row.cx, row.cy};
        MapDialogRect(m_dialog.Dialog(), &rcExpected);
        RECT rcActual;
        GetWindowRect(rgControls[i], &rcActual);
        MapWindowPoints(nullptr, m_dialog.Dialog(), reinterpret_cast<LPPOINT>(&rcActual), 2);
        // The platform moves an up-down next to its buddy and narrows the
        // buddy by the up-down's width; an icon static takes its icon's size;
        // a drop-down list is as high as its closed box, not its list.
        bool bUpDownOrBuddy =
            row.dwStyle == c_dwSpin || (i + 1 < rgControls.size() && g_rgExpectedControls[i + 1].dwStyle == c_dwSpin);
        if (bUpDownOrBuddy)
            continue;
        EXPECT_EQ(rcExpected.left, rcActual.left);
        EXPECT_EQ(rcExpected.top, rcActual.top);
        if (row.dwStyle & SS_ICON)
            continue;
        EXPECT_EQ(rcExpected.right, rcActual.right - rcActual.left);
        if (strcmp(row.pszClass, "ComboBox") != 0) {
            EXPECT_EQ(rcExpected.bottom, rcActual.bottom - rcActual.top);
        }
    }
}

TEST_F(MainDialogOpen, SpectrumWindowCoversItsFrame)
{
    HWND hWndSpectrum = nullptr;
    for (HWND hWnd = GetWindow(m_dialog.Dialog(), GW_CHILD); hWnd; hWnd = GetWindow(hWnd, GW_HWNDNEXT))
        if (GetClass(hWnd).rfind("ATL:", 0) == 0)
            hWndSpectrum = hWnd;
    ASSERT_NE(nullptr, hWndSpectrum);
    RECT rcFrame, rcSpectrum;
    GetWindowRect(m_dialog.Item(IDC_SPECTRUM_FRAME), &rcFrame);
    GetWindowRect(hWndSpectrum, &rcSpectrum);
    EXPECT_TRUE(EqualRect(&rcFrame, &rcSpectrum));
    LONG lStyle = GetWindowLongA(hWndSpectrum, GWL_STYLE);
    EXPECT_EQ(WS_CHILD | WS_VISIBLE, lStyle & (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    EXPECT_TRUE(GetWindowLongA(hWndSpectrum, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(0, GetDlgCtrlID(hWndSpectrum));
}

TEST_F(MainDialogOpen, CentredInTheWorkArea)
{
    RECT rcDialog;
    GetWindowRect(m_dialog.Dialog(), &rcDialog);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoA(MonitorFromWindow(m_dialog.Dialog(), MONITOR_DEFAULTTONEAREST), &mi);
    int nWidth = rcDialog.right - rcDialog.left;
    int nHeight = rcDialog.bottom - rcDialog.top;
    EXPECT_NEAR((mi.rcWork.left + mi.rcWork.right) / 2 - nWidth / 2, rcDialog.left, 1);
    if (nHeight <= mi.rcWork.bottom - mi.rcWork.top) {
        EXPECT_NEAR((mi.rcWork.top + mi.rcWork.bottom) / 2 - nHeight / 2, rcDialog.top, 1);
    } else {
        EXPECT_EQ(mi.rcWork.top, rcDialog.top);
    }
}

// ---- Closing ---------------------------------------------------------------

struct CCloseWay {
    const char* pszName;
    void (*pfnClose)(const CDialogDriver& dialog);
    INT_PTR nResult;
};

void PressKeyOnFocus(const CDialogDriver& dialog, int nFocusID, WPARAM vk)
{
    SendMessageA(dialog.Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.Item(nFocusID)), TRUE);
    PostMessageA(dialog.Item(nFocusID), WM_KEYDOWN, vk, 1);
}

const CCloseWay g_rgCloseWays[] = {
    {"Escape", [](const CDialogDriver& d) { PressKeyOnFocus(d, IDC_LOAD, VK_ESCAPE); }, IDCANCEL},
    {"CloseBox", [](const CDialogDriver& d) { PostMessageA(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
    {"AltF4",
     [](const CDialogDriver& d) { PostMessageA(d.Dialog(), WM_SYSKEYDOWN, VK_F4, 1 | (KF_ALTDOWN << 16)); },
     IDCANCEL},
    {"EnterInFileEdit", [](const CDialogDriver& d) { PressKeyOnFocus(d, IDC_FILE, VK_RETURN); }, IDOK},
    {"EnterInTriggerList", [](const CDialogDriver& d) { PressKeyOnFocus(d, IDC_TRIGGER_TYPE, VK_RETURN); }, IDOK},
    {"OkCommand", [](const CDialogDriver& d) { d.PostCommand(IDOK); }, IDOK},
    {"CancelCommand", [](const CDialogDriver& d) { d.PostCommand(IDCANCEL); }, IDCANCEL},
};

class MainDialogClose : public testing::TestWithParam<CCloseWay> {};

// EndDialog is called by OnClose alone, with the command that closed the
// dialog; DoModal hands that command back.
TEST_P(MainDialogClose, EndsThroughOnCloseWithItsCommand)
{
    CDialogDriver dialog;
    ASSERT_NE(nullptr, dialog.Dialog());
    GetParam().pfnClose(dialog);
    EXPECT_EQ(GetParam().nResult, dialog.WaitForEnd());
    EXPECT_FALSE(IsWindow(dialog.Dialog()));
}

INSTANTIATE_TEST_SUITE_P(EveryWay, MainDialogClose, testing::ValuesIn(g_rgCloseWays),
                         [](const testing::TestParamInfo<CCloseWay>& info) { return info.param.pszName; });

}  // namespace
