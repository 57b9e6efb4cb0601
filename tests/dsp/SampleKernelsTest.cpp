#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "RealFft.h"
#include "SampleKernels.h"
#include "Signals.h"

using namespace quelmar;
using namespace quelmar_test;

namespace {

struct CKernelSet {
    const char* pszName;
    const CSampleKernels* pKernels;
    FftPath ePath;  // the path that must be present for the set to run
};

const CKernelSet s_rgSets[] = {{"Sse2", &g_sampleKernelsSse2, FftPath::Sse2},
                               {"Avx2", &g_sampleKernelsAvx2, FftPath::Avx2}};

class SampleKernels : public testing::TestWithParam<CKernelSet> {
protected:
    void SetUp() override
    {
        if (!CRealFft::IsSupported(GetParam().ePath))
            GTEST_SKIP() << "this processor lacks " << GetParam().pszName;
    }
    const CSampleKernels& Kernels() const { return *GetParam().pKernels; }
};

// Every length from 0 to 100 (whole vectors of sums and every tail), at an
// odd offset so no load is aligned.
TEST_P(SampleKernels, SumOfSquaresMatchesAPlainSum)
{
    std::vector<double> rgNoise = WhiteNoise(0.9, 101);
    for (unsigned n = 0; n <= 100; n++) {
        long double ldblExpected = 0.0L;
        for (unsigned i = 0; i < n; i++)
            ldblExpected += static_cast<long double>(rgNoise[1 + i]) * rgNoise[1 + i];
        EXPECT_NEAR(static_cast<double>(ldblExpected), Kernels().pfnSumOfSquares(&rgNoise[1], n),
                    1e-14 * static_cast<double>(ldblExpected) + 1e-300)
            << n << " samples";
    }
}

TEST_P(SampleKernels, SumOfSquaresLeavesOutNonFiniteSamples)
{
    for (unsigned nAt : {0u, 17u, 47u}) {  // in a whole vector and in the tail of 48
        std::vector<double> rgSamples(48, 0.5);
        for (double dblBad : {double(NAN), double(INFINITY), -double(INFINITY), 1e200}) {
            rgSamples[nAt] = dblBad;
            EXPECT_DOUBLE_EQ(47 * 0.25, Kernels().pfnSumOfSquares(rgSamples.data(), 48)) << dblBad << " at " << nAt;
        }
    }
}

// Each block's sum lands in its own place and each block takes its own ramp;
// nothing beyond the last block is touched.
TEST_P(SampleKernels, BlockSumsAndRampsStayInTheirBlocks)
{
    std::vector<double> rgNoise = WhiteNoise(0.9, 2 + 6 * 48);
    const double rgdblStarts[] = {0.5, 1.0, 2.0, 0.25, 4.0, 0.125}, rgdblSteps[] = {0.01, -0.01, 0.0, 0.02, -0.05, 0.0};
    for (unsigned nBlockFrames : {1u, 5u, 32u, 44u, 48u}) {
        for (unsigned nBlocks = 0; nBlocks <= 6; nBlocks++) {
            std::vector<double> rgSums(nBlocks + 1, -1.0), rgRamped(rgNoise);
            Kernels().pfnBlockSums(&rgNoise[1], nBlocks, nBlockFrames, rgSums.data());
            Kernels().pfnBlockRamps(&rgRamped[1], nBlocks, nBlockFrames, rgdblStarts, rgdblSteps);
            for (unsigned b = 0; b < nBlocks; b++) {
                const unsigned nFirst = 1 + b * nBlockFrames;
                ASSERT_EQ(Kernels().pfnSumOfSquares(&rgNoise[nFirst], nBlockFrames), rgSums[b])
                    << "block " << b << " of " << nBlocks << " x " << nBlockFrames;
                for (unsigned i = 0; i < nBlockFrames; i++)
                    ASSERT_NEAR(rgNoise[nFirst + i] * (rgdblStarts[b] + rgdblSteps[b] * (i + 1)), rgRamped[nFirst + i],
                                1e-15)
                        << "sample " << i << " of block " << b << " of " << nBlocks << " x " << nBlockFrames;
            }
            ASSERT_EQ(-1.0, rgSums[nBlocks]) << nBlocks << " x " << nBlockFrames;
            ASSERT_EQ(rgNoise[0], rgRamped[0]);
            const size_t nAfter = 1 + nBlocks * nBlockFrames;
            ASSERT_EQ(rgNoise[nAfter], rgRamped[nAfter]) << nBlocks << " x " << nBlockFrames;
        }
    }
}

// Every length from 0 to 100 at an odd offset; the samples on either side
// stay as they were.
TEST_P(SampleKernels, ScaleAndRampMultiplyEverySampleAndNoOther)
{
    std::vector<double> rgNoise = WhiteNoise(0.9, 102);
    for (unsigned n = 0; n <= 100; n++) {
        std::vector<double> rgScaled(rgNoise), rgRamped(rgNoise);
        Kernels().pfnScale(&rgScaled[1], n, 0.5);
        Kernels().pfnRamp(&rgRamped[1], n, 0.25, 0.01);
        for (const std::vector<double>* prg : {&rgScaled, &rgRamped}) {
            EXPECT_EQ(rgNoise[0], (*prg)[0]) << "before " << n;
            EXPECT_EQ(rgNoise[n + 1], (*prg)[n + 1]) << "after " << n;
        }
        for (unsigned i = 0; i < n; i++) {
            ASSERT_EQ(rgNoise[1 + i] * 0.5, rgScaled[1 + i]) << i << " of " << n;
            ASSERT_NEAR(rgNoise[1 + i] * (0.25 + 0.01 * (i + 1)), rgRamped[1 + i], 1e-15) << i << " of " << n;
        }
    }
}

// Every count of pairs from 0 to 50 from an odd offset: each place holds its
// two samples as floats, the first in the low half; the place after the
// last stays as it was.
TEST_P(SampleKernels, NarrowPairsFillEveryPlaceAndNoOther)
{
    std::vector<double> rgNoise = WhiteNoise(0.9, 101);
    rgNoise[1] = 1e-310;  // a double below the least float: narrows to zero
    for (unsigned nPairs = 0; nPairs <= 50; nPairs++) {
        std::vector<std::atomic<uint64_t>> rgPlaces(nPairs + 1);
        for (std::atomic<uint64_t>& place : rgPlaces)
            place.store(~uint64_t{0});
        Kernels().pfnNarrowPairs(&rgNoise[1], nPairs, rgPlaces.data());
        for (unsigned i = 0; i < nPairs; i++) {
            const float rgfl[2] = {static_cast<float>(rgNoise[1 + 2 * i]), static_cast<float>(rgNoise[2 + 2 * i])};
            uint64_t nExpected;
            std::memcpy(&nExpected, rgfl, sizeof(nExpected));
            ASSERT_EQ(nExpected, rgPlaces[i].load()) << "place " << i << " of " << nPairs;
        }
        EXPECT_EQ(~uint64_t{0}, rgPlaces[nPairs].load()) << "after " << nPairs;
    }
}

INSTANTIATE_TEST_SUITE_P(InstructionSets, SampleKernels, testing::ValuesIn(s_rgSets),
                         [](const testing::TestParamInfo<CKernelSet>& info) { return info.param.pszName; });

// The loops the streaming pass takes follow QUELMAR_SIMD_PATH as the FFT does.
TEST(SampleKernelsChoice, FollowsTheFftPath)
{
    const CSampleKernels* pExpected =
        CRealFft::ChosenPath() == FftPath::Avx2 ? &g_sampleKernelsAvx2 : &g_sampleKernelsSse2;
    EXPECT_EQ(pExpected, &quelmar::SampleKernels());
}

}  // namespace
