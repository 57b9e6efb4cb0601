// The streaming pass's inner loops (SampleLoops.h) in the instruction set
// the FFT also uses (CRealFft::ChosenPath: AVX2 + FMA where the processor
// has them, else SSE2; the scalar FFT path takes the SSE2 loops, which
// every x86-64 processor runs). Chosen once per process.
#pragma once

namespace quelmar {

struct CSampleKernels {
    double (*pfnSumOfSquares)(const double* pdblSamples, unsigned nFrames);  // non-finite samples left out
    void (*pfnScale)(double* pdblSamples, unsigned nFrames, double dblGain);
    // Sample i times dblStart + dblStep * (i + 1).
    void (*pfnRamp)(double* pdblSamples, unsigned nFrames, double dblStart, double dblStep);
};

extern const CSampleKernels g_sampleKernelsSse2;
extern const CSampleKernels g_sampleKernelsAvx2;

const CSampleKernels& SampleKernels();

}  // namespace quelmar
