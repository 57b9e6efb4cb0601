// The interleaved PCM and floating-point layouts the level chain processes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quelmar {

enum class SampleType {
    UInt8,    // unsigned 8-bit, 128 = silence
    Int16,
    Int24,    // packed, 3 bytes little-endian
    Int32,
    Float32,
    Float64,
    Int24In32,  // 24 valid bits in the top of 4 bytes; the low byte is padding, kept
};
constexpr unsigned c_nSampleTypes = 7;

struct StreamFormat {
    SampleType eType;
    unsigned nChannels;     // 1 to 64
    unsigned nSampleRate;   // frames per second, 8000 to 384000
};

constexpr unsigned c_nMaxChannels = 64;
constexpr unsigned c_nMinSampleRate = 8000;
constexpr unsigned c_nMaxSampleRate = 384000;

constexpr size_t BytesPerSample(SampleType eType)
{
    switch (eType) {
    case SampleType::UInt8: return 1;
    case SampleType::Int16: return 2;
    case SampleType::Int24: return 3;
    case SampleType::Int24In32: return 4;
    case SampleType::Int32: return 4;
    case SampleType::Float32: return 4;
    case SampleType::Float64: return 8;
    }
    return 0;
}

inline bool IsSupported(const StreamFormat& format)
{
    return format.nChannels >= 1 && format.nChannels <= c_nMaxChannels && format.nSampleRate >= c_nMinSampleRate &&
           format.nSampleRate <= c_nMaxSampleRate && BytesPerSample(format.eType) != 0;
}

}  // namespace quelmar
