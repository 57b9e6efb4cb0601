// The runner's console output: result lines, messages, and a progress line
// that is drawn only on a real console (never into a redirected output).
// Safe to call from two threads (the watchdog's stall line).
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

class CConsole {
public:
    // Progress is drawn when pOut is stdout and stdout is a console.
    explicit CConsole(FILE* pOut);
    CConsole(const CConsole&) = delete;
    CConsole& operator=(const CConsole&) = delete;

    void Line(const std::string& strLine);
    // "  1.20 / 5.00 s  NAME" over the previous progress line.
    void Progress(const std::string& strName, double dblPositionSec, double dblDurationSec);
    void EndProgress();

private:
    void ClearProgress();  // with m_mutex held

    std::mutex m_mutex;
    FILE* m_pOut;
    bool m_bProgress;
    size_t m_nProgressLength = 0;  // characters on the console's progress line
};

// A message of several lines (the message box's text) on one line.
std::string OneLine(const std::string& strText);
