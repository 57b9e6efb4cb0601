#include "LevelDetector.h"

#include "LevelMeter.h"

namespace quelmar {

uint32_t CLevelDetector::Advise(const CCondition& condition, void* pEvent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (CRegistration& registration : m_rgRegistrations) {
        if (registration.dwCookie != 0)
            continue;
        if (++m_dwLastCookie == 0)
            m_dwLastCookie = 1;
        registration = {m_dwLastCookie, condition, pEvent, 0.0};
        return m_dwLastCookie;
    }
    return 0;
}

bool CLevelDetector::Unadvise(uint32_t dwCookie, void** ppEvent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (CRegistration& registration : m_rgRegistrations) {
        if (dwCookie != 0 && registration.dwCookie == dwCookie) {
            if (ppEvent)
                *ppEvent = registration.pEvent;
            registration = {};
            return true;
        }
    }
    return false;
}

void CLevelDetector::UnadviseAll(void (*pfnRelease)(void* pEvent))
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (CRegistration& registration : m_rgRegistrations) {
        if (registration.dwCookie != 0)
            pfnRelease(registration.pEvent);
        registration = {};
    }
}

void CLevelDetector::ResetHeld()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (CRegistration& registration : m_rgRegistrations)
        registration.dblHeldMs = 0.0;
}

unsigned CLevelDetector::Count() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    unsigned nCount = 0;
    for (const CRegistration& registration : m_rgRegistrations)
        nCount += registration.dwCookie != 0;
    return nCount;
}

void CLevelDetector::Evaluate(const CLevelMeter& meterBefore, const CLevelMeter& meterAfter, double dblStretchMs,
                              uint64_t nEndBlock)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (CRegistration& registration : m_rgRegistrations) {
        const CCondition& condition = registration.condition;
        if (registration.dwCookie == 0 || condition.nChannel >= meterAfter.Channels())
            continue;
        const CLevelMeter& meter = condition.bBeforeGain ? meterBefore : meterAfter;
        double dblLevel = meter.LevelDbAt(condition.nChannel, nEndBlock);
        bool bHolds = condition.bAbove ? dblLevel > condition.dblThresholdDb : dblLevel < condition.dblThresholdDb;
        if (!bHolds) {
            registration.dblHeldMs = 0.0;
            continue;
        }
        registration.dblHeldMs += dblStretchMs;
        if (registration.dblHeldMs >= condition.nMinDurationMs)
            m_pfnSignal(registration.pEvent);
    }
}

}  // namespace quelmar
