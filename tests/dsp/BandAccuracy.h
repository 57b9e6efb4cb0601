// Measures how the spectrum's bands read sines at their centres and white
// noise, for one setting (window, order, bands per octave, sample rate).
// Shared by the band tests and the tool that prints the worst cases.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "Signals.h"
#include "SpectrumAnalyzer.h"

namespace quelmar_test {

const char* const g_rgszWindowNames[] = {"Uniform", "Bartlett", "Blackman", "Hamming", "Hann"};
const unsigned g_rgnBandsPerOctave[] = {1, 2, 3, 6};
const unsigned g_rgnRates[] = {44100, 48000, 96000};

struct CBandSetting {
    quelmar::CSpectrumAnalyzer::CSettings settings;
    unsigned nRate;

    unsigned Bands() const { return quelmar::CSpectrumAnalyzer::c_nOctaves * settings.nBandsPerOctave; }
    unsigned Size() const { return 1u << settings.nOrder; }
    double BinHz() const { return static_cast<double>(nRate) / Size(); }
    double CentreHz(unsigned nBand) const { return quelmar::CBandLayout::CentreHz(nBand, settings.nBandsPerOctave); }
    bool IsBelowNyquist(unsigned nBand) const { return CentreHz(nBand) < nRate / 2.0; }
    // The band's width inside 0 .. Nyquist, in bins.
    double WidthInBins(unsigned nBand) const
    {
        double dblHalfWidth = std::pow(2.0, 1.0 / (2.0 * settings.nBandsPerOctave));
        double dblHigh = std::fmin(CentreHz(nBand) * dblHalfWidth, nRate / 2.0);
        return std::fmax(0.0, dblHigh - CentreHz(nBand) / dblHalfWidth) / BinHz();
    }
    std::string Name() const
    {
        return std::string(g_rgszWindowNames[static_cast<unsigned>(settings.eWindow)]) + " order " +
               std::to_string(settings.nOrder) + ", " + std::to_string(settings.nBandsPerOctave) + " per octave, " +
               std::to_string(nRate) + " Hz";
    }
};

// Every setting: windows x orders x bands per octave x rates.
inline std::vector<CBandSetting> AllBandSettings()
{
    std::vector<CBandSetting> rgSettings;
    for (unsigned nRate : g_rgnRates)
        for (unsigned nOrder = quelmar::CSpectrumAnalyzer::c_nMinOrder; nOrder <= quelmar::CSpectrumAnalyzer::c_nMaxOrder; nOrder++)
            for (unsigned nBandsPerOctave : g_rgnBandsPerOctave)
                for (unsigned nWindow = 0; nWindow < quelmar::c_nWindowTypes; nWindow++)
                    rgSettings.push_back({{nBandsPerOctave, static_cast<quelmar::WindowType>(nWindow), nOrder}, nRate});
    return rgSettings;
}

// Feeds rgBlock (exactly one FFT's worth, or more) and returns all bands.
inline std::vector<double> BandsOf(quelmar::CSpectrumAnalyzer& analyzer, const CBandSetting& setting,
                                   const std::vector<double>& rgBlock)
{
    analyzer.Append(0, rgBlock.data(), static_cast<unsigned>(rgBlock.size()));
    analyzer.Publish(static_cast<unsigned>(rgBlock.size()));
    std::vector<double> rgBands(setting.Bands(), 99.0);
    unsigned nFilled = 0;
    if (!analyzer.Compute(0, setting.Bands(), &nFilled, rgBands.data()) || nFilled != setting.Bands())
        rgBands.assign(setting.Bands(), 99.0);  // reads as a failure in every band
    return rgBands;
}

struct CToneReading {
    double dblOwnDb;      // the band's reading of a full-scale sine at its centre
    unsigned nTallest;    // the band with the tallest bar for that sine
};

// For each band below Nyquist (others: dblOwnDb NaN), a full-scale sine at
// its centre with the given starting phase.
inline std::vector<CToneReading> ToneReadings(const CBandSetting& setting, double dblPhase)
{
    quelmar::CSpectrumAnalyzer analyzer;
    analyzer.Init(1, setting.nRate);
    analyzer.SetSettings(setting.settings);
    std::vector<CToneReading> rgReadings(setting.Bands(), CToneReading{std::nan(""), 0});
    for (unsigned i = 0; i < setting.Bands() && setting.IsBelowNyquist(i); i++) {
        std::vector<double> rgBands =
            BandsOf(analyzer, setting, Sine(0.0, setting.CentreHz(i), setting.nRate, setting.Size(), dblPhase));
        unsigned nTallest = 0;
        for (unsigned k = 1; k < rgBands.size(); k++)
            if (rgBands[k] > rgBands[nTallest])
                nTallest = k;
        rgReadings[i] = {rgBands[i], nTallest};
    }
    return rgReadings;
}

// For each band at least nMinBins wide (others NaN): its mean reading of
// white noise over nBlocks blocks, minus its bandwidth's share of the
// noise's power (dB).
inline std::vector<double> NoiseErrors(const CBandSetting& setting, unsigned nBlocks, double dblMinBins)
{
    quelmar::CSpectrumAnalyzer analyzer;
    analyzer.Init(1, setting.nRate);
    analyzer.SetSettings(setting.settings);
    std::vector<double> rgSum(setting.Bands(), 0.0);
    double dblNoiseRatio = 0.0;
    for (unsigned b = 0; b < nBlocks; b++) {
        std::vector<double> rgNoise = WhiteNoise(0.5, setting.Size(), 1000 + b);
        std::vector<double> rgBands = BandsOf(analyzer, setting, rgNoise);
        for (unsigned i = 0; i < rgBands.size(); i++)
            rgSum[i] += std::pow(10.0, rgBands[i] / 10.0) / nBlocks;
        dblNoiseRatio += std::pow(10.0, MeanSquareDb(rgNoise) / 10.0) / nBlocks;
    }
    std::vector<double> rgErrors(setting.Bands(), std::nan(""));
    for (unsigned i = 0; i < rgErrors.size(); i++) {
        double dblShare = setting.WidthInBins(i) / (setting.Size() / 2.0);
        if (setting.WidthInBins(i) >= dblMinBins)
            rgErrors[i] = 10.0 * std::log10(rgSum[i] / (dblNoiseRatio * dblShare));
    }
    return rgErrors;
}

}  // namespace quelmar_test
