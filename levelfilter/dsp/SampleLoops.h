// The streaming pass's inner loops over a channel's run of doubles, written
// once and compiled once per instruction set (SampleKernelsSse2.cpp,
// SampleKernelsAvx2.cpp). Internal linkage: each of those files keeps its
// own copy, compiled with its own instructions.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace quelmar {
namespace {

inline void ScaleLoop(double* pdblSamples, unsigned nFrames, double dblGain)
{
    for (unsigned i = 0; i < nFrames; i++)
        pdblSamples[i] *= dblGain;
}

// Sample i is multiplied by dblStart + dblStep * (i + 1): a ramp as an
// affine function of the place, with no running sum to carry. The places
// are counted in a vector of doubles (whole numbers, so every sum is exact):
// no integer conversion per sample.
template <class V>
inline void RampLoop(double* pdblSamples, unsigned nFrames, double dblStart, double dblStep)
{
    constexpr unsigned nWidth = sizeof(V) / sizeof(double);
    V vPlaces;
    for (unsigned k = 0; k < nWidth; k++)
        vPlaces[k] = k + 1.0;
    unsigned i = 0;
    for (; i + nWidth <= nFrames; i += nWidth, vPlaces += nWidth) {
        V v;
        __builtin_memcpy(&v, pdblSamples + i, sizeof(v));
        v *= dblStart + dblStep * vPlaces;
        __builtin_memcpy(pdblSamples + i, &v, sizeof(v));
    }
    for (; i < nFrames; i++)
        pdblSamples[i] *= dblStart + dblStep * (i + 1);
}

// A ramp over each of nBlocks runs of nBlockFrames samples, one after
// another, block b's from pdblStarts[b] by pdblSteps[b], in one call.
template <class V>
void BlockRampsLoop(double* pdblSamples, unsigned nBlocks, unsigned nBlockFrames, const double* pdblStarts,
                    const double* pdblSteps)
{
    for (unsigned b = 0; b < nBlocks; b++)
        RampLoop<V>(pdblSamples + static_cast<size_t>(b) * nBlockFrames, nBlockFrames, pdblStarts[b], pdblSteps[b]);
}

// The gain at each place of a run, as one double or as a vector of them
// from place i on: none (the samples are only summed), constant, or a ramp
// (place i of the run at dblStart + dblStep * (nFirst + i + 1), nFirst: the
// run's place in its ramp).
struct CNoGain {
    static constexpr bool c_bApplies = false;
    double At(unsigned) const { return 1.0; }
    template <class V>
    V VectorAt(unsigned) const
    {
        return V{} + 1.0;
    }
};

struct CConstantGain {
    static constexpr bool c_bApplies = true;
    double dblGain;
    double At(unsigned) const { return dblGain; }
    template <class V>
    V VectorAt(unsigned) const
    {
        return V{} + dblGain;
    }
};

struct CRampGain {
    static constexpr bool c_bApplies = true;
    double dblStart, dblStep;
    unsigned nFirst;
    double At(unsigned i) const { return dblStart + dblStep * (nFirst + i + 1); }
    template <class V>
    V VectorAt(unsigned i) const
    {
        V vLanes;  // one integer conversion per vector, not per sample
        for (unsigned k = 0; k < sizeof(V) / sizeof(double); k++)
            vLanes[k] = k;
        return dblStart + dblStep * (vLanes + static_cast<double>(nFirst + i + 1));
    }
};

// Multiplies each sample by its gain and returns the sum of the squares of
// the samples as they came, in one pass that loads each sample once. Four
// vectors of sums (V: the instruction set's vector of doubles) side by side,
// so four vector additions are under way at once, then one vector at a time.
// Non-finite squares are left out: one shows in the total, and only then is
// the run summed again without them, from the samples divided by their gains
// where they were gained (the samples as they came are gone; right to within
// rounding).
template <class V, class G>
inline double SumThenGainLoop(double* pdblSamples, unsigned nFrames, const G& gain)
{
    constexpr unsigned nWidth = sizeof(V) / sizeof(double), nStep = 4 * nWidth;
    V rgvSums[4] = {};
    unsigned i = 0;
    for (; i + nStep <= nFrames; i += nStep) {
        for (unsigned k = 0; k < 4; k++) {
            V v;
            __builtin_memcpy(&v, pdblSamples + i + k * nWidth, sizeof(v));
            rgvSums[k] += v * v;
            if constexpr (G::c_bApplies) {
                v *= gain.template VectorAt<V>(i + k * nWidth);
                __builtin_memcpy(pdblSamples + i + k * nWidth, &v, sizeof(v));
            }
        }
    }
    for (; i + nWidth <= nFrames; i += nWidth) {
        V v;
        __builtin_memcpy(&v, pdblSamples + i, sizeof(v));
        rgvSums[3] += v * v;
        if constexpr (G::c_bApplies) {
            v *= gain.template VectorAt<V>(i);
            __builtin_memcpy(pdblSamples + i, &v, sizeof(v));
        }
    }
    V vSum = (rgvSums[0] + rgvSums[1]) + (rgvSums[2] + rgvSums[3]);
    double dblSum = 0.0;
    for (unsigned k = 0; k < nWidth; k++)
        dblSum += vSum[k];
    for (; i < nFrames; i++) {
        dblSum += pdblSamples[i] * pdblSamples[i];
        if constexpr (G::c_bApplies)
            pdblSamples[i] *= gain.At(i);
    }
    if (__builtin_isfinite(dblSum))
        return dblSum;
    dblSum = 0.0;
    for (i = 0; i < nFrames; i++) {
        const double dblCame = G::c_bApplies ? pdblSamples[i] / gain.At(i) : pdblSamples[i];
        if (__builtin_isfinite(dblCame * dblCame))
            dblSum += dblCame * dblCame;
    }
    return dblSum;
}

// The sum of the squares, leaving out non-finite samples (the samples are
// not written: no gain applies).
template <class V>
inline double SumOfSquaresLoop(const double* pdblSamples, unsigned nFrames)
{
    return SumThenGainLoop<V>(const_cast<double*>(pdblSamples), nFrames, CNoGain{});
}

// The sums of the squares of nBlocks runs of nBlockFrames samples, one after
// another, in one call: the blocks' sums overlap in the pipeline.
template <class V>
void BlockSumsLoop(const double* pdblSamples, unsigned nBlocks, unsigned nBlockFrames, double* pdblSums)
{
    for (unsigned b = 0; b < nBlocks; b++)
        pdblSums[b] = SumOfSquaresLoop<V>(pdblSamples + static_cast<size_t>(b) * nBlockFrames, nBlockFrames);
}

// SumThenGainLoop over nBlocks runs of nBlockFrames samples, one after
// another, block b's sum into pdblSums[b]: the gain constant, or a ramp whose
// place nFirst is the first block's first sample.
template <class V>
void BlockSumsThenScaleLoop(double* pdblSamples, unsigned nBlocks, unsigned nBlockFrames, double dblGain,
                            double* pdblSums)
{
    for (unsigned b = 0; b < nBlocks; b++)
        pdblSums[b] = SumThenGainLoop<V>(pdblSamples + static_cast<size_t>(b) * nBlockFrames, nBlockFrames,
                                         CConstantGain{dblGain});
}

template <class V>
void BlockSumsThenRampLoop(double* pdblSamples, unsigned nBlocks, unsigned nBlockFrames, double dblStart,
                           double dblStep, unsigned nFirst, double* pdblSums)
{
    for (unsigned b = 0; b < nBlocks; b++)
        pdblSums[b] = SumThenGainLoop<V>(pdblSamples + static_cast<size_t>(b) * nBlockFrames, nBlockFrames,
                                         CRampGain{dblStart, dblStep, nFirst + b * nBlockFrames});
}

// Narrows V's worth of samples to floats in one conversion and stores them a
// pair to each 64-bit place (the first sample in the low half), one store
// per place, so a reader never sees half a place.
template <class V>
inline void NarrowIntoPlaces(const double* pdblSamples, std::atomic<uint64_t>* pPlaces)
{
    constexpr unsigned nPlaces = sizeof(V) / sizeof(double) / 2;
    typedef float CNarrow __attribute__((vector_size(sizeof(V) / 2)));
    V v;
    __builtin_memcpy(&v, pdblSamples, sizeof(v));
    const CNarrow vNarrow = __builtin_convertvector(v, CNarrow);
    uint64_t rgnBits[nPlaces];
    __builtin_memcpy(rgnBits, &vNarrow, sizeof(rgnBits));
    for (unsigned k = 0; k < nPlaces; k++)
        pPlaces[k].store(rgnBits[k], std::memory_order_relaxed);
}

// nPairs pairs of samples into as many places.
template <class V>
void NarrowPairsLoop(const double* pdblSamples, unsigned nPairs, std::atomic<uint64_t>* pPlaces)
{
    typedef double CTwo __attribute__((vector_size(16)));
    constexpr unsigned nPlaces = sizeof(V) / sizeof(double) / 2;
    for (; nPairs >= nPlaces; nPairs -= nPlaces, pdblSamples += 2 * nPlaces, pPlaces += nPlaces)
        NarrowIntoPlaces<V>(pdblSamples, pPlaces);
    for (; nPairs > 0; nPairs--, pdblSamples += 2, pPlaces++)
        NarrowIntoPlaces<CTwo>(pdblSamples, pPlaces);
}

// The projections P = sum x[n] cos(w t) and Q = sum x[n] sin(w t) of nBlocks
// blocks of nBlockFrames samples (a multiple of four vectors), with the
// phases laid out as pdblPhases holds them: cos w j and sin w j for j within
// a block, then cos w T and sin w T for each block's start T. Within block b,
// cos w (T + j) = cos wT cos wj - sin wT sin wj and sin w (T + j) =
// sin wT cos wj + cos wT sin wj, so each block is two dot products with the
// same two tables, four vectors of sums each.
template <class V>
void PhaseProjectionsLoop(const double* pdblSamples, unsigned nBlocks, unsigned nBlockFrames,
                          const double* pdblPhases, double* pdblP, double* pdblQ)
{
    constexpr unsigned nWidth = sizeof(V) / sizeof(double);
    const double* pdblCos = pdblPhases;
    const double* pdblSin = pdblCos + nBlockFrames;
    const double* pdblStartCos = pdblSin + nBlockFrames;
    const double* pdblStartSin = pdblStartCos + nBlocks;
    auto Load = [](const double* p) {
        V v;
        __builtin_memcpy(&v, p, sizeof(v));
        return v;
    };
    V vP = {}, vQ = {};
    for (unsigned b = 0; b < nBlocks; b++) {
        const double* pdblBlock = pdblSamples + static_cast<size_t>(b) * nBlockFrames;
        V rgvCos[4] = {}, rgvSin[4] = {};
        for (unsigned j = 0; j < nBlockFrames; j += 4 * nWidth)
            for (unsigned k = 0; k < 4; k++) {
                V vSample = Load(pdblBlock + j + k * nWidth);
                rgvCos[k] += vSample * Load(pdblCos + j + k * nWidth);
                rgvSin[k] += vSample * Load(pdblSin + j + k * nWidth);
            }
        V vCos = (rgvCos[0] + rgvCos[1]) + (rgvCos[2] + rgvCos[3]);
        V vSin = (rgvSin[0] + rgvSin[1]) + (rgvSin[2] + rgvSin[3]);
        vP += pdblStartCos[b] * vCos - pdblStartSin[b] * vSin;
        vQ += pdblStartSin[b] * vCos + pdblStartCos[b] * vSin;
    }
    double dblP = 0.0, dblQ = 0.0;
    for (unsigned k = 0; k < nWidth; k++) {
        dblP += vP[k];
        dblQ += vQ[k];
    }
    *pdblP = dblP;
    *pdblQ = dblQ;
}

}  // namespace
}  // namespace quelmar
