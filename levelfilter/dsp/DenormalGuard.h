// Flushes denormals to zero (FTZ and DAZ) for the guard's lifetime on the
// calling thread, so decaying envelopes and ramps never slow to a crawl.
#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace quelmar {

class CDenormalGuard {
public:
#if defined(__SSE2__) || defined(_M_X64)
    CDenormalGuard() : m_nSaved(_mm_getcsr()) { _mm_setcsr(m_nSaved | c_nFlushBits); }
    ~CDenormalGuard() { _mm_setcsr(m_nSaved); }

private:
    static constexpr unsigned c_nFlushBits = 0x8040;  // FTZ | DAZ
    unsigned m_nSaved;
#endif
public:
    CDenormalGuard(const CDenormalGuard&) = delete;
    CDenormalGuard& operator=(const CDenormalGuard&) = delete;
};

}  // namespace quelmar
