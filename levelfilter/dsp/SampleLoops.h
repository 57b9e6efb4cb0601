// The streaming pass's inner loops over a channel's run of doubles, written
// once and compiled once per instruction set (SampleKernelsSse2.cpp,
// SampleKernelsAvx2.cpp). Internal linkage: each of those files keeps its
// own copy, compiled with its own instructions.
#pragma once

namespace quelmar {
namespace {

// The sum of the squares, leaving out non-finite samples. Four vectors of
// sums (V: the instruction set's vector of doubles) side by side, so four
// vector additions are under way at once; a non-finite sample shows in the
// total, and only then is the run summed again without it.
template <class V>
double SumOfSquaresLoop(const double* pdblSamples, unsigned nFrames)
{
    constexpr unsigned nWidth = sizeof(V) / sizeof(double), nStep = 4 * nWidth;
    V rgvSums[4] = {};
    const unsigned nWhole = nFrames - nFrames % nStep;
    for (unsigned i = 0; i < nWhole; i += nStep) {
        for (unsigned k = 0; k < 4; k++) {
            V v;
            __builtin_memcpy(&v, pdblSamples + i + k * nWidth, sizeof(v));
            rgvSums[k] += v * v;
        }
    }
    V vSum = (rgvSums[0] + rgvSums[1]) + (rgvSums[2] + rgvSums[3]);
    double dblSum = 0.0;
    for (unsigned k = 0; k < nWidth; k++)
        dblSum += vSum[k];
    for (unsigned i = nWhole; i < nFrames; i++)
        dblSum += pdblSamples[i] * pdblSamples[i];
    if (__builtin_isfinite(dblSum))
        return dblSum;
    dblSum = 0.0;
    for (unsigned i = 0; i < nFrames; i++)
        if (__builtin_isfinite(pdblSamples[i] * pdblSamples[i]))
            dblSum += pdblSamples[i] * pdblSamples[i];
    return dblSum;
}

void ScaleLoop(double* pdblSamples, unsigned nFrames, double dblGain)
{
    for (unsigned i = 0; i < nFrames; i++)
        pdblSamples[i] *= dblGain;
}

// Sample i is multiplied by dblStart + dblStep * (i + 1): a ramp as an
// affine function of the place, with no running sum to carry.
void RampLoop(double* pdblSamples, unsigned nFrames, double dblStart, double dblStep)
{
    for (unsigned i = 0; i < nFrames; i++)
        pdblSamples[i] *= dblStart + dblStep * (i + 1);
}

}  // namespace
}  // namespace quelmar
