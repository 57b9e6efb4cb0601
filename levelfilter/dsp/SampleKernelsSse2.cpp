// The streaming pass's loops in SSE2 (two doubles per vector), which every
// x86-64 processor runs; and the choice between them and the AVX2 ones.
#include "SampleKernels.h"

#include "FloatFrameLoops.h"
#include "RealFft.h"
#include "SampleLoops.h"

namespace quelmar {

namespace {

typedef double CSse2Vector __attribute__((vector_size(16)));

// Four floats to and from doubles two at a time.
struct CSse2Widths {
    typedef __m128d CFlags;
    static CFlags NoFlags() { return _mm_setzero_pd(); }
    static bool AnySet(CFlags bFlags) { return _mm_movemask_pd(bFlags) != 0; }
    static void Widen(__m128 vRow, double* pdbl)
    {
        _mm_storeu_pd(pdbl, _mm_cvtps_pd(vRow));
        _mm_storeu_pd(pdbl + 2, _mm_cvtps_pd(_mm_movehl_ps(vRow, vRow)));
    }
    // All ones in the lanes holding a double whose narrowing the flush flags
    // or quietening would change: not a zero and below the least normal
    // float (NaN compares false and lands here too).
    static __m128d Unusual(__m128d v)
    {
        __m128d vAbs = _mm_and_pd(v, _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFFll)));
        __m128d bOrdinary =
            _mm_or_pd(_mm_cmpge_pd(vAbs, _mm_set1_pd(detail::c_dblFloatMinNormal)), _mm_cmpeq_pd(v, _mm_setzero_pd()));
        return _mm_andnot_pd(bOrdinary, _mm_castsi128_pd(_mm_set1_epi32(-1)));
    }
    static __m128 Narrow(const double* pdbl, CFlags* pbUnusual)
    {
        __m128d vLow = _mm_loadu_pd(pdbl), vHigh = _mm_loadu_pd(pdbl + 2);
        *pbUnusual = _mm_or_pd(*pbUnusual, _mm_or_pd(Unusual(vLow), Unusual(vHigh)));
        return _mm_movelh_ps(_mm_cvtpd_ps(vLow), _mm_cvtpd_ps(vHigh));
    }
};

}  // namespace

const CSampleKernels g_sampleKernelsSse2 = {
    SumOfSquaresLoop<CSse2Vector>,       BlockSumsLoop<CSse2Vector>,       ScaleLoop, RampLoop<CSse2Vector>, BlockSumsThenScaleLoop<CSse2Vector>, BlockSumsThenRampLoop<CSse2Vector>, BlockRampsLoop<CSse2Vector>,
    DeinterleaveFloatsLoop<CSse2Widths>, InterleaveFloatsLoop<CSse2Widths>, PhaseProjectionsLoop<CSse2Vector>, NarrowPairsLoop<CSse2Vector>};

const CSampleKernels& SampleKernels()
{
    static const CSampleKernels& s_kernels =
        CRealFft::ChosenPath() == FftPath::Avx2 ? g_sampleKernelsAvx2 : g_sampleKernelsSse2;
    return s_kernels;
}

}  // namespace quelmar
