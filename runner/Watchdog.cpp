#include "Watchdog.h"

#include "ThreadStack.h"

CWatchdog::CWatchdog(CStallHandler fnStall)
    : m_fnStall(std::move(fnStall)), m_dwWatchedThreadId(GetCurrentThreadId()), m_thread([this] { Watch(); })
{
}

CWatchdog::~CWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bQuit = true;
    }
    m_cvChanged.notify_one();
    m_thread.join();
}

void CWatchdog::Arm(const std::string& strStall, DWORD dwAllowedMs)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bArmed = true;
        m_strStall = strStall;
        m_tpDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwAllowedMs);
    }
    m_cvChanged.notify_one();
}

void CWatchdog::Disarm()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bArmed = false;
    }
    m_cvChanged.notify_one();
}

void CWatchdog::Watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_bQuit) {
        if (!m_bArmed) {
            m_cvChanged.wait(lock);
            continue;
        }
        m_cvChanged.wait_until(lock, m_tpDeadline);
        // A wait may time out just after a disarm or a new arming took the lock.
        if (!m_bArmed || m_bQuit || std::chrono::steady_clock::now() < m_tpDeadline)
            continue;  // disarmed, re-armed or woken early: look again
        m_bArmed = false;
        std::string strStall = m_strStall;
        lock.unlock();
        // Unlocked: the main thread may arm or disarm meanwhile; the
        // handler decides what a stall means (the program ends the process).
        m_fnStall(strStall, InnermostCallerModule(GetCurrentProcess(), m_dwWatchedThreadId));
        lock.lock();
    }
}
