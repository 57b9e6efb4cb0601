// The streaming pass's loops in AVX2 + FMA (four doubles per vector). This
// file is compiled with -mavx2 -mfma; SampleKernels() hands these out only on
// a processor that has both.
#include "SampleKernels.h"

#include <immintrin.h>

#include "FloatFrameLoops.h"
#include "SampleLoops.h"

namespace quelmar {

namespace {

typedef double CAvx2Vector __attribute__((vector_size(32)));

// Four floats to and from four doubles in one conversion.
struct CAvx2Widths {
    typedef __m256d CFlags;
    static CFlags NoFlags() { return _mm256_setzero_pd(); }
    static bool AnySet(CFlags bFlags) { return _mm256_movemask_pd(bFlags) != 0; }
    static void Widen(__m128 vRow, double* pdbl) { _mm256_storeu_pd(pdbl, _mm256_cvtps_pd(vRow)); }
    // As the SSE2 version: all ones where the narrowing would change the
    // value (not a zero and below the least normal float, or NaN).
    static __m256d Unusual(__m256d v)
    {
        __m256d vAbs = _mm256_and_pd(v, _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFFll)));
        __m256d bOrdinary = _mm256_or_pd(_mm256_cmp_pd(vAbs, _mm256_set1_pd(detail::c_dblFloatMinNormal), _CMP_GE_OQ),
                                         _mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_EQ_OQ));
        return _mm256_xor_pd(bOrdinary, _mm256_castsi256_pd(_mm256_set1_epi32(-1)));
    }
    static __m128 Narrow(const double* pdbl, CFlags* pbUnusual)
    {
        __m256d v = _mm256_loadu_pd(pdbl);
        *pbUnusual = _mm256_or_pd(*pbUnusual, Unusual(v));
        return _mm256_cvtpd_ps(v);
    }
};

}  // namespace

const CSampleKernels g_sampleKernelsAvx2 = {
    SumOfSquaresLoop<CAvx2Vector>,       BlockSumsLoop<CAvx2Vector>,       ScaleLoop, RampLoop<CAvx2Vector>, BlockSumsThenScaleLoop<CAvx2Vector>, BlockSumsThenRampLoop<CAvx2Vector>, BlockRampsLoop<CAvx2Vector>,
    DeinterleaveFloatsLoop<CAvx2Widths>, InterleaveFloatsLoop<CAvx2Widths>, PhaseProjectionsLoop<CAvx2Vector>, NarrowPairsLoop<CAvx2Vector>};

}  // namespace quelmar
