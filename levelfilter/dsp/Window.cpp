#include "Window.h"

#include <cmath>

namespace quelmar {

namespace {

constexpr double c_dblPi = 3.14159265358979323846;

double WindowValue(WindowType eType, unsigned n, unsigned nSize)
{
    double dblPhase = 2.0 * c_dblPi * n / nSize;
    switch (eType) {
    case WindowType::Uniform: return 1.0;
    case WindowType::Bartlett: return 1.0 - std::fabs(2.0 * n / nSize - 1.0);
    case WindowType::Blackman: return 0.42 - 0.5 * std::cos(dblPhase) + 0.08 * std::cos(2.0 * dblPhase);
    case WindowType::Hamming: return 0.54 - 0.46 * std::cos(dblPhase);
    case WindowType::Hann: return 0.5 - 0.5 * std::cos(dblPhase);
    }
    return 1.0;
}

}  // namespace

double FillWindow(WindowType eType, unsigned nSize, double* pdblWindow)
{
    double dblSumOfSquares = 0.0;
    for (unsigned n = 0; n < nSize; n++) {
        pdblWindow[n] = WindowValue(eType, n, nSize);
        dblSumOfSquares += pdblWindow[n] * pdblWindow[n];
    }
    return dblSumOfSquares;
}

}  // namespace quelmar
