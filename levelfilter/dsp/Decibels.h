// Level arithmetic. Levels are dB relative to a full-scale sine (AES17): a
// full-scale sine reads 0 dB, a full-scale square +3.01 dB; -120 dB is the
// floor that digital silence reads.
#pragma once

#include <cmath>
#include <limits>

namespace quelmar {

constexpr double c_dblFloorDb = -120.0;

// A power ratio in dB: the floor for silence (and NaN); a ratio beyond the
// largest double (float64 samples far above full scale add up to infinity)
// reads as that largest double, so every level stays a finite number.
inline double PowerRatioToDb(double dblRatio)
{
    if (!(dblRatio > 1e-12))
        return c_dblFloorDb;
    return 10.0 * std::log10(std::fmin(dblRatio, std::numeric_limits<double>::max()));
}

// Level of a mean square (full scale = 1.0 sample value).
inline double MeanSquareToDb(double dblMeanSquare)
{
    return PowerRatioToDb(2.0 * dblMeanSquare);  // a full-scale sine has mean square 1/2
}

inline double DbToGain(double dblDb)
{
    return std::pow(10.0, dblDb / 20.0);
}

}  // namespace quelmar
