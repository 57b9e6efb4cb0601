#include <gtest/gtest.h>

#include "Decibels.h"
#include "GainStage.h"
#include "LevelMeter.h"
#include "Signals.h"

using namespace quelmar;
using namespace quelmar_test;

namespace {

std::vector<double> Ones(size_t n)
{
    return std::vector<double>(n, 1.0);
}

TEST(GainStage, UnityUntilSetThenAStepWithoutRamp)
{
    CGainStage gain;
    gain.Init(2, 48000);
    std::vector<double> rg = Ones(100);
    gain.Apply(0, rg.data(), 100);
    EXPECT_EQ(1.0, rg[99]);
    gain.SetTarget(0, -20.0, 0);
    rg = Ones(100);
    gain.Apply(0, rg.data(), 100);
    EXPECT_DOUBLE_EQ(0.1, rg[0]);
    EXPECT_DOUBLE_EQ(0.1, rg[99]);
    rg = Ones(10);
    gain.Apply(1, rg.data(), 10);  // the other channel is untouched
    EXPECT_EQ(1.0, rg[9]);
    EXPECT_EQ(-20.0, gain.TargetDb(0));
}

TEST(GainStage, RampGlidesLinearlyWithoutStepsAndLandsOnTheTarget)
{
    CGainStage gain;
    gain.Init(1, 48000);
    gain.SetTarget(0, 20.0, 100);  // 4800 frames from 1.0 to 10.0
    std::vector<double> rg = Ones(6000);
    for (size_t i = 0; i < rg.size(); i += 256)
        gain.Apply(0, rg.data() + i, static_cast<unsigned>(std::min<size_t>(256, rg.size() - i)));
    double dblStep = 9.0 / 4800;
    for (size_t i = 1; i < 4800; i++)
        ASSERT_NEAR(dblStep, rg[i] - rg[i - 1], 1e-9) << i;
    EXPECT_NEAR(1.0 + dblStep, rg[0], 1e-12);
    EXPECT_EQ(10.0, rg[4799]);
    EXPECT_EQ(10.0, rg[5999]);
}

TEST(GainStage, NewTargetDuringARampStartsFromWhereTheGainIs)
{
    CGainStage gain;
    gain.Init(1, 1000);
    gain.SetTarget(0, 20.0, 1000);  // 1000 frames to 10.0
    std::vector<double> rg = Ones(500);
    gain.Apply(0, rg.data(), 500);
    double dblHalfway = rg[499];
    EXPECT_NEAR(5.5, dblHalfway, 1e-9);
    gain.SetTarget(0, 0.0, 100);  // back to 1.0 in 100 frames
    rg = Ones(200);
    gain.Apply(0, rg.data(), 200);
    EXPECT_NEAR(dblHalfway - 4.5 / 100, rg[0], 1e-9);
    EXPECT_EQ(1.0, rg[99]);
    EXPECT_EQ(1.0, rg[199]);
}

TEST(GainStage, SettleJumpsToTheTarget)
{
    CGainStage gain;
    gain.Init(1, 48000);
    gain.SetTarget(0, -40.0, 10000);
    gain.Settle();
    std::vector<double> rg = Ones(4);
    gain.Apply(0, rg.data(), 4);
    EXPECT_DOUBLE_EQ(0.01, rg[0]);
}

// The meter before the gain is taken in the gain's own pass (the chain's
// way): the samples come out as Apply makes them, and the level reads as a
// meter fed the samples before the gain does, whatever the chunks and
// wherever a glide lands (within a chunk, on a block's edge, in a batch).
struct COnePassCase {
    const char* pszName;
    double dblGainDb;
    unsigned nRampMs;
    unsigned nChunk;
};

class GainStageOnePass : public testing::TestWithParam<COnePassCase> {};

TEST_P(GainStageOnePass, MatchesTheMeterAndTheGainApart)
{
    const COnePassCase& test = GetParam();
    std::vector<double> rgNoise = WhiteNoise(0.5, 48000 / 5);
    rgNoise[1234] = NAN;  // left out of the sum either way
    rgNoise[4321] = 1e200;
    CGainStage gainApart, gainTogether;
    CLevelMeter meterApart, meterTogether;
    for (CGainStage* pGain : {&gainApart, &gainTogether}) {
        pGain->Init(1, 48000);
        pGain->SetTarget(0, test.dblGainDb, test.nRampMs);
    }
    meterApart.Init(1, 48000);
    meterTogether.Init(1, 48000);
    std::vector<double> rgApart(rgNoise), rgTogether(rgNoise);
    for (size_t nDone = 0; nDone < rgNoise.size(); nDone += test.nChunk) {
        const unsigned nFrames = static_cast<unsigned>(std::min<size_t>(test.nChunk, rgNoise.size() - nDone));
        meterApart.Add(0, &rgApart[nDone], nFrames);
        gainApart.Apply(0, &rgApart[nDone], nFrames);
        double* pdbl = &rgTogether[nDone];
        const CGainStage::CRun run = gainTogether.Advance(0, nFrames);
        meterTogether.AddSums(
            0, nFrames, [&](unsigned nAt, unsigned nTake) { return CGainStage::SumThenApply(run, pdbl, nAt, nTake); },
            [&](unsigned nAt, unsigned nBlocks, double* pdblSums) {
                CGainStage::BlockSumsThenApply(run, pdbl, nAt, nBlocks, meterTogether.FramesPerBlock(), pdblSums);
            });
        ASSERT_NEAR(meterApart.LevelDb(0), meterTogether.LevelDb(0), 1e-9) << "after " << nDone + nFrames;
    }
    for (size_t i = 0; i < rgNoise.size(); i++) {
        if (std::isnan(rgApart[i]))
            ASSERT_TRUE(std::isnan(rgTogether[i])) << i;
        else
            ASSERT_EQ(rgApart[i], rgTogether[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, GainStageOnePass,
                         testing::Values(COnePassCase{"Unity", 0.0, 0, 480}, COnePassCase{"Step", -12.0, 0, 256},
                                         COnePassCase{"RampInOddChunks", 12.0, 50, 113},
                                         COnePassCase{"RampInChunksOfBatches", -20.0, 30, 4096},
                                         COnePassCase{"RampEndingOnABlockEdge", 6.0, 1, 48}),
                         [](const testing::TestParamInfo<COnePassCase>& info) { return info.param.pszName; });

}  // namespace
