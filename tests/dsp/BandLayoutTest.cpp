#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "BandAccuracy.h"

using namespace quelmar;
using namespace quelmar_test;

namespace {

std::string SettingName(const testing::TestParamInfo<CBandSetting>& info)
{
    std::string sz = info.param.Name();
    for (char& ch : sz)
        if (!isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return sz;
}

std::string BandName(const CBandSetting& setting, unsigned nBand)
{
    return "band " + std::to_string(nBand) + " (" + std::to_string(setting.CentreHz(nBand)) + " Hz, " +
           std::to_string(setting.WidthInBins(nBand)) + " bins wide)";
}

class BandTones : public testing::TestWithParam<CBandSetting> {};

// A full-scale sine at a band's centre: 0 dB within 0.5 dB where the band
// spans at least four bins, within 3 dB where it is narrower, never the floor.
void ExpectEveryBandReadsASineAtItsCentre(const CBandSetting& setting, double dblPhase)
{
    std::vector<CToneReading> rgReadings = ToneReadings(setting, dblPhase);
    for (unsigned i = 0; i < setting.Bands(); i++) {
        if (!setting.IsBelowNyquist(i))
            continue;
        double dblTolerance = setting.WidthInBins(i) >= CBandLayout::c_dblMinPowerBins ? 0.5 : 3.0;
        EXPECT_NEAR(0.0, rgReadings[i].dblOwnDb, dblTolerance) << BandName(setting, i) << ", starting phase " << dblPhase;
    }
}

TEST_P(BandTones, EveryBandBelowNyquistReadsASineAtItsCentre)
{
    ExpectEveryBandReadsASineAtItsCentre(GetParam(), 0.0);
}

INSTANTIATE_TEST_SUITE_P(AllSettings, BandTones, testing::ValuesIn(AllBandSettings()), SettingName);

// The tone's phase against the block: where its mirror image below 0 Hz
// lies closest (bands far narrower than a bin) and where the window leaks
// most (Uniform).
TEST(BandLayout, ReadingsHoldForEveryStartingPhase)
{
    for (WindowType eWindow : {WindowType::Uniform, WindowType::Hann})
        for (unsigned nPhase = 1; nPhase < 8; nPhase++) {
            ExpectEveryBandReadsASineAtItsCentre({{6, eWindow, 10}, 96000}, nPhase * c_dblPi / 8);
            ExpectEveryBandReadsASineAtItsCentre({{3, eWindow, 12}, 44100}, nPhase * c_dblPi / 8);
        }
}

// Windows x bands per octave at order 12 and every rate, and at orders 10
// and 13 at 48 kHz (a band's scatter depends on its bins, not the order).
std::vector<CBandSetting> NoiseSettings()
{
    std::vector<CBandSetting> rgSettings;
    for (const CBandSetting& setting : AllBandSettings())
        if (setting.settings.nOrder == 12 ||
            (setting.nRate == 48000 && (setting.settings.nOrder == 10 || setting.settings.nOrder == 13)))
            rgSettings.push_back(setting);
    return rgSettings;
}

class BandNoise : public testing::TestWithParam<CBandSetting> {};

// The mean of 128 blocks, so that a four-bin band's estimate scatters by
// about 0.25 dB.
TEST_P(BandNoise, EveryBandFourBinsWideReadsItsShareOfWhiteNoise)
{
    const CBandSetting& setting = GetParam();
    std::vector<double> rgErrors = NoiseErrors(setting, 128, CBandLayout::c_dblMinPowerBins);
    unsigned nChecked = 0;
    for (unsigned i = 0; i < rgErrors.size(); i++) {
        if (std::isnan(rgErrors[i]))
            continue;
        EXPECT_NEAR(0.0, rgErrors[i], 1.0) << BandName(setting, i);
        nChecked++;
    }
    EXPECT_GE(nChecked, setting.Bands() / 3);
}

INSTANTIATE_TEST_SUITE_P(Settings, BandNoise, testing::ValuesIn(NoiseSettings()), SettingName);

TEST(BandLayout, AToneAtTheDefaultsHasItsTallestBarInItsOwnBand)
{
    CBandSetting setting{{3, WindowType::Hann, 12}, 48000};
    std::vector<CToneReading> rgReadings = ToneReadings(setting, 0.0);
    EXPECT_NEAR(31.25, setting.CentreHz(3), 1e-9);
    EXPECT_EQ(3u, rgReadings[3].nTallest);
    for (unsigned i = 0; i < setting.Bands() && setting.IsBelowNyquist(i); i++)
        EXPECT_EQ(i, rgReadings[i].nTallest) << BandName(setting, i);
}

TEST(BandLayout, NarrowBandsReadTheirCentreWideBandsTheirBins)
{
    CBandLayout layout;
    std::vector<double> rgWindow(4096);
    FillWindow(WindowType::Hann, 4096, rgWindow.data());
    layout.Prepare(3, 12, 48000, rgWindow.data());
    EXPECT_EQ(33u, layout.Bands());
    // 11.7 Hz bins: 198 Hz is 3.9 bins wide, 250 Hz 4.9.
    for (unsigned i = 0; i < 33; i++)
        EXPECT_EQ(i <= 11, layout.IsFitted(i)) << i;
}

}  // namespace
