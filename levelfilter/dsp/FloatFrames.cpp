#include "FloatFrames.h"

#include "SampleCodec.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUELMAR_FLOAT_TRANSPOSES 1
#endif

namespace quelmar {

#ifdef QUELMAR_FLOAT_TRANSPOSES

namespace {

constexpr unsigned c_nLanes = 4;

// All ones in the lanes holding a float the widening would change: a
// denormal (not a zero), or an infinity or NaN exponent (infinities are
// exact, but rare enough to leave to the exact path).
__m128i UnusualFloats(__m128 v)
{
    const __m128i nExponentMask = _mm_set1_epi32(static_cast<int>(detail::c_nFloatExponent));
    __m128i nBits = _mm_castps_si128(v);
    __m128i nExponent = _mm_and_si128(nBits, nExponentMask);
    __m128i bTiny = _mm_cmpeq_epi32(nExponent, _mm_setzero_si128());
    __m128i bZero = _mm_cmpeq_epi32(_mm_and_si128(nBits, _mm_set1_epi32(0x7FFFFFFF)), _mm_setzero_si128());
    __m128i bSpecial = _mm_cmpeq_epi32(nExponent, nExponentMask);
    return _mm_or_si128(_mm_andnot_si128(bZero, bTiny), bSpecial);
}

// All ones in the lanes holding a double whose narrowing the flush flags or
// quietening would change: not a zero and below the least normal float
// (NaN compares false and lands here too).
__m128d UnusualDoubles(__m128d v)
{
    __m128d vAbs = _mm_and_pd(v, _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFFll)));
    __m128d bOrdinary = _mm_or_pd(_mm_cmpge_pd(vAbs, _mm_set1_pd(detail::c_dblFloatMinNormal)),
                                  _mm_cmpeq_pd(v, _mm_setzero_pd()));
    return _mm_andnot_pd(bOrdinary, _mm_castsi128_pd(_mm_set1_epi32(-1)));
}

}  // namespace

bool TransposesFloats(unsigned nChannels) { return nChannels % c_nLanes == 0; }

bool DeinterleaveFloats(const uint8_t* pFrames, unsigned nChannels, unsigned nFrames, double* pdblRuns,
                        size_t nRunStride)
{
    const float* pfl = reinterpret_cast<const float*>(pFrames);
    const unsigned nWhole = nFrames & ~(c_nLanes - 1);
    __m128i bUnusual = _mm_setzero_si128();
    for (unsigned c = 0; c < nChannels; c += c_nLanes) {
        for (unsigned f = 0; f < nWhole; f += c_nLanes) {
            __m128 rgRows[c_nLanes];
            for (unsigned k = 0; k < c_nLanes; k++)
                rgRows[k] = _mm_loadu_ps(pfl + static_cast<size_t>(f + k) * nChannels + c);
            _MM_TRANSPOSE4_PS(rgRows[0], rgRows[1], rgRows[2], rgRows[3]);  // now a row per channel
            for (unsigned k = 0; k < c_nLanes; k++) {
                bUnusual = _mm_or_si128(bUnusual, UnusualFloats(rgRows[k]));
                double* pdbl = pdblRuns + (c + k) * nRunStride + f;
                _mm_storeu_pd(pdbl, _mm_cvtps_pd(rgRows[k]));
                _mm_storeu_pd(pdbl + 2, _mm_cvtps_pd(_mm_movehl_ps(rgRows[k], rgRows[k])));
            }
        }
    }
    bool bExact = _mm_movemask_epi8(bUnusual) == 0;
    for (unsigned c = 0; c < nChannels; c++)
        for (unsigned f = nWhole; f < nFrames; f++)
            bExact &= QuickCodec<SampleType::Float32>::Decode(pFrames + (static_cast<size_t>(f) * nChannels + c) * sizeof(float),
                                                              pdblRuns + c * nRunStride + f);
    return bExact;
}

bool InterleaveFloats(const double* pdblRuns, size_t nRunStride, unsigned nChannels, unsigned nFrames,
                      uint8_t* pFrames)
{
    float* pfl = reinterpret_cast<float*>(pFrames);
    const unsigned nWhole = nFrames & ~(c_nLanes - 1);
    __m128d bUnusual = _mm_setzero_pd();
    for (unsigned c = 0; c < nChannels; c += c_nLanes) {
        for (unsigned f = 0; f < nWhole; f += c_nLanes) {
            __m128 rgRows[c_nLanes];
            for (unsigned k = 0; k < c_nLanes; k++) {
                const double* pdbl = pdblRuns + (c + k) * nRunStride + f;
                __m128d vLow = _mm_loadu_pd(pdbl), vHigh = _mm_loadu_pd(pdbl + 2);
                bUnusual = _mm_or_pd(bUnusual, _mm_or_pd(UnusualDoubles(vLow), UnusualDoubles(vHigh)));
                rgRows[k] = _mm_movelh_ps(_mm_cvtpd_ps(vLow), _mm_cvtpd_ps(vHigh));
            }
            _MM_TRANSPOSE4_PS(rgRows[0], rgRows[1], rgRows[2], rgRows[3]);  // now a row per frame
            for (unsigned k = 0; k < c_nLanes; k++)
                _mm_storeu_ps(pfl + static_cast<size_t>(f + k) * nChannels + c, rgRows[k]);
        }
    }
    bool bExact = _mm_movemask_pd(bUnusual) == 0;
    for (unsigned c = 0; c < nChannels; c++)
        for (unsigned f = nWhole; f < nFrames; f++)
            bExact &= QuickCodec<SampleType::Float32>::Encode(pdblRuns[c * nRunStride + f],
                                                              pFrames + (static_cast<size_t>(f) * nChannels + c) * sizeof(float));
    return bExact;
}

#else

bool TransposesFloats(unsigned) { return false; }
bool DeinterleaveFloats(const uint8_t*, unsigned, unsigned, double*, size_t) { return false; }
bool InterleaveFloats(const double*, size_t, unsigned, unsigned, uint8_t*) { return false; }

#endif

}  // namespace quelmar
