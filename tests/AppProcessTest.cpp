// QuelmarTest.exe as a process: it shows its dialog and exits with 0 however
// the dialog is closed.
#include <gtest/gtest.h>

#include "ProgramProcess.h"
#include "WindowText.h"

namespace {

struct CCloseMessage {
    const char* pszName;
    UINT uMsg;
    WPARAM wParam;
};

class AppProcess : public testing::TestWithParam<CCloseMessage> {};

TEST_P(AppProcess, ShowsItsDialogAndExitsWithZero)
{
    CProgram program;
    ASSERT_TRUE(program.Started()) << CProgram::Path() << " error " << GetLastError();
    HWND hWndDialog = program.WaitForDialog();
    ASSERT_NE(nullptr, hWndDialog);
    EXPECT_EQ("F:\\Ref_movies\\Storage\\AAC\\Track No01.mp4", GetText(GetDlgItem(hWndDialog, 202)));
    PostMessageA(hWndDialog, GetParam().uMsg, GetParam().wParam, 0);
    EXPECT_EQ(0u, program.WaitForExit());
}

const CCloseMessage g_rgCloseMessages[] = {
    {"WmClose", WM_CLOSE, 0},
    {"CancelCommand", WM_COMMAND, IDCANCEL},
    {"OkCommand", WM_COMMAND, IDOK},
};

// A newcomer's first click: the default file on drive F: builds at once.
TEST(AppProcessDefaultFile, BuildsStraightAway)
{
    CProgram program;
    ASSERT_TRUE(program.Started());
    HWND hWndDialog = program.WaitForDialog();
    ASSERT_NE(nullptr, hWndDialog);
    PostMessageA(hWndDialog, WM_COMMAND, MAKEWPARAM(203, BN_CLICKED), 0);  // "Build graph"
    EXPECT_TRUE(WaitUntil([&] { return GetText(hWndDialog).rfind("Test for Quelmar [R64 v.1.0.0 ", 0) == 0; }, 20000))
        << GetText(hWndDialog);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hWndDialog, 211)));  // "Play"
    PostMessageA(hWndDialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0u, program.WaitForExit());
}

INSTANTIATE_TEST_SUITE_P(EveryWay, AppProcess, testing::ValuesIn(g_rgCloseMessages),
                         [](const testing::TestParamInfo<CCloseMessage>& info) { return info.param.pszName; });

}  // namespace
