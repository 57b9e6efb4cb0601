// The streaming pass's inner loops (SampleLoops.h) in the instruction set
// the FFT also uses (CRealFft::ChosenPath: AVX2 + FMA where the processor
// has them, else SSE2; the scalar FFT path takes the SSE2 loops, which
// every x86-64 processor runs). Chosen once per process.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace quelmar {

struct CSampleKernels {
    // The sum of squares, non-finite samples left out.
    double (*pfnSumOfSquares)(const double* pdblSamples, unsigned nFrames);
    // Block b's sum of squares (samples b * nBlockFrames onwards) into pdblSums[b].
    void (*pfnBlockSums)(const double* pdblSamples, unsigned nBlocks, unsigned nBlockFrames, double* pdblSums);
    void (*pfnScale)(double* pdblSamples, unsigned nFrames, double dblGain);
    // Sample i times dblStart + dblStep * (i + 1).
    void (*pfnRamp)(double* pdblSamples, unsigned nFrames, double dblStart, double dblStep);
    // Each of nBlocks blocks multiplied as pfnScale does, or as pfnRamp does
    // with the first block's first sample at place nFirst of the ramp, block
    // b's sum of squares as its samples came (non-finite ones left out) into
    // pdblSums[b]: one pass for a meter and a gain.
    void (*pfnBlockSumsThenScale)(double* pdblSamples, unsigned nBlocks, unsigned nBlockFrames, double dblGain,
                                  double* pdblSums);
    void (*pfnBlockSumsThenRamp)(double* pdblSamples, unsigned nBlocks, unsigned nBlockFrames, double dblStart,
                                 double dblStep, unsigned nFirst, double* pdblSums);
    // Block b (samples b * nBlockFrames onwards) ramped from pdblStarts[b] by pdblSteps[b].
    void (*pfnBlockRamps)(double* pdblSamples, unsigned nBlocks, unsigned nBlockFrames, const double* pdblStarts,
                          const double* pdblSteps);
    // Float32 frames to and from channel runs, whole groups of four frames (FloatFrames.h).
    bool (*pfnDeinterleaveFloats)(const uint8_t* pFrames, unsigned nChannels, unsigned nFrames, double* pdblRuns,
                                  size_t nRunStride);
    bool (*pfnInterleaveFloats)(const double* pdblRuns, size_t nRunStride, unsigned nChannels, unsigned nFrames,
                                uint8_t* pFrames);
    // A spectrum band's fitted projections on cos and sin (SampleLoops.h,
    // PhaseProjectionsLoop); nBlockFrames a multiple of 16.
    void (*pfnPhaseProjections)(const double* pdblSamples, unsigned nBlocks, unsigned nBlockFrames,
                                const double* pdblPhases, double* pdblP, double* pdblQ);
    // Pair i of samples (2i and 2i + 1) narrowed to floats into pPlaces[i],
    // the first in the low half, one relaxed store per place.
    void (*pfnNarrowPairs)(const double* pdblSamples, unsigned nPairs, std::atomic<uint64_t>* pPlaces);
};

extern const CSampleKernels g_sampleKernelsSse2;
extern const CSampleKernels g_sampleKernelsAvx2;

const CSampleKernels& SampleKernels();

}  // namespace quelmar
