// QuelmarTest.exe as a process: it shows its dialog and exits with 0 however
// the dialog is closed.
#include <gtest/gtest.h>

#include <string>

#include "WindowText.h"

namespace {

std::string ProgramPath()
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.find_last_of('\\') + 1) + "QuelmarTest.exe";
}

struct CWindowSearch {
    DWORD dwProcessId;
    HWND hWndFound;
};

BOOL CALLBACK FindProcessDialog(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<CWindowSearch*>(lParam);
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId == pSearch->dwProcessId && IsWindowVisible(hWnd) && GetText(hWnd) == "QuelmarTest") {
        pSearch->hWndFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

class CProgram {
public:
    CProgram()
    {
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        std::string strCommand = "\"" + ProgramPath() + "\"";
        m_bStarted = CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi);
    }
    ~CProgram()
    {
        if (!m_bStarted)
            return;
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_pi.hProcess, 99);
        CloseHandle(m_pi.hThread);
        CloseHandle(m_pi.hProcess);
    }
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;

    HWND WaitForDialog() const
    {
        CWindowSearch search = {m_pi.dwProcessId, nullptr};
        WaitUntil([&] { return !EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search)) && search.hWndFound; },
                  20000);
        return search.hWndFound;
    }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit() const
    {
        WaitForSingleObject(m_pi.hProcess, 20000);
        DWORD dwExitCode = STILL_ACTIVE;
        GetExitCodeProcess(m_pi.hProcess, &dwExitCode);
        return dwExitCode;
    }

    BOOL m_bStarted = FALSE;
    PROCESS_INFORMATION m_pi = {};
};

struct CCloseMessage {
    const char* pszName;
    UINT uMsg;
    WPARAM wParam;
};

class AppProcess : public testing::TestWithParam<CCloseMessage> {};

TEST_P(AppProcess, ShowsItsDialogAndExitsWithZero)
{
    CProgram program;
    ASSERT_TRUE(program.m_bStarted) << ProgramPath() << " error " << GetLastError();
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
    ASSERT_TRUE(program.m_bStarted);
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
