// The spectrum's bands as the dialog shows them: 11 octaves of n bands, band
// i centred on 1000 * 2^(i/n - 6) Hz, so that each octave's first band sits
// on its label ("16" ... "16k").
#pragma once

#include <cmath>

constexpr int c_nOctaves = 11;

inline double BandCentreHz(int iBand, unsigned nBandsPerOctave)
{
    return 1000.0 * std::pow(2.0, static_cast<double>(iBand) / nBandsPerOctave - 6.0);
}

// The band whose edges (centre * 2^(+-1/(2n))) hold dblHz; -1 outside them all.
inline int BandOfFrequency(double dblHz, unsigned nBandsPerOctave)
{
    if (dblHz <= 0.0 || nBandsPerOctave == 0)
        return -1;
    double dblIndex = std::floor(nBandsPerOctave * (std::log2(dblHz / 1000.0) + 6.0) + 0.5);
    if (dblIndex < 0.0 || dblIndex >= c_nOctaves * static_cast<double>(nBandsPerOctave))
        return -1;
    return static_cast<int>(dblIndex);
}
