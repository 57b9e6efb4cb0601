// Level notifications: each registration watches one channel's level, before
// or after gain, for being above or below a threshold. Once the condition
// has held for the minimum duration, the registration's event is signalled
// for every processed stretch of audio in which it still holds.
//
// Advise and Unadvise come from any thread; Evaluate from the streaming
// thread. Signalling happens under the registrations' lock, so once Unadvise
// has returned the event of that registration is never touched again.
#pragma once

#include <cstdint>
#include <mutex>

namespace quelmar {

class CLevelMeter;

class CLevelDetector {
public:
    static constexpr unsigned c_nMaxRegistrations = 64;
    static constexpr double c_dblMinThresholdDb = -60.0;
    static constexpr double c_dblMaxThresholdDb = 0.0;

    typedef void (*PFNSIGNAL)(void* pEvent);

    struct CCondition {
        bool bBeforeGain;
        unsigned nChannel;
        double dblThresholdDb;
        unsigned nMinDurationMs;
        bool bAbove;
    };

    explicit CLevelDetector(PFNSIGNAL pfnSignal) : m_pfnSignal(pfnSignal) {}

    // A non-zero cookie, unique for this detector; 0 when all places are taken.
    uint32_t Advise(const CCondition& condition, void* pEvent);
    // False when the cookie is not registered; else *ppEvent (if given) is
    // the event it held, which the detector no longer touches.
    bool Unadvise(uint32_t dwCookie, void** ppEvent = nullptr);
    // Withdraws every registration, handing each event to pfnRelease.
    void UnadviseAll(void (*pfnRelease)(void* pEvent));
    // A new stretch of stream (a seek): no condition has held for any time yet.
    void ResetHeld();
    unsigned Count() const;

    // Checks every registration against the meters' levels ending at block
    // nEndBlock (the latest by default), dblStretchMs of stream time after
    // the last check, and signals those whose condition has held long enough.
    void Evaluate(const CLevelMeter& meterBefore, const CLevelMeter& meterAfter, double dblStretchMs,
                  uint64_t nEndBlock = UINT64_MAX);

private:
    struct CRegistration {
        uint32_t dwCookie;  // 0: free
        CCondition condition;
        void* pEvent;
        double dblHeldMs;
    };

    PFNSIGNAL m_pfnSignal;
    CRegistration m_rgRegistrations[c_nMaxRegistrations] = {};
    uint32_t m_dwLastCookie = 0;
    mutable std::mutex m_mutex;
};

}  // namespace quelmar
