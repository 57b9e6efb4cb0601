// The streaming pass's loops in SSE2 (two doubles per vector), which every
// x86-64 processor runs; and the choice between them and the AVX2 ones.
#include "SampleKernels.h"

#include "RealFft.h"
#include "SampleLoops.h"

namespace quelmar {

namespace {
typedef double CSse2Vector __attribute__((vector_size(16)));
}

const CSampleKernels g_sampleKernelsSse2 = {SumOfSquaresLoop<CSse2Vector>, ScaleLoop, RampLoop};

const CSampleKernels& SampleKernels()
{
    static const CSampleKernels& s_kernels =
        CRealFft::ChosenPath() == FftPath::Avx2 ? g_sampleKernelsAvx2 : g_sampleKernelsSse2;
    return s_kernels;
}

}  // namespace quelmar
