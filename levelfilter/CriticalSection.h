#pragma once
// The filter's recursive lock, a Win32 critical section. Not
// std::recursive_mutex: with mingw-w64's thread library its destructor never
// frees the event the lock takes the first time two threads meet on it, so
// every filter whose lock was ever contended left an event behind.
#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&m_cs); }
    ~CCriticalSection() { DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    // For std::lock_guard.
    void lock() { EnterCriticalSection(&m_cs); }
    void unlock() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};
