// The float32 transposes (FloatFrames.h) written once over the width of the
// conversions to and from doubles (W: two doubles per vector in SSE2, four
// in AVX), compiled once per instruction set (SampleKernelsSse2.cpp,
// SampleKernelsAvx2.cpp). Internal linkage, as SampleLoops.h. Whole groups
// of four frames only: the frames after the last whole group are left to the
// caller, whose conversions are compiled for the baseline processor.
#pragma once

#include <emmintrin.h>

#include "FloatFrames.h"
#include "SampleCodec.h"  // the float formats' constants only

namespace quelmar {
namespace {

// All ones in the lanes holding a float the widening would change: a
// denormal (not a zero), or an infinity or NaN exponent (infinities are
// exact, but rare enough to leave to the exact path).
inline __m128i UnusualFloats(__m128 v)
{
    const __m128i nExponentMask = _mm_set1_epi32(static_cast<int>(detail::c_nFloatExponent));
    __m128i nBits = _mm_castps_si128(v);
    __m128i nExponent = _mm_and_si128(nBits, nExponentMask);
    __m128i bTiny = _mm_cmpeq_epi32(nExponent, _mm_setzero_si128());
    __m128i bZero = _mm_cmpeq_epi32(_mm_and_si128(nBits, _mm_set1_epi32(0x7FFFFFFF)), _mm_setzero_si128());
    __m128i bSpecial = _mm_cmpeq_epi32(nExponent, nExponentMask);
    return _mm_or_si128(_mm_andnot_si128(bZero, bTiny), bSpecial);
}

template <class W>
bool DeinterleaveFloatsLoop(const uint8_t* pFrames, unsigned nChannels, unsigned nFrames, double* pdblRuns,
                            size_t nRunStride)
{
    const float* pfl = reinterpret_cast<const float*>(pFrames);
    __m128i bUnusual = _mm_setzero_si128();
    for (unsigned c = 0; c < nChannels; c += c_nFloatLanes) {
        for (unsigned f = 0; f < nFrames; f += c_nFloatLanes) {
            __m128 rgRows[c_nFloatLanes];
            for (unsigned k = 0; k < c_nFloatLanes; k++)
                rgRows[k] = _mm_loadu_ps(pfl + static_cast<size_t>(f + k) * nChannels + c);
            _MM_TRANSPOSE4_PS(rgRows[0], rgRows[1], rgRows[2], rgRows[3]);  // now a row per channel
            for (unsigned k = 0; k < c_nFloatLanes; k++) {
                bUnusual = _mm_or_si128(bUnusual, UnusualFloats(rgRows[k]));
                W::Widen(rgRows[k], pdblRuns + (c + k) * nRunStride + f);
            }
        }
    }
    return _mm_movemask_epi8(bUnusual) == 0;
}

template <class W>
bool InterleaveFloatsLoop(const double* pdblRuns, size_t nRunStride, unsigned nChannels, unsigned nFrames,
                          uint8_t* pFrames)
{
    float* pfl = reinterpret_cast<float*>(pFrames);
    typename W::CFlags bUnusual = W::NoFlags();
    for (unsigned c = 0; c < nChannels; c += c_nFloatLanes) {
        for (unsigned f = 0; f < nFrames; f += c_nFloatLanes) {
            __m128 rgRows[c_nFloatLanes];
            for (unsigned k = 0; k < c_nFloatLanes; k++)
                rgRows[k] = W::Narrow(pdblRuns + (c + k) * nRunStride + f, &bUnusual);
            _MM_TRANSPOSE4_PS(rgRows[0], rgRows[1], rgRows[2], rgRows[3]);  // now a row per frame
            for (unsigned k = 0; k < c_nFloatLanes; k++)
                _mm_storeu_ps(pfl + static_cast<size_t>(f + k) * nChannels + c, rgRows[k]);
        }
    }
    return !W::AnySet(bUnusual);
}

}  // namespace
}  // namespace quelmar
