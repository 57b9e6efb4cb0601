// Runs a console program as a test's child: its output (stdout and stderr)
// read through a pipe, its input empty, its end awaited for a bounded time.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CChildRun {
    DWORD dwExitCode = STILL_ACTIVE;
    std::string strOutput;

    // The output's non-empty lines, without their line ends.
    std::vector<std::string> Lines() const;
    std::string LastLine() const;
};

// Runs strCommandLine (dwCreationFlags as for CreateProcess). A child still
// running after dwTimeoutMs is ended with exit code STILL_ACTIVE, and its
// output then ends with the module its main thread was waiting in.
CChildRun RunChild(const std::string& strCommandLine, DWORD dwTimeoutMs, DWORD dwCreationFlags = 0);
