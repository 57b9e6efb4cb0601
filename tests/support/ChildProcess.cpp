#include "ChildProcess.h"

#include <sstream>
#include <thread>

#include "../../runner/ThreadStack.h"

std::vector<std::string> CChildRun::Lines() const
{
    std::vector<std::string> rgLines;
    std::istringstream stream(strOutput);
    for (std::string strLine; std::getline(stream, strLine);) {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        if (!strLine.empty())
            rgLines.push_back(strLine);
    }
    return rgLines;
}

std::string CChildRun::LastLine() const
{
    std::vector<std::string> rgLines = Lines();
    return rgLines.empty() ? std::string() : rgLines.back();
}

namespace {

// Waits for the child; one that does not end in time is ended, and the
// module its main thread was stuck in is returned.
std::string AwaitChild(const PROCESS_INFORMATION& pi, DWORD dwTimeoutMs, DWORD* pdwExitCode)
{
    std::string strStuckIn;
    if (WaitForSingleObject(pi.hProcess, dwTimeoutMs) != WAIT_OBJECT_0) {
        strStuckIn = InnermostCallerModule(pi.hProcess, pi.dwThreadId);
        TerminateProcess(pi.hProcess, STILL_ACTIVE);
        WaitForSingleObject(pi.hProcess, INFINITE);
    }
    GetExitCodeProcess(pi.hProcess, pdwExitCode);
    return strStuckIn;
}

}  // namespace

CChildRun RunChild(const std::string& strCommandLine, DWORD dwTimeoutMs, DWORD dwCreationFlags)
{
    CChildRun run;
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hRead = nullptr, hWrite = nullptr;
    if (!CreatePipe(&hRead, &hWrite, &sa, 0))
        return run;
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    HANDLE hInput = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = hInput;
    si.hStdOutput = si.hStdError = hWrite;
    std::string strCommand = strCommandLine;
    PROCESS_INFORMATION pi = {};
    BOOL bStarted = CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, TRUE, dwCreationFlags, nullptr, nullptr, &si, &pi);
    CloseHandle(hWrite);  // the pipe ends when the child (and what it started) let go of it
    if (hInput != INVALID_HANDLE_VALUE)
        CloseHandle(hInput);
    // Read on a thread of its own, so a child that never ends cannot hold the test.
    std::thread reader([&] {
        char rgBuffer[4096];
        DWORD cbRead = 0;
        while (ReadFile(hRead, rgBuffer, sizeof(rgBuffer), &cbRead, nullptr) && cbRead)
            run.strOutput.append(rgBuffer, cbRead);
    });
    std::string strStuckIn;
    if (bStarted) {
        strStuckIn = AwaitChild(pi, dwTimeoutMs, &run.dwExitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    reader.join();
    CloseHandle(hRead);
    if (!strStuckIn.empty())
        run.strOutput += "\n(did not end in time; its main thread was waiting in " + strStuckIn + ")";
    return run;
}
