#include <gtest/gtest.h>

#include "Decibels.h"
#include "GainStage.h"

using namespace quelmar;

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

}  // namespace
