// Forward FFT of a real sequence of N = 2^order samples (order 1 to 16),
// computed as a complex FFT of N/2 points (radix 2, twiddles laid out stage
// by stage) followed by the split into the N/2 + 1 spectrum bins. All tables
// are made by the constructor; Forward allocates nothing.
#pragma once

#include <vector>

namespace quelmar {

class CRealFft {
public:
    explicit CRealFft(unsigned nOrder);

    unsigned Size() const { return m_nSize; }
    // pdblIn: N samples. pdblRe, pdblIm: N/2 + 1 bins each (unnormalised).
    void Forward(const double* pdblIn, double* pdblRe, double* pdblIm);

private:
    void ComplexForward(double* pdblRe, double* pdblIm) const;

    unsigned m_nSize;   // N
    unsigned m_nHalf;   // N/2, the complex transform's size
    std::vector<unsigned> m_rgBitReverse;
    std::vector<double> m_rgTwiddleRe, m_rgTwiddleIm;  // per stage, contiguous
    std::vector<double> m_rgSplitRe, m_rgSplitIm;      // e^(-2 pi i k / N), k < N/2
    std::vector<double> m_rgWorkRe, m_rgWorkIm;
};

}  // namespace quelmar
