#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "DenormalGuard.h"
#include "SampleCodec.h"

using namespace quelmar;

namespace {

template <SampleType t_eType, class TStored>
void ExpectRoundTrip(TStored stored)
{
    uint8_t rgIn[sizeof(TStored)], rgOut[sizeof(TStored)];
    memcpy(rgIn, &stored, sizeof(stored));
    volatile double dblWide = SampleCodec<t_eType>::Decode(rgIn);  // kept in memory, never folded away
    SampleCodec<t_eType>::Encode(dblWide, rgOut);
    EXPECT_EQ(0, memcmp(rgIn, rgOut, sizeof(stored))) << +stored;
}

TEST(SampleCodec, IntegersRoundTripBitForBit)
{
    for (int n : {0, 1, 127, 128, 200, 255})
        ExpectRoundTrip<SampleType::UInt8>(static_cast<uint8_t>(n));
    for (int n : {0, 1, -1, 12345, INT16_MIN, INT16_MAX})
        ExpectRoundTrip<SampleType::Int16>(static_cast<int16_t>(n));
    for (int32_t n : {0, 1, -1, 1234567890, INT32_MIN, INT32_MAX})
        ExpectRoundTrip<SampleType::Int32>(n);
    for (int32_t n : {0, 1, -1, 8388607, -8388608, 4660}) {
        uint8_t rgIn[3] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16)};
        uint8_t rgOut[3];
        SampleCodec<SampleType::Int24>::Encode(SampleCodec<SampleType::Int24>::Decode(rgIn), rgOut);
        EXPECT_EQ(0, memcmp(rgIn, rgOut, 3)) << n;
    }
}

// Float bit patterns that a hardware conversion under flush-to-zero and
// denormals-are-zero would change: denormals, NaN payloads (signalling ones
// quietened), signed zeros. They round-trip with both flags set.
TEST(SampleCodec, FloatsRoundTripBitForBitUnderFlushToZero)
{
    CDenormalGuard guard;
    const uint32_t rgFloats[] = {
        0x00000001u, 0x80000001u, 0x007FFFFFu, 0x807FFFFFu, 0x00400000u,  // denormals
        0x7F800001u, 0xFFA00005u, 0x7FC12345u, 0xFFFFFFFFu,               // signalling and quiet NaNs
        0x00000000u, 0x80000000u, 0x7F800000u, 0xFF800000u,               // zeros, infinities
        0x00800000u, 0x7F7FFFFFu, 0x3F800000u, 0xBEAAAAABu,               // normals
    };
    for (uint32_t n : rgFloats)
        ExpectRoundTrip<SampleType::Float32>(n);
    const uint64_t rgDoubles[] = {
        0x0000000000000001ull, 0x800FFFFFFFFFFFFFull, 0x7FF0000000000001ull,
        0xFFF8000000ABCDEFull, 0x8000000000000000ull, 0x3FF0000000000000ull,
    };
    for (uint64_t n : rgDoubles)
        ExpectRoundTrip<SampleType::Float64>(n);
}

TEST(SampleCodec, FloatDenormalsKeepTheirValue)
{
    CDenormalGuard guard;
    uint32_t nLeast = 0x00000001u;
    EXPECT_EQ(0x1p-149, SampleCodec<SampleType::Float32>::Decode(reinterpret_cast<uint8_t*>(&nLeast)));
    uint32_t nBits = 0;
    SampleCodec<SampleType::Float32>::Encode(-3.0 * 0x1p-149, reinterpret_cast<uint8_t*>(&nBits));
    EXPECT_EQ(0x80000003u, nBits);
    SampleCodec<SampleType::Float32>::Encode(0x1p-126 * (1.0 - 0x1p-30), reinterpret_cast<uint8_t*>(&nBits));
    EXPECT_EQ(0x00800000u, nBits);  // rounds up to the least normal float
    SampleCodec<SampleType::Float32>::Encode(1e300, reinterpret_cast<uint8_t*>(&nBits));
    EXPECT_EQ(0x7F800000u, nBits);
}

// 24 valid bits in a 32-bit container: the value is the top 24 bits, and
// encoding rounds to them and leaves the padding byte below as it was.
TEST(SampleCodec, TwentyFourInThirtyTwoKeepsItsPadding)
{
    uint8_t rg[4] = {0x5A, 0x00, 0x00, 0x40};  // 0x400000 of 24 bits, padding 0x5A
    EXPECT_EQ(0.5, SampleCodec<SampleType::Int24In32>::Decode(rg));
    SampleCodec<SampleType::Int24In32>::Encode(0.25 + 0x1p-24, rg);  // half an LSB up: rounds to even
    const uint8_t rgExpected[4] = {0x5A, 0x00, 0x00, 0x20};
    EXPECT_EQ(0, memcmp(rgExpected, rg, 4));
    SampleCodec<SampleType::Int24In32>::Encode(-2.0, rg);
    const uint8_t rgMinimum[4] = {0x5A, 0x00, 0x00, 0x80};
    EXPECT_EQ(0, memcmp(rgMinimum, rg, 4));
}

TEST(SampleCodec, DecodesToFullScale)
{
    uint8_t rg24[3] = {0x00, 0x00, 0x80};  // -8388608
    EXPECT_EQ(-1.0, SampleCodec<SampleType::Int24>::Decode(rg24));
    uint8_t rg8[1] = {0};
    EXPECT_EQ(-1.0, SampleCodec<SampleType::UInt8>::Decode(rg8));
    int16_t n16 = 16384;
    EXPECT_EQ(0.5, SampleCodec<SampleType::Int16>::Decode(reinterpret_cast<uint8_t*>(&n16)));
}

struct CSaturationCase {
    double dblValue;
    int16_t nExpected;
};

TEST(SampleCodec, IntegerEncodingSaturatesNeverWraps)
{
    const CSaturationCase rgCases[] = {
        {1.0, INT16_MAX}, {2.5, INT16_MAX}, {-1.0, INT16_MIN}, {-7.0, INT16_MIN},
        {INFINITY, INT16_MAX}, {-INFINITY, INT16_MIN}, {0.99999, 32767},
    };
    for (const CSaturationCase& c : rgCases) {
        int16_t n = 0;
        SampleCodec<SampleType::Int16>::Encode(c.dblValue, reinterpret_cast<uint8_t*>(&n));
        EXPECT_EQ(c.nExpected, n) << c.dblValue;
    }
    uint8_t rg24[3];
    SampleCodec<SampleType::Int24>::Encode(3.0, rg24);
    EXPECT_EQ(8388607.0 / 8388608.0, SampleCodec<SampleType::Int24>::Decode(rg24));
    uint8_t rg8[1];
    SampleCodec<SampleType::UInt8>::Encode(-3.0, rg8);
    EXPECT_EQ(0, rg8[0]);
    int32_t n32 = 0;
    SampleCodec<SampleType::Int32>::Encode(1.5, reinterpret_cast<uint8_t*>(&n32));
    EXPECT_EQ(INT32_MAX, n32);
}

}  // namespace
