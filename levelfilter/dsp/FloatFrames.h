// Float32 frames to and from per-channel runs of doubles, four channels by
// four frames at a time (an SSE transpose), for streams of 4, 8, ...
// channels. The conversions are the plain hardware ones; each call reports
// false when it met a sample they would change (a denormal, a NaN, a result
// below the least normal float: the flush flags or quietening act on those),
// and the caller then converts the chunk again exactly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quelmar {

// Whether the transposes serve a stream of nChannels channels here.
bool TransposesFloats(unsigned nChannels);

bool DeinterleaveFloats(const uint8_t* pFrames, unsigned nChannels, unsigned nFrames, double* pdblRuns,
                        size_t nRunStride);
bool InterleaveFloats(const double* pdblRuns, size_t nRunStride, unsigned nChannels, unsigned nFrames,
                      uint8_t* pFrames);

}  // namespace quelmar
