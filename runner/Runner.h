// The whole of one QuelmarRun invocation: options, each file's run, the
// expectations' lines, the reports. Returns the exit code: 0 when every
// expectation passed, 1 when one failed, 2 when a run could not be made.
#pragma once

#include "Console.h"
#include "Watchdog.h"

#include <string>
#include <vector>

constexpr int c_nExitPassed = 0;
constexpr int c_nExitFailed = 1;
constexpr int c_nExitNoRun = 2;

// fnStall is told of a step that did not end in time (see CWatchdog); the
// program's handler writes the stall's line and ends the process with exit
// code 2.
int RunQuelmar(const std::vector<std::string>& rgArgs, CConsole& console, const CWatchdog::CStallHandler& fnStall);
