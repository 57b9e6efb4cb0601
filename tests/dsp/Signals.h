// Test signals for the level filter's core.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "Decibels.h"

namespace quelmar_test {

constexpr double c_dblPi = 3.14159265358979323846;

// A sine whose peak is dblLevelDb relative to full scale.
inline std::vector<double> Sine(double dblLevelDb, double dblHz, unsigned nRate, size_t nFrames,
                                double dblPhase = 0.0)
{
    std::vector<double> rgSamples(nFrames);
    double dblAmplitude = quelmar::DbToGain(dblLevelDb);
    for (size_t i = 0; i < nFrames; i++)
        rgSamples[i] = dblAmplitude * std::sin(2.0 * c_dblPi * dblHz * i / nRate + dblPhase);
    return rgSamples;
}

inline std::vector<double> WhiteNoise(double dblAmplitude, size_t nFrames, unsigned nSeed = 1)
{
    std::mt19937 generator(nSeed);
    std::uniform_real_distribution<double> distribution(-dblAmplitude, dblAmplitude);
    std::vector<double> rgSamples(nFrames);
    for (double& dbl : rgSamples)
        dbl = distribution(generator);
    return rgSamples;
}

inline double MeanSquareDb(const std::vector<double>& rgSamples, size_t nFirst = 0)
{
    double dblSum = 0.0;
    for (size_t i = nFirst; i < rgSamples.size(); i++)
        dblSum += rgSamples[i] * rgSamples[i];
    return quelmar::MeanSquareToDb(dblSum / (rgSamples.size() - nFirst));
}

// Interleaves per-channel signals into one buffer of doubles.
inline std::vector<double> Interleave(const std::vector<std::vector<double>>& rgChannels)
{
    size_t nFrames = rgChannels[0].size();
    std::vector<double> rgInterleaved(nFrames * rgChannels.size());
    for (size_t f = 0; f < nFrames; f++)
        for (size_t c = 0; c < rgChannels.size(); c++)
            rgInterleaved[f * rgChannels.size() + c] = rgChannels[c][f];
    return rgInterleaved;
}

}  // namespace quelmar_test
