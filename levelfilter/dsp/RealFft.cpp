#include "RealFft.h"

#include <cmath>

namespace quelmar {

namespace {

constexpr double c_dblPi = 3.14159265358979323846;

}  // namespace

CRealFft::CRealFft(unsigned nOrder) : m_nSize(1u << nOrder), m_nHalf(m_nSize / 2)
{
    m_rgBitReverse.resize(m_nHalf);
    unsigned nBits = nOrder - 1;
    for (unsigned i = 0; i < m_nHalf; i++) {
        unsigned nReversed = 0;
        for (unsigned b = 0; b < nBits; b++)
            nReversed |= ((i >> b) & 1u) << (nBits - 1 - b);
        m_rgBitReverse[i] = nReversed;
    }
    for (unsigned nLength = 2; nLength <= m_nHalf; nLength *= 2) {
        for (unsigned j = 0; j < nLength / 2; j++) {
            double dblAngle = -2.0 * c_dblPi * j / nLength;
            m_rgTwiddleRe.push_back(std::cos(dblAngle));
            m_rgTwiddleIm.push_back(std::sin(dblAngle));
        }
    }
    m_rgSplitRe.resize(m_nHalf);
    m_rgSplitIm.resize(m_nHalf);
    for (unsigned k = 0; k < m_nHalf; k++) {
        m_rgSplitRe[k] = std::cos(-2.0 * c_dblPi * k / m_nSize);
        m_rgSplitIm[k] = std::sin(-2.0 * c_dblPi * k / m_nSize);
    }
    m_rgWorkRe.resize(m_nHalf);
    m_rgWorkIm.resize(m_nHalf);
}

void CRealFft::ComplexForward(double* pdblRe, double* pdblIm) const
{
    const double* pdblTwRe = m_rgTwiddleRe.data();
    const double* pdblTwIm = m_rgTwiddleIm.data();
    for (unsigned nLength = 2; nLength <= m_nHalf; nLength *= 2) {
        unsigned nHalfLength = nLength / 2;
        for (unsigned nStart = 0; nStart < m_nHalf; nStart += nLength) {
            double* pdblRe0 = pdblRe + nStart;
            double* pdblIm0 = pdblIm + nStart;
            double* pdblRe1 = pdblRe0 + nHalfLength;
            double* pdblIm1 = pdblIm0 + nHalfLength;
            for (unsigned j = 0; j < nHalfLength; j++) {
                double dblRe = pdblRe1[j] * pdblTwRe[j] - pdblIm1[j] * pdblTwIm[j];
                double dblIm = pdblRe1[j] * pdblTwIm[j] + pdblIm1[j] * pdblTwRe[j];
                pdblRe1[j] = pdblRe0[j] - dblRe;
                pdblIm1[j] = pdblIm0[j] - dblIm;
                pdblRe0[j] += dblRe;
                pdblIm0[j] += dblIm;
            }
        }
        pdblTwRe += nHalfLength;
        pdblTwIm += nHalfLength;
    }
}

void CRealFft::Forward(const double* pdblIn, double* pdblRe, double* pdblIm)
{
    double* pdblZRe = m_rgWorkRe.data();
    double* pdblZIm = m_rgWorkIm.data();
    for (unsigned i = 0; i < m_nHalf; i++) {
        unsigned r = m_rgBitReverse[i];
        pdblZRe[r] = pdblIn[2 * i];
        pdblZIm[r] = pdblIn[2 * i + 1];
    }
    ComplexForward(pdblZRe, pdblZIm);
    // X[k] = E[k] + e^(-2 pi i k/N) O[k], with E and O the spectra of the even
    // and odd samples recovered from Z[k] and conj(Z[N/2 - k]).
    pdblRe[0] = pdblZRe[0] + pdblZIm[0];
    pdblIm[0] = 0.0;
    pdblRe[m_nHalf] = pdblZRe[0] - pdblZIm[0];
    pdblIm[m_nHalf] = 0.0;
    for (unsigned k = 1; k < m_nHalf; k++) {
        unsigned m = m_nHalf - k;
        double dblERe = 0.5 * (pdblZRe[k] + pdblZRe[m]);
        double dblEIm = 0.5 * (pdblZIm[k] - pdblZIm[m]);
        double dblORe = 0.5 * (pdblZIm[k] + pdblZIm[m]);
        double dblOIm = -0.5 * (pdblZRe[k] - pdblZRe[m]);
        pdblRe[k] = dblERe + m_rgSplitRe[k] * dblORe - m_rgSplitIm[k] * dblOIm;
        pdblIm[k] = dblEIm + m_rgSplitRe[k] * dblOIm + m_rgSplitIm[k] * dblORe;
    }
}

}  // namespace quelmar
