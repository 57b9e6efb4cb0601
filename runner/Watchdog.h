// CWatchdog: stops a run whose step takes far longer than it can. A graph
// that never builds, or a call into a filter or decoder that never returns,
// would otherwise hold a CI job until the job's own limit. The main thread
// arms it with each step's description and allowance; when an allowance runs
// out first, the watchdog's thread finds the module the main thread waits in
// and hands both to the stall handler (once per arming).
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class CWatchdog {
public:
    // Runs on the watchdog's thread; strStuckIn is the module's name, empty
    // when the main thread's stack could not be read.
    using CStallHandler = std::function<void(const std::string& strStall, const std::string& strStuckIn)>;

    // Watches the calling thread.
    explicit CWatchdog(CStallHandler fnStall);
    ~CWatchdog();
    CWatchdog(const CWatchdog&) = delete;
    CWatchdog& operator=(const CWatchdog&) = delete;

    // strStall says what did not end in time ("building the graph took
    // longer than 60 s"); a later call replaces the step.
    void Arm(const std::string& strStall, DWORD dwAllowedMs);
    void Disarm();

private:
    void Watch();

    CStallHandler m_fnStall;
    DWORD m_dwWatchedThreadId;
    std::mutex m_mutex;
    std::condition_variable m_cvChanged;
    bool m_bArmed = false;
    bool m_bQuit = false;
    std::string m_strStall;
    std::chrono::steady_clock::time_point m_tpDeadline;
    std::thread m_thread;  // last: starts once the members above are made
};
