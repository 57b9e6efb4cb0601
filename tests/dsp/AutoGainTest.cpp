#include <gtest/gtest.h>

#include "AutoGain.h"
#include "Decibels.h"
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

struct CTransitionCase {
    const char* pszName;
    double dblFromDb, dblToDb;  // the gain setting before and after, mid-stream
};

class AutoGainTransition : public testing::TestWithParam<CTransitionCase> {};

// A change of the gain setting on a loud constant (the output is the applied
// gain itself) glides: no sample steps, the first 32-frame block moves the
// gain by less than 2 dB, and it lands on the new setting's attenuation; off,
// at unity exactly, so samples pass untouched again. Every case first
// attenuates fully for 2 s, so an envelope kept from then is loud.
TEST_P(AutoGainTransition, GlidesToTheNewSetting)
{
    const CTransitionCase& c = GetParam();
    CAutoGain autoGain;
    autoGain.Init(1, 48000);
    std::vector<double> rg(480000, 0.5);  // -6 dB: far above the threshold
    autoGain.Set(0, {-40.0, -20.0});
    autoGain.Apply(0, rg.data(), 96000);
    autoGain.Set(0, {-40.0, c.dblFromDb});
    autoGain.Apply(0, rg.data() + 96000, 384000);
    double dblBeforeDb = autoGain.AppliedDb(0);
    ASSERT_NEAR(c.dblFromDb, dblBeforeDb, 0.01);
    autoGain.Set(0, {-40.0, c.dblToDb});
    std::vector<double> rgChange(480000, 0.5);  // 10 s more
    autoGain.Apply(0, rgChange.data(), CAutoGain::c_nBlockFrames);
    EXPECT_LT(std::fabs(autoGain.AppliedDb(0) - dblBeforeDb), 2.0);
    autoGain.Apply(0, rgChange.data() + CAutoGain::c_nBlockFrames,
                   static_cast<unsigned>(rgChange.size()) - CAutoGain::c_nBlockFrames);
    double dblPrevious = 0.5 * DbToGain(dblBeforeDb);
    for (size_t i = 0; i < rgChange.size(); i++) {
        ASSERT_LT(std::fabs(rgChange[i] - dblPrevious), 0.003) << i;
        dblPrevious = rgChange[i];
    }
    EXPECT_NEAR(c.dblToDb, autoGain.AppliedDb(0), 0.01);
    if (c.dblToDb == 0.0) {
        EXPECT_EQ(0.0, autoGain.AppliedDb(0));
        double dblSample = 0.3;
        autoGain.Apply(0, &dblSample, 1);
        EXPECT_EQ(0.3, dblSample);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AutoGainTransition,
    testing::Values(CTransitionCase{"TurnedOff", -20.0, 0.0}, CTransitionCase{"RangeNarrowed", -20.0, -5.0},
                    CTransitionCase{"RangeWidened", -5.0, -20.0}, CTransitionCase{"TurnedOnAgain", 0.0, -20.0}),
    [](const testing::TestParamInfo<CTransitionCase>& info) { return info.param.pszName; });

}  // namespace
