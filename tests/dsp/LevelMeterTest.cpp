#include <gtest/gtest.h>

#include "LevelMeter.h"
#include "Signals.h"

using namespace quelmar;
using namespace quelmar_test;

namespace {

double MeasureDb(const std::vector<double>& rgSamples, unsigned nRate)
{
    CLevelMeter meter;
    meter.Init(1, nRate);
    // Odd pieces: block boundaries must not matter.
    for (size_t i = 0; i < rgSamples.size(); i += 113)
        meter.Add(0, rgSamples.data() + i, static_cast<unsigned>(std::min<size_t>(113, rgSamples.size() - i)));
    return meter.LevelDb(0);
}

struct CSineCase {
    double dblLevelDb;
    double dblHz;
    unsigned nRate;
};

class LevelMeterSine : public testing::TestWithParam<CSineCase> {};

TEST_P(LevelMeterSine, ReadsTheSineLevelWithin005Db)
{
    const CSineCase& sine = GetParam();
    double dblMeasured = MeasureDb(Sine(sine.dblLevelDb, sine.dblHz, sine.nRate, sine.nRate / 5), sine.nRate);
    EXPECT_NEAR(sine.dblLevelDb, dblMeasured, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelMeterSine,
                         testing::Values(CSineCase{0.0, 1000.0, 48000}, CSineCase{-20.0, 1000.0, 48000},
                                         CSineCase{-60.0, 997.0, 44100}, CSineCase{-100.0, 440.0, 96000},
                                         CSineCase{-20.0, 100.0, 8000}, CSineCase{-6.0, 5000.0, 384000}));

TEST(LevelMeter, FullScaleSquareReadsPlus301)
{
    std::vector<double> rgSquare(48000);
    for (size_t i = 0; i < rgSquare.size(); i++)
        rgSquare[i] = (i / 24) % 2 ? 1.0 : -1.0;
    EXPECT_NEAR(3.0103, MeasureDb(rgSquare, 48000), 0.01);
}

TEST(LevelMeter, SilenceReadsTheFloorAndStartsThere)
{
    EXPECT_EQ(-120.0, MeasureDb(std::vector<double>(48000, 0.0), 48000));
    CLevelMeter meter;
    meter.Init(2, 48000);
    EXPECT_EQ(-120.0, meter.LevelDb(1));
}

TEST(LevelMeter, LooksAtTheLast50MsOnly)
{
    std::vector<double> rgSamples = Sine(0.0, 1000.0, 48000, 48000);
    std::vector<double> rgQuiet = Sine(-40.0, 1000.0, 48000, 2400);  // exactly 50 ms
    rgSamples.insert(rgSamples.end(), rgQuiet.begin(), rgQuiet.end());
    EXPECT_NEAR(-40.0, MeasureDb(rgSamples, 48000), 0.05);
}

TEST(LevelMeter, NonFiniteSamplesDoNotPoisonTheLevel)
{
    std::vector<double> rgSamples = Sine(-20.0, 1000.0, 48000, 4800);
    rgSamples[100] = NAN;
    rgSamples[200] = INFINITY;
    double dblLevel = MeasureDb(rgSamples, 48000);
    EXPECT_TRUE(std::isfinite(dblLevel));
    EXPECT_NEAR(-20.0, dblLevel, 0.1);
}

TEST(LevelMeter, SamplesWhoseSquaresOverflowStillReadAFiniteLevel)
{
    // Each square is finite; their sum is not.
    std::vector<double> rgHuge(4800, 1e154);
    double dblLevel = MeasureDb(rgHuge, 48000);
    EXPECT_TRUE(std::isfinite(dblLevel)) << dblLevel;
    EXPECT_GT(dblLevel, 3000.0);
}

// The window's sum is kept running; an overflowing block makes it infinite
// and, as it leaves, NaN. The level must come back as soon as it has left.
TEST(LevelMeter, AnOverflowingBlockStopsCountingAsSoonAsItHasLeft)
{
    std::vector<double> rgSamples(48, 1e154);  // the first 1 ms block: its sum overflows
    std::vector<double> rgSine = Sine(-20.0, 1000.0, 48000, 2400);  // the next 50 blocks push it out
    rgSamples.insert(rgSamples.end(), rgSine.begin(), rgSine.end());
    EXPECT_NEAR(-20.0, MeasureDb(rgSamples, 48000), 0.05);
}

// Once per window (every 50 blocks) the level is the window's sum taken
// afresh, so rounding in the running sum never builds up. Fed a block at a
// time, and 25 blocks at a time (more than one call of whole blocks sums).
TEST(LevelMeter, EveryWholeWindowReadsTheExactSumOfItsBlocks)
{
    constexpr unsigned nBlock = 48, nWindow = CLevelMeter::c_nWindowMs;
    std::vector<double> rgNoise = WhiteNoise(0.7, nBlock * nWindow * 6);
    for (unsigned nBlocksPerAdd : {1u, 25u}) {
        CLevelMeter meter;
        meter.Init(1, 48000);
        std::vector<double> rgBlockEnergies;
        for (size_t nDone = 0; nDone < rgNoise.size(); nDone += nBlock * nBlocksPerAdd) {
            meter.Add(0, &rgNoise[nDone], nBlock * nBlocksPerAdd);
            for (unsigned b = 0; b < nBlocksPerAdd; b++)
                rgBlockEnergies.push_back(SumOfSquares(&rgNoise[nDone + b * nBlock], nBlock));
            if (rgBlockEnergies.size() % nWindow != 0)
                continue;
            double dblEnergy = 0.0;
            for (size_t b = rgBlockEnergies.size() - nWindow; b < rgBlockEnergies.size(); b++)
                dblEnergy += rgBlockEnergies[b];
            EXPECT_EQ(MeanSquareToDb(dblEnergy * (1.0 / (nBlock * nWindow))), meter.LevelDb(0))
                << rgBlockEnergies.size() << " blocks, " << nBlocksPerAdd << " per call";
        }
    }
}

TEST(LevelMeter, ChannelsAreIndependent)
{
    CLevelMeter meter;
    meter.Init(2, 48000);
    std::vector<double> rgLoud = Sine(-6.0, 1000.0, 48000, 4800);
    std::vector<double> rgQuiet = Sine(-30.0, 1000.0, 48000, 4800);
    meter.Add(0, rgLoud.data(), 4800);
    meter.Add(1, rgQuiet.data(), 4800);
    EXPECT_NEAR(-6.0, meter.LevelDb(0), 0.05);
    EXPECT_NEAR(-30.0, meter.LevelDb(1), 0.05);
    meter.Reset();
    EXPECT_EQ(-120.0, meter.LevelDb(0));
}

}  // namespace
