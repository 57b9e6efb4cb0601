#include <gtest/gtest.h>

#include "AutoGain.h"
#include "Signals.h"

using namespace quelmar;
using namespace quelmar_test;

namespace {

// Runs a 2 s sine through the auto gain in 480-frame buffers and returns the
// output level over its last 500 ms.
double SettledLevelDb(double dblInputDb, double dblThresholdDb, double dblGainDb)
{
    CAutoGain autoGain;
    autoGain.Init(1, 48000);
    autoGain.Set(0, {dblThresholdDb, dblGainDb});
    std::vector<double> rg = Sine(dblInputDb, 1000.0, 48000, 96000);
    for (size_t i = 0; i < rg.size(); i += 480)
        autoGain.Apply(0, rg.data() + i, 480);
    return MeanSquareDb(rg, 72000);
}

struct CAutoGainCase {
    const char* pszName;
    double dblInputDb, dblThresholdDb, dblGainDb, dblExpectedDb;
};

class AutoGainSettles : public testing::TestWithParam<CAutoGainCase> {};

TEST_P(AutoGainSettles, NearItsThresholdWithinItsRange)
{
    const CAutoGainCase& c = GetParam();
    EXPECT_NEAR(c.dblExpectedDb, SettledLevelDb(c.dblInputDb, c.dblThresholdDb, c.dblGainDb), 0.5);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AutoGainSettles,
    testing::Values(CAutoGainCase{"AboveThreshold", -3.0, -12.0, -20.0, -12.0},
                    CAutoGainCase{"LimitedByGain", -3.0, -12.0, -4.0, -7.0},
                    CAutoGainCase{"BelowThreshold", -15.0, -12.0, -20.0, -15.0},
                    CAutoGainCase{"GainZeroIsOff", -3.0, -20.0, 0.0, -3.0},
                    CAutoGainCase{"ThresholdAtFullScale", 0.0, 0.0, -20.0, 0.0}),
    [](const testing::TestParamInfo<CAutoGainCase>& info) { return info.param.pszName; });

TEST(AutoGain, AttackIsFastAndReleaseSlow)
{
    CAutoGain autoGain;
    autoGain.Init(1, 48000);
    autoGain.Set(0, {-20.0, -20.0});
    std::vector<double> rgLoud = Sine(0.0, 1000.0, 48000, 4800);  // 100 ms
    autoGain.Apply(0, rgLoud.data(), 4800);
    EXPECT_LT(autoGain.AppliedDb(0), -15.0);  // most of the 20 dB within 100 ms
    std::vector<double> rgQuiet = Sine(-40.0, 1000.0, 48000, 4800);
    autoGain.Apply(0, rgQuiet.data(), 4800);
    EXPECT_LT(autoGain.AppliedDb(0), -10.0);  // 100 ms later it is still attenuating
    std::vector<double> rgLong = Sine(-40.0, 1000.0, 48000, 192000);
    autoGain.Apply(0, rgLong.data(), 192000);
    EXPECT_NEAR(0.0, autoGain.AppliedDb(0), 0.01);  // released after 4 s
}

TEST(AutoGain, GainNeverSteps)
{
    CAutoGain autoGain;
    autoGain.Init(1, 48000);
    autoGain.Set(0, {-20.0, -20.0});
    std::vector<double> rg(48000, 0.5);  // a loud constant: output is the gain itself
    autoGain.Apply(0, rg.data(), 48000);
    for (size_t i = 1; i < rg.size(); i++)
        ASSERT_LT(std::fabs(rg[i] - rg[i - 1]), 0.01) << i;
}

}  // namespace
