// Float32 frames to and from per-channel runs of doubles, four channels by
// four frames at a time (an SSE transpose), for streams of 4, 8, ...
// channels, in the instruction set of the other loops (SampleKernels.h). The
// conversions are the plain hardware ones; each call reports false when it met
// a sample they would change (a denormal, a NaN, a result below the least
// normal float: the flush flags or quietening act on those), and the caller
// then converts the chunk again exactly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "SampleCodec.h"
#include "SampleKernels.h"

namespace quelmar {

constexpr unsigned c_nFloatLanes = 4;

// Whether the transposes serve a stream of nChannels channels.
inline bool TransposesFloats(unsigned nChannels) { return nChannels % c_nFloatLanes == 0; }

inline bool DeinterleaveFloats(const uint8_t* pFrames, unsigned nChannels, unsigned nFrames, double* pdblRuns,
                               size_t nRunStride)
{
    const unsigned nWhole = nFrames & ~(c_nFloatLanes - 1);
    bool bExact = SampleKernels().pfnDeinterleaveFloats(pFrames, nChannels, nWhole, pdblRuns, nRunStride);
    for (unsigned c = 0; c < nChannels; c++)
        for (unsigned f = nWhole; f < nFrames; f++)
            bExact &= QuickCodec<SampleType::Float32>::Decode(
                pFrames + (static_cast<size_t>(f) * nChannels + c) * sizeof(float), pdblRuns + c * nRunStride + f);
    return bExact;
}

inline bool InterleaveFloats(const double* pdblRuns, size_t nRunStride, unsigned nChannels, unsigned nFrames,
                             uint8_t* pFrames)
{
    const unsigned nWhole = nFrames & ~(c_nFloatLanes - 1);
    bool bExact = SampleKernels().pfnInterleaveFloats(pdblRuns, nRunStride, nChannels, nWhole, pFrames);
    for (unsigned c = 0; c < nChannels; c++)
        for (unsigned f = nWhole; f < nFrames; f++)
            bExact &= QuickCodec<SampleType::Float32>::Encode(
                pdblRuns[c * nRunStride + f], pFrames + (static_cast<size_t>(f) * nChannels + c) * sizeof(float));
    return bExact;
}

}  // namespace quelmar
