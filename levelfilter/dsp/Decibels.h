// Level arithmetic. Levels are dB relative to a full-scale sine (AES17): a
// full-scale sine reads 0 dB, a full-scale square +3.01 dB; -120 dB is the
// floor that digital silence reads.
#pragma once

#include <cmath>

namespace quelmar {

constexpr double c_dblFloorDb = -120.0;

// Level of a mean square (full scale = 1.0 sample value).
inline double MeanSquareToDb(double dblMeanSquare)
{
    double dblRatio = 2.0 * dblMeanSquare;  // a full-scale sine has mean square 1/2
    if (!(dblRatio > 1e-12))
        return c_dblFloorDb;
    return 10.0 * std::log10(dblRatio);
}

inline double DbToGain(double dblDb)
{
    return std::pow(10.0, dblDb / 20.0);
}

}  // namespace quelmar
