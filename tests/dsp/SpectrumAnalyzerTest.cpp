#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "Signals.h"
#include "SpectrumAnalyzer.h"

using namespace quelmar;
using namespace quelmar_test;

namespace {

std::vector<double> SpectrumOf(const std::vector<double>& rgSignal, unsigned nRate,
                               CSpectrumAnalyzer::CSettings settings)
{
    CSpectrumAnalyzer analyzer;
    analyzer.Init(1, nRate);
    analyzer.SetSettings(settings);
    analyzer.Append(0, rgSignal.data(), static_cast<unsigned>(rgSignal.size()));
    analyzer.Publish(static_cast<unsigned>(rgSignal.size()));
    unsigned nBands = CSpectrumAnalyzer::c_nOctaves * settings.nBandsPerOctave;
    std::vector<double> rgBands(nBands, 99.0);
    unsigned nFilled = 99;
    EXPECT_TRUE(analyzer.Compute(0, nBands, &nFilled, rgBands.data()));
    EXPECT_EQ(nBands, nFilled);
    return rgBands;
}

const char* const g_rgszWindows[] = {"Uniform", "Bartlett", "Blackman", "Hamming", "Hann"};

class SpectrumTone : public testing::TestWithParam<std::tuple<unsigned, unsigned>> {};

TEST_P(SpectrumTone, FullScale1kHzReadsZeroInThe1kBand)
{
    unsigned nBandsPerOctave = std::get<0>(GetParam());
    WindowType eWindow = static_cast<WindowType>(std::get<1>(GetParam()));
    std::vector<double> rgBands = SpectrumOf(Sine(0.0, 1000.0, 48000, 4096), 48000, {nBandsPerOctave, eWindow, 12});
    unsigned n1k = 6 * nBandsPerOctave;  // the first band of the "1k" octave
    EXPECT_NEAR(1000.0, CSpectrumAnalyzer::BandCentreHz(n1k, nBandsPerOctave), 1e-9);
    EXPECT_NEAR(0.0, rgBands[n1k], 0.5);
    if (eWindow == WindowType::Hann || eWindow == WindowType::Blackman) {
        EXPECT_LT(rgBands[n1k - 2], rgBands[n1k] - 40.0);
        EXPECT_LT(rgBands[n1k + 2], rgBands[n1k] - 40.0);
    }
}

INSTANTIATE_TEST_SUITE_P(BandsAndWindows, SpectrumTone,
                         testing::Combine(testing::Values(1u, 2u, 3u, 6u), testing::Range(0u, 5u)),
                         [](const testing::TestParamInfo<std::tuple<unsigned, unsigned>>& info) {
                             return std::to_string(std::get<0>(info.param)) + "PerOctave" +
                                    g_rgszWindows[std::get<1>(info.param)];
                         });

class SpectrumNoise : public testing::TestWithParam<unsigned> {};

TEST_P(SpectrumNoise, BandPowersAddUpToTheTimeDomainPower)
{
    std::vector<double> rgNoise = WhiteNoise(0.5, 32768, 7);
    WindowType eWindow = static_cast<WindowType>(GetParam());
    std::vector<double> rgBands = SpectrumOf(rgNoise, 48000, {3, eWindow, 15});
    double dblSum = 0.0;
    for (double dblBand : rgBands)
        dblSum += std::pow(10.0, dblBand / 10.0);
    EXPECT_NEAR(MeanSquareDb(rgNoise), 10.0 * std::log10(dblSum), 0.2);
    for (size_t i = 1; i < rgBands.size(); i++)
        EXPECT_GT(rgBands[i], -60.0) << i;  // noise fills every band that holds a bin
}

INSTANTIATE_TEST_SUITE_P(Windows, SpectrumNoise, testing::Range(0u, 5u),
                         [](const testing::TestParamInfo<unsigned>& info) { return g_rgszWindows[info.param]; });

TEST(SpectrumAnalyzer, OnlyBandsAboveNyquistReadTheFloor)
{
    std::vector<double> rgBands = SpectrumOf(WhiteNoise(0.5, 4096), 48000, {3, WindowType::Hann, 12});
    EXPECT_GT(rgBands[0], -60.0);  // 13.9-17.5 Hz, narrower than one 11.7 Hz bin
    rgBands = SpectrumOf(WhiteNoise(0.5, 4096), 8000, {1, WindowType::Hann, 12});
    EXPECT_GT(rgBands[8], -60.0);    // 2.8-5.7 kHz: its bins up to Nyquist
    EXPECT_EQ(-120.0, rgBands[9]);   // 5.7-11.3 kHz: above the 4 kHz Nyquist
    EXPECT_EQ(-120.0, rgBands[10]);
}

TEST(SpectrumAnalyzer, NothingUntilEnoughSamplesHaveArrived)
{
    CSpectrumAnalyzer analyzer;
    analyzer.Init(2, 48000);
    analyzer.SetSettings({3, WindowType::Hann, 12});
    std::vector<double> rg = Sine(0.0, 1000.0, 48000, 4095);
    analyzer.Append(0, rg.data(), 4095);
    analyzer.Append(1, rg.data(), 4095);
    analyzer.Publish(4095);
    std::vector<double> rgBands(33, 7.0);
    unsigned nFilled = 99;
    EXPECT_TRUE(analyzer.Compute(1, 33, &nFilled, rgBands.data()));
    EXPECT_EQ(0u, nFilled);
    analyzer.Append(0, rg.data(), 1);
    analyzer.Append(1, rg.data(), 1);
    analyzer.Publish(1);
    EXPECT_TRUE(analyzer.Compute(1, 33, &nFilled, rgBands.data()));
    EXPECT_EQ(33u, nFilled);
    analyzer.Reset();
    EXPECT_TRUE(analyzer.Compute(1, 33, &nFilled, rgBands.data()));
    EXPECT_EQ(0u, nFilled);
}

TEST(SpectrumAnalyzer, RefusesABandCountOrChannelThatDoesNotFit)
{
    CSpectrumAnalyzer analyzer;
    analyzer.Init(2, 48000);
    analyzer.SetSettings({3, WindowType::Hann, 12});
    std::vector<double> rgBands(66);
    unsigned nFilled = 0;
    EXPECT_FALSE(analyzer.Compute(0, 22, &nFilled, rgBands.data()));
    EXPECT_FALSE(analyzer.Compute(0, 66, &nFilled, rgBands.data()));
    EXPECT_FALSE(analyzer.Compute(2, 33, &nFilled, rgBands.data()));
    analyzer.SetSettings({0, WindowType::Hann, 12});
    EXPECT_FALSE(analyzer.Compute(0, 0, &nFilled, rgBands.data()));
}

TEST(SpectrumAnalyzer, UsesTheMostRecentSamples)
{
    CSpectrumAnalyzer analyzer;
    analyzer.Init(1, 48000);
    analyzer.SetSettings({1, WindowType::Hann, 10});
    // A long 250 Hz tone, then 1024 samples of a 4 kHz tone: only the latter shows.
    std::vector<double> rgOld = Sine(0.0, 250.0, 48000, 100000);
    std::vector<double> rgNew = Sine(0.0, 4000.0, 48000, 1024);
    analyzer.Append(0, rgOld.data(), 100000);
    analyzer.Publish(100000);
    analyzer.Append(0, rgNew.data(), 1024);
    analyzer.Publish(1024);
    std::vector<double> rgBands(11);
    unsigned nFilled = 0;
    ASSERT_TRUE(analyzer.Compute(0, 11, &nFilled, rgBands.data()));
    EXPECT_NEAR(0.0, rgBands[8], 0.5);  // "4k"
    EXPECT_LT(rgBands[4], -60.0);       // "250"
}

// Chunks of odd and even sizes, starting and ending between the two frames
// the history stores together, twice round the ring: the spectrum of the
// last samples, which straddle the ring's end, is the one of the same
// samples appended at once.
TEST(SpectrumAnalyzer, ChunksOfAnySizeKeepEveryFrameInPlace)
{
    const CSpectrumAnalyzer::CSettings settings{3, WindowType::Hann, 12};
    std::vector<double> rgNoise = WhiteNoise(0.5, 2 * CSpectrumAnalyzer::c_nHistoryFrames + 2001);
    CSpectrumAnalyzer analyzer;
    analyzer.Init(2, 48000);
    analyzer.SetSettings(settings);
    const unsigned rgnChunks[] = {1, 2, 3, 7, 480, 1001};
    std::vector<double> rgSilence(1001, 0.0);
    for (size_t nDone = 0, k = 0; nDone < rgNoise.size(); k++) {
        unsigned nChunk = static_cast<unsigned>(std::min<size_t>(rgnChunks[k % 6], rgNoise.size() - nDone));
        analyzer.Append(0, &rgNoise[nDone], nChunk);
        analyzer.Append(1, rgSilence.data(), nChunk);
        analyzer.Publish(nChunk);
        nDone += nChunk;
    }
    std::vector<double> rgLast(rgNoise.end() - 4096, rgNoise.end());
    std::vector<double> rgBands(33);
    unsigned nFilled = 0;
    ASSERT_TRUE(analyzer.Compute(0, 33, &nFilled, rgBands.data()));
    ASSERT_EQ(33u, nFilled);
    EXPECT_EQ(SpectrumOf(rgLast, 48000, settings), rgBands);
}

}  // namespace
