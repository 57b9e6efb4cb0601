// Conversion between stored samples and doubles in [-1, 1) (full scale).
// Integer formats decode exactly and encode with rounding and saturation, so
// unity gain passes them bit for bit and no gain ever wraps them.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "SampleFormat.h"

namespace quelmar {

template <SampleType t_eType>
struct SampleCodec;

namespace detail {

inline int64_t SaturatingRound(double dblValue, int64_t nMin, int64_t nMax)
{
    if (!(dblValue > static_cast<double>(nMin)))  // NaN lands at the minimum
        return nMin;
    if (dblValue >= static_cast<double>(nMax))
        return nMax;
    return static_cast<int64_t>(std::lrint(dblValue));
}

}  // namespace detail

template <>
struct SampleCodec<SampleType::UInt8> {
    static double Decode(const uint8_t* p) { return (static_cast<int>(p[0]) - 128) / 128.0; }
    static void Encode(double dbl, uint8_t* p)
    {
        p[0] = static_cast<uint8_t>(detail::SaturatingRound(dbl * 128.0, -128, 127) + 128);
    }
};

template <>
struct SampleCodec<SampleType::Int16> {
    static double Decode(const uint8_t* p)
    {
        int16_t n;
        memcpy(&n, p, sizeof(n));
        return n / 32768.0;
    }
    static void Encode(double dbl, uint8_t* p)
    {
        int16_t n = static_cast<int16_t>(detail::SaturatingRound(dbl * 32768.0, INT16_MIN, INT16_MAX));
        memcpy(p, &n, sizeof(n));
    }
};

template <>
struct SampleCodec<SampleType::Int24> {
    static double Decode(const uint8_t* p)
    {
        int32_t n = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 | static_cast<uint32_t>(p[1]) << 16 |
                                         static_cast<uint32_t>(p[2]) << 24) >>
                    8;
        return n / 8388608.0;
    }
    static void Encode(double dbl, uint8_t* p)
    {
        int32_t n = static_cast<int32_t>(detail::SaturatingRound(dbl * 8388608.0, -8388608, 8388607));
        p[0] = static_cast<uint8_t>(n);
        p[1] = static_cast<uint8_t>(n >> 8);
        p[2] = static_cast<uint8_t>(n >> 16);
    }
};

template <>
struct SampleCodec<SampleType::Int32> {
    static double Decode(const uint8_t* p)
    {
        int32_t n;
        memcpy(&n, p, sizeof(n));
        return n / 2147483648.0;
    }
    static void Encode(double dbl, uint8_t* p)
    {
        int32_t n = static_cast<int32_t>(detail::SaturatingRound(dbl * 2147483648.0, INT32_MIN, INT32_MAX));
        memcpy(p, &n, sizeof(n));
    }
};

template <>
struct SampleCodec<SampleType::Float32> {
    static double Decode(const uint8_t* p)
    {
        float f;
        memcpy(&f, p, sizeof(f));
        return f;
    }
    static void Encode(double dbl, uint8_t* p)
    {
        float f = static_cast<float>(dbl);
        memcpy(p, &f, sizeof(f));
    }
};

template <>
struct SampleCodec<SampleType::Float64> {
    static double Decode(const uint8_t* p)
    {
        double d;
        memcpy(&d, p, sizeof(d));
        return d;
    }
    static void Encode(double dbl, uint8_t* p) { memcpy(p, &dbl, sizeof(dbl)); }
};

}  // namespace quelmar
