// ShowMessage as the user sees it: the box found among its thread's windows,
// its caption, text, icon and buttons.
#include <gtest/gtest.h>

#include <windows.h>
#include <errors.h>
#include <vfwmsgs.h>

#include <future>
#include <string>

#include "MessageBoxProbe.h"
#include "WindowText.h"
#include "../app/ShowMessage.h"

namespace {

constexpr HRESULT c_hrWithoutText = static_cast<HRESULT>(0x8FFF1234);  // no system or pipeline text

std::string SystemText(HRESULT hr)
{
    char sz[1024] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(hr),
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), sz, sizeof(sz) - 1, nullptr);
    return sz;
}

std::string PipelineText(HRESULT hr)
{
    char sz[1024] = {};
    AMGetErrorTextA(hr, sz, sizeof(sz) - 1);
    return sz;
}

// The box as shown by ShowMessage on a thread of its own, read and then
// closed with its first button; result is what ShowMessage returned.
struct CShownBox {
    CMessageBoxInfo info;
    int nResult = 0;
    HWND hWndOwner = nullptr;
};

CShownBox Show(HWND hWndOwner, const char* pszText, HRESULT hr, UINT uType = 0)
{
    CShownBox shown;
    std::promise<DWORD> threadId;
    std::future<int> result = std::async(std::launch::async, [&] {
        threadId.set_value(GetCurrentThreadId());
        return ShowMessage(hWndOwner, pszText, "Quelmar Test", hr, uType);
    });
    DWORD dwThreadId = threadId.get_future().get();
    EXPECT_TRUE(FindMessageBox(dwThreadId, nullptr, 10000, &shown.info));
    if (shown.info.hWnd) {
        shown.hWndOwner = GetWindow(shown.info.hWnd, GW_OWNER);
        PressMessageBoxButton(shown.info, shown.info.rgButtonIds.empty() ? IDOK : shown.info.rgButtonIds[0]);
    }
    shown.nResult = result.get();
    return shown;
}

HICON ErrorIcon()
{
    return LoadIconA(nullptr, IDI_HAND);
}

struct CLayoutCase {
    const char* pszName;
    const char* pszText;
    HRESULT hr;
    std::string (*pfnExpected)();
    bool bErrorIcon;
};

const CLayoutCase g_rgLayouts[] = {
    {"StatusZero", "The end", S_OK, [] { return std::string("The end"); }, false},
    {"StatusWithText", "Graph not exist", E_FAIL,
     [] { return "Graph not exist\n" + SystemText(E_FAIL) + "\nError 0x80004005"; }, true},
    {"StatusWithoutText", "Can't build graph", c_hrWithoutText,
     [] { return std::string("Can't build graph\nError 0x8FFF1234"); }, true},
    {"NoTextStatusWithText", nullptr, E_FAIL, [] { return SystemText(E_FAIL) + "\nError 0x80004005"; }, true},
    {"NoTextStatusWithoutText", nullptr, c_hrWithoutText, [] { return std::string("Error 0x8FFF1234"); }, true},
    {"EmptyTextStatusWithoutText", "", c_hrWithoutText, [] { return std::string("Error 0x8FFF1234"); }, true},
    {"SuccessCodeIsAnError", "Can't show graph", S_FALSE,
     [] { return "Can't show graph\n" + SystemText(S_FALSE) + "\nError 0x1"; }, true},
};

class ShowMessageLayout : public testing::TestWithParam<CLayoutCase> {};

TEST_P(ShowMessageLayout, ComposesTextIconAndButton)
{
    const CLayoutCase& layout = GetParam();
    CShownBox shown = Show(nullptr, layout.pszText, layout.hr);
    EXPECT_EQ("Quelmar Test", shown.info.strCaption);
    EXPECT_EQ(layout.pfnExpected(), shown.info.strText);
    EXPECT_EQ(layout.bErrorIcon ? ErrorIcon() : nullptr, shown.info.hIcon);
    EXPECT_EQ(std::vector<int>{IDOK}, shown.info.rgButtonIds);
    EXPECT_EQ(IDOK, shown.nResult);
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, ShowMessageLayout, testing::ValuesIn(g_rgLayouts),
                         [](const testing::TestParamInfo<CLayoutCase>& info) { return info.param.pszName; });

TEST(ShowMessage, SystemTextsExistForTheCodesAbove)
{
    // The layouts above are only meaningful if the platform has these texts.
    EXPECT_FALSE(SystemText(E_FAIL).empty());
    EXPECT_FALSE(SystemText(S_FALSE).empty());
    EXPECT_TRUE(SystemText(c_hrWithoutText).empty());
    EXPECT_TRUE(PipelineText(c_hrWithoutText).empty() || ((c_hrWithoutText >> 16) & 0x1FFF) != FACILITY_ITF);
}

