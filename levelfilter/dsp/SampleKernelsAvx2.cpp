// The streaming pass's loops in AVX2 + FMA (four doubles per vector). This
// file is compiled with -mavx2 -mfma; SampleKernels() hands these out only on
// a processor that has both.
#include "SampleKernels.h"

#include "SampleLoops.h"

namespace quelmar {

namespace {
typedef double CAvx2Vector __attribute__((vector_size(32)));
}

const CSampleKernels g_sampleKernelsAvx2 = {SumOfSquaresLoop<CAvx2Vector>, ScaleLoop, RampLoop};

}  // namespace quelmar
