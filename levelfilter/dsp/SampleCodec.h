// Conversion between stored samples and doubles in [-1, 1) (full scale).
// Integer formats decode exactly and encode with rounding and saturation, so
// unity gain passes them bit for bit and no gain ever wraps them. Floats
// convert exactly whatever the thread's denormal flags (flush-to-zero and
// denormals-are-zero would zero a denormal float): denormals are scaled from
// their integer mantissa, and NaNs carry their bits over unconverted, so a
// signalling NaN keeps its payload instead of being quietened.
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
    // Clamped by selects, not branches, so a chunk's loop vectorises.
    double dblClamped = dblValue > static_cast<double>(nMin) ? dblValue : static_cast<double>(nMin);  // NaN: the minimum
    dblClamped = dblClamped < static_cast<double>(nMax) ? dblClamped : static_cast<double>(nMax);
    return static_cast<int64_t>(std::lrint(dblClamped));
}

constexpr uint64_t c_nDoubleExponent = 0x7FF0000000000000ull;
constexpr uint64_t c_nDoubleMantissa = 0x000FFFFFFFFFFFFFull;
constexpr uint32_t c_nFloatExponent = 0x7F800000u;
constexpr uint32_t c_nFloatMantissa = 0x007FFFFFu;
constexpr unsigned c_nMantissaShift = 29;  // double mantissa bits beyond a float's
constexpr double c_dblFloatDenormalUnit = 0x1p-149;
constexpr double c_dblFloatMinNormal = 0x1p-126;

inline double WidenFloat(uint32_t nBits)
{
    uint64_t nSign = static_cast<uint64_t>(nBits >> 31) << 63;
    uint32_t nMantissa = nBits & c_nFloatMantissa;
    if ((nBits & c_nFloatExponent) == c_nFloatExponent && nMantissa != 0) {
        uint64_t nWide = nSign | c_nDoubleExponent | static_cast<uint64_t>(nMantissa) << c_nMantissaShift;
        double dbl;
        memcpy(&dbl, &nWide, sizeof(dbl));
        return dbl;
    }
    if ((nBits & c_nFloatExponent) == 0) {
        double dblMagnitude = static_cast<double>(nMantissa) * c_dblFloatDenormalUnit;
        return nSign ? -dblMagnitude : dblMagnitude;
    }
    float f;
    memcpy(&f, &nBits, sizeof(f));
    return f;  // a normal float or an infinity: the conversion never flushes it
}

inline uint32_t NarrowToFloat(double dbl)
{
    uint64_t nWide;
    memcpy(&nWide, &dbl, sizeof(nWide));
    uint32_t nSign = static_cast<uint32_t>(nWide >> 63) << 31;
    if ((nWide & c_nDoubleExponent) == c_nDoubleExponent && (nWide & c_nDoubleMantissa) != 0) {
        uint32_t nMantissa = static_cast<uint32_t>((nWide & c_nDoubleMantissa) >> c_nMantissaShift);
        return nSign | c_nFloatExponent | (nMantissa != 0 ? nMantissa : 1u << 22);  // a NaN stays a NaN
    }
    double dblMagnitude = nSign ? -dbl : dbl;
    if (dblMagnitude < c_dblFloatMinNormal)  // rounds up to the least normal float where it must
        return nSign | static_cast<uint32_t>(std::lrint(dblMagnitude / c_dblFloatDenormalUnit));
    float f = static_cast<float>(dbl);
    uint32_t nBits;
    memcpy(&nBits, &f, sizeof(nBits));
    return nBits;
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

// The sample's value is its top 24 bits; encoding writes those only, so the
// padding byte below them stays as the stream had it.
template <>
struct SampleCodec<SampleType::Int24In32> {
    static double Decode(const uint8_t* p) { return SampleCodec<SampleType::Int24>::Decode(p + 1); }
    static void Encode(double dbl, uint8_t* p) { SampleCodec<SampleType::Int24>::Encode(dbl, p + 1); }
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
        uint32_t nBits;
        memcpy(&nBits, p, sizeof(nBits));
        return detail::WidenFloat(nBits);
    }
    static void Encode(double dbl, uint8_t* p)
    {
        uint32_t nBits = detail::NarrowToFloat(dbl);
        memcpy(p, &nBits, sizeof(nBits));
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

// The conversions a chunk takes first: for integers and float64 the exact
// ones; for float32 the plain hardware conversions, each reporting whether it
// was exact (false for denormals, NaNs and results too small for a normal
// float, which the flush flags or quietening would change). A chunk with any
// such sample is converted again by SampleCodec.
template <SampleType t_eType>
struct QuickCodec {
    static bool Decode(const uint8_t* p, double* pdbl)
    {
        *pdbl = SampleCodec<t_eType>::Decode(p);
        return true;
    }
    static bool Encode(double dbl, uint8_t* p)
    {
        SampleCodec<t_eType>::Encode(dbl, p);
        return true;
    }
};

template <>
struct QuickCodec<SampleType::Float32> {
    static bool Decode(const uint8_t* p, double* pdbl)
    {
        uint32_t nBits;
        float f;
        memcpy(&nBits, p, sizeof(nBits));
        memcpy(&f, p, sizeof(f));
        *pdbl = f;
        uint32_t nExponent = nBits & detail::c_nFloatExponent;
        bool bNormal = nExponent - 0x00800000u < detail::c_nFloatExponent - 0x00800000u;
        return bNormal | ((nBits << 1) == 0);  // normal, or a zero
    }
    static bool Encode(double dbl, uint8_t* p)
    {
        float f = static_cast<float>(dbl);
        memcpy(p, &f, sizeof(f));
        return (std::fabs(dbl) >= detail::c_dblFloatMinNormal) | (dbl == 0.0);  // false for NaN
    }
};

}  // namespace quelmar