// Under Wine the pipeline has no texts of its own: it answers every code
// with "Error: 0x…", which would show the code twice. Such a text gives way
// to the system's (on Windows the pipeline's own texts are shown as ever).
TEST(ShowMessage, InterfaceFacilityCodeWithAGenericPipelineTextShowsTheSystemText)
{
    // Windows has a system text for REGDB_E_CLASSNOTREG ("Class not
    // registered"); Wine 8 has none for any facility-4 code, so there the
    // code alone is shown, once.
    ASSERT_EQ("Error: 0x80040154", PipelineText(REGDB_E_CLASSNOTREG)) << "not Wine's generic text";
    std::string strSystem = SystemText(REGDB_E_CLASSNOTREG);
    CShownBox shown = Show(nullptr, "Can't build graph", REGDB_E_CLASSNOTREG);
    EXPECT_EQ("Can't build graph\n" + (strSystem.empty() ? "" : strSystem + "\n") + "Error 0x80040154",
              shown.info.strText);
}

TEST(ShowMessage, PipelineCodeWithAGenericTextShowsTheCodeOnce)
{
    ASSERT_EQ("Error: 0x80040218", PipelineText(VFW_E_CANNOT_RENDER)) << "not Wine's generic text";
    ASSERT_TRUE(SystemText(VFW_E_CANNOT_RENDER).empty());
    CShownBox shown = Show(nullptr, "Can't build graph", VFW_E_CANNOT_RENDER);
    EXPECT_EQ("Can't build graph\nError 0x80040218", shown.info.strText);
}

TEST(ShowMessage, GivenTypeIsUsedUnchanged)
{
    CShownBox shown = Show(nullptr, "Can't build graph", E_FAIL, MB_OKCANCEL);
    EXPECT_EQ(nullptr, shown.info.hIcon);
    EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), shown.info.rgButtonIds);
}

TEST(ShowMessage, LongTextIsCutTo1023Characters)
{
    std::string strLong(2000, 'a');
    CShownBox shown = Show(nullptr, strLong.c_str(), E_FAIL);
    EXPECT_EQ(std::string(1023, 'a'), shown.info.strText);
}

TEST(ShowMessage, ErrorTextAndCodeAreCutToTheRoomLeft)
{
    std::string strText(1010, 'b');
    CShownBox shown = Show(nullptr, strText.c_str(), E_FAIL);
    std::string strFull = strText + "\n" + SystemText(E_FAIL) + "\nError 0x80004005";
    EXPECT_EQ(strFull.substr(0, 1023), shown.info.strText);
}

TEST(ShowMessage, TextOf1022CharactersLeavesRoomForTheLineFeedOnly)
{
    std::string strText(1022, 'c');
    CShownBox shown = Show(nullptr, strText.c_str(), E_FAIL);
    EXPECT_EQ(strText + "\n", shown.info.strText);
}

// A window on a thread of its own that pumps messages until it is closed.
class COwnerWindow {
public:
    COwnerWindow()
    {
        std::promise<HWND> created;
        m_thread = std::thread([this, &created] {
            HWND hWnd = CreateWindowExA(0, "Static", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                        nullptr, nullptr, nullptr, nullptr);
            created.set_value(hWnd);
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0)
                DispatchMessageA(&msg);
            DestroyWindow(hWnd);
        });
        m_hWnd = created.get_future().get();
    }
    ~COwnerWindow()
    {
        PostThreadMessageA(GetWindowThreadProcessId(m_hWnd, nullptr), WM_QUIT, 0, 0);
        m_thread.join();
    }

    HWND m_hWnd;

private:
    std::thread m_thread;
};

TEST(ShowMessage, OwnedByTheGivenWindow)
{
    COwnerWindow owner;
    CShownBox shown = Show(owner.m_hWnd, "The end", S_OK);
    EXPECT_EQ(owner.m_hWnd, shown.hWndOwner);
}

TEST(ShowMessage, OwnerThatNoLongerExistsFallsBackToTheActiveWindow)
{
    HWND hWndGone = CreateWindowExA(0, "Static", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(hWndGone);
    CShownBox shown = Show(hWndGone, "The end", S_OK);
    EXPECT_NE(nullptr, shown.info.hWnd);
    EXPECT_EQ(nullptr, shown.hWndOwner);  // the showing thread has no active window
}

}  // namespace
