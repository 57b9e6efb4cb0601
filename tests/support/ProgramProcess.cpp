#include "ProgramProcess.h"

#include "WindowText.h"

namespace {

constexpr DWORD c_dwStartTimeoutMs = 20000;
constexpr DWORD c_dwExitTimeoutMs = 20000;

struct CWindowSearch {
    DWORD dwProcessId;
    HWND hWndFound;
};

// The program's dialog, before any build: the visible top-level window of its
// process captioned with the program's name.
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

}  // namespace

CProgram::CProgram()
{
    Start(Path(), nullptr);
}

CProgram::CProgram(const std::string& strPath)
{
    Start(strPath, strPath.substr(0, strPath.find_last_of('\\')).c_str());
}

void CProgram::Start(const std::string& strPath, const char* pszFolder)
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    std::string strCommand = "\"" + strPath + "\"";
    m_bStarted = CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, pszFolder, &si, &m_pi);
}

CProgram::~CProgram()
{
    if (!m_bStarted)
        return;
    if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(m_pi.hProcess, 99);
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
}

std::string CProgram::Path()
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.find_last_of('\\') + 1) + "QuelmarTest.exe";
}

HWND CProgram::WaitForDialog() const
{
    CWindowSearch search = {m_pi.dwProcessId, nullptr};
    WaitUntil([&] { return !EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search)) && search.hWndFound; },
              c_dwStartTimeoutMs);
    return search.hWndFound;
}

DWORD CProgram::WaitForExit() const
{
    WaitForSingleObject(m_pi.hProcess, c_dwExitTimeoutMs);
    DWORD dwExitCode = STILL_ACTIVE;
    GetExitCodeProcess(m_pi.hProcess, &dwExitCode);
    return dwExitCode;
}

void TypeText(HWND hWndEdit, const std::string& strText)
{
    SendWithin(hWndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strText.c_str()));
}

// Posted: a click whose handler opens a message box must not hold the test.
void Click(HWND hWndButton)
{
    PostMessageA(hWndButton, BM_CLICK, 0, 0);
}

void PressKeys(HWND hWnd, UINT nVirtualKey, int nTimes)
{
    for (int i = 0; i < nTimes; i++) {
        PostMessageA(hWnd, WM_KEYDOWN, nVirtualKey, 1);
        PostMessageA(hWnd, WM_KEYUP, nVirtualKey, 1 | (3u << 30));
    }
}

void PressKeyInDialog(HWND hWndDialog, UINT nVirtualKey)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    HWND hWndFocus = nullptr;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(hWndDialog, nullptr), &info))
        hWndFocus = info.hwndFocus;
    PressKeys(hWndFocus && IsChild(hWndDialog, hWndFocus) ? hWndFocus : hWndDialog, nVirtualKey, 1);
}
