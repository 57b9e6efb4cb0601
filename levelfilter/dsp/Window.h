// Analysis windows (periodic forms, for spectra).
#pragma once

namespace quelmar {

enum class WindowType : unsigned {
    Uniform = 0,
    Bartlett = 1,
    Blackman = 2,
    Hamming = 3,
    Hann = 4,
};

constexpr unsigned c_nWindowTypes = 5;

// Fills pdblWindow with nSize values; returns the sum of their squares.
double FillWindow(WindowType eType, unsigned nSize, double* pdblWindow);

}  // namespace quelmar
