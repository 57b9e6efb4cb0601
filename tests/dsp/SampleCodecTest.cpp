#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "SampleCodec.h"

using namespace quelmar;

namespace {

template <SampleType t_eType, class TStored>
void ExpectRoundTrip(TStored stored)
{
    uint8_t rgIn[sizeof(TStored)], rgOut[sizeof(TStored)];
    memcpy(rgIn, &stored, sizeof(stored));
    SampleCodec<t_eType>::Encode(SampleCodec<t_eType>::Decode(rgIn), rgOut);
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
