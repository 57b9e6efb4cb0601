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
