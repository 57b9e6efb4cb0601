#include "BandLayout.h"

#include <cmath>

#include "Decibels.h"
#include "SampleKernels.h"

namespace quelmar {

namespace {

constexpr unsigned c_nLanes = 4;
constexpr unsigned c_nFitBlock = 64;  // samples per block of a fitted band's projections (sizes from 2^10)

// Calls f(lane, n, cos(w t), sin(w t)) for n = 0 .. nSize - 1 (a multiple of
// c_nLanes) with t = n - nSize/2: centred, so that cos and sin are nearly
// orthogonal under a symmetric window even for a band far below one bin.
// Each lane rotates its own unit phasor over every c_nLanes-th sample, so
// the lanes' chains (and the callers' sums per lane) overlap in the CPU.
template <typename F>
void ForEachPhase(double dblOmega, unsigned nSize, F f)
{
    double rgdblCos[c_nLanes], rgdblSin[c_nLanes];
    for (unsigned l = 0; l < c_nLanes; l++) {
        double dblStart = dblOmega * (static_cast<double>(l) - nSize / 2);
        rgdblCos[l] = std::cos(dblStart);
        rgdblSin[l] = std::sin(dblStart);
    }
    double dblStepCos = std::cos(c_nLanes * dblOmega), dblStepSin = std::sin(c_nLanes * dblOmega);
    for (unsigned n = 0; n < nSize; n += c_nLanes)
        for (unsigned l = 0; l < c_nLanes; l++) {
            f(l, n + l, rgdblCos[l], rgdblSin[l]);
            double dblNextCos = rgdblCos[l] * dblStepCos - rgdblSin[l] * dblStepSin;
            rgdblSin[l] = rgdblSin[l] * dblStepCos + rgdblCos[l] * dblStepSin;
            rgdblCos[l] = dblNextCos;
        }
}

double Sum(const double* pdblLanes)
{
    double dblSum = 0.0;
    for (unsigned l = 0; l < c_nLanes; l++)
        dblSum += pdblLanes[l];
    return dblSum;
}

double RatioToDb(double dblRatio)
{
    return dblRatio > 1e-12 ? 10.0 * std::log10(dblRatio) : c_dblFloorDb;
}

}  // namespace

double CBandLayout::CentreHz(unsigned nBand, unsigned nBandsPerOctave)
{
    return 1000.0 * std::pow(2.0, static_cast<double>(nBand) / nBandsPerOctave - 6.0);
}

double CBandLayout::WidthHz(unsigned nBand, unsigned nBandsPerOctave)
{
    double dblHalfWidth = std::pow(2.0, 1.0 / (2.0 * nBandsPerOctave));
    return CentreHz(nBand, nBandsPerOctave) * (dblHalfWidth - 1.0 / dblHalfWidth);
}

void CBandLayout::Prepare(unsigned nBandsPerOctave, unsigned nOrder, unsigned nSampleRate, const double* pdblWindow)
{
    m_nSize = 1u << nOrder;
    m_nBands = c_nOctaves * nBandsPerOctave;
    m_rgdblPhases.clear();
    double dblSumOfSquares = 0.0;
    for (unsigned n = 0; n < m_nSize; n++)
        dblSumOfSquares += pdblWindow[n] * pdblWindow[n];
    m_dblReferencePower = m_nSize * dblSumOfSquares / 4.0;
    double dblBinHz = static_cast<double>(nSampleRate) / m_nSize;
    double dblHalfWidth = std::pow(2.0, 1.0 / (2.0 * nBandsPerOctave));
    for (unsigned i = 0; i < m_nBands; i++) {
        double dblCentreBin = CentreHz(i, nBandsPerOctave) / dblBinHz;
        bool bNarrow = WidthHz(i, nBandsPerOctave) / dblBinHz < c_dblMinPowerBins;
        // Narrow bands lie far below Nyquist (below 1/29 of the rate, even
        // 6 per octave at order 10), where the fit is well conditioned.
        m_rgBands[i] = bNarrow && dblCentreBin < m_nSize / 2
                           ? FittedBand(2.0 * 3.14159265358979323846 * dblCentreBin / m_nSize, pdblWindow)
                           : PowerBand(dblCentreBin / dblHalfWidth, dblCentreBin * dblHalfWidth);
    }
}

CBandLayout::CBand CBandLayout::PowerBand(double dblLowBin, double dblHighBin) const
{
    CBand band = {};
    double dblHigh = std::fmin(dblHighBin, m_nSize / 2.0);
    if (dblLowBin >= dblHigh) {
        band.nFirst = 1;  // above Nyquist: no bin
        return band;
    }
    band.nFirst = static_cast<unsigned>(std::floor(dblLowBin + 0.5));
    band.nLast = static_cast<unsigned>(std::floor(dblHigh + 0.5));
    if (band.nLast > m_nSize / 2)
        band.nLast = m_nSize / 2;
    auto Overlap = [&](unsigned k) {
        return std::fmin(dblHigh, k + 0.5) - std::fmax(dblLowBin, k - 0.5);
    };
    band.dblFirstWeight = Overlap(band.nFirst);
    band.dblLastWeight = Overlap(band.nLast);
    return band;
}

CBandLayout::CBand CBandLayout::FittedBand(double dblOmega, const double* pdblWindow)
{
    // Normal matrix of the weighted least-squares fit of a cos(wt) + b sin(wt).
    double rgdblCc[c_nLanes] = {}, rgdblSs[c_nLanes] = {}, rgdblCs[c_nLanes] = {};
    ForEachPhase(dblOmega, m_nSize, [&](unsigned l, unsigned n, double dblCos, double dblSin) {
        rgdblCc[l] += pdblWindow[n] * dblCos * dblCos;
        rgdblSs[l] += pdblWindow[n] * dblSin * dblSin;
        rgdblCs[l] += pdblWindow[n] * dblCos * dblSin;
    });
    double dblCc = Sum(rgdblCc), dblSs = Sum(rgdblSs), dblCs = Sum(rgdblCs);
    double dblDet = dblCc * dblSs - dblCs * dblCs;
    CBand band = {};
    band.bFitted = true;
    band.dblOmega = dblOmega;
    band.dblInvCc = dblSs / dblDet;
    band.dblInvSs = dblCc / dblDet;
    band.dblInvCs = -dblCs / dblDet;
    band.nPhases = m_rgdblPhases.size();
    AppendPhases(dblOmega);
    return band;
}

void CBandLayout::AppendPhases(double dblOmega)
{
    for (unsigned j = 0; j < c_nFitBlock; j++)
        m_rgdblPhases.push_back(std::cos(dblOmega * j));
    for (unsigned j = 0; j < c_nFitBlock; j++)
        m_rgdblPhases.push_back(std::sin(dblOmega * j));
    double dblFirst = -static_cast<double>(m_nSize / 2);
    for (unsigned n = 0; n < m_nSize; n += c_nFitBlock)
        m_rgdblPhases.push_back(std::cos(dblOmega * (dblFirst + n)));
    for (unsigned n = 0; n < m_nSize; n += c_nFitBlock)
        m_rgdblPhases.push_back(std::sin(dblOmega * (dblFirst + n)));
}

double CBandLayout::PowerRatio(const CBand& band, const double* pdblRe, const double* pdblIm) const
{
    if (band.nFirst > band.nLast)
        return 0.0;
    auto Power = [&](unsigned k) { return pdblRe[k] * pdblRe[k] + pdblIm[k] * pdblIm[k]; };
    if (band.nFirst == band.nLast)
        return band.dblFirstWeight * Power(band.nFirst) / m_dblReferencePower;
    double dblPower = band.dblFirstWeight * Power(band.nFirst) + band.dblLastWeight * Power(band.nLast);
    for (unsigned k = band.nFirst + 1; k < band.nLast; k++)
        dblPower += Power(k);
    return dblPower / m_dblReferencePower;
}

double CBandLayout::FittedRatio(const CBand& band, const double* pdblWindowed) const
{
    // The block is already windowed: these are the fit's weighted projections.
    double dblP = 0.0, dblQ = 0.0;
    SampleKernels().pfnPhaseProjections(pdblWindowed, m_nSize / c_nFitBlock, c_nFitBlock,
                                        m_rgdblPhases.data() + band.nPhases, &dblP, &dblQ);
    double dblA = band.dblInvCc * dblP + band.dblInvCs * dblQ;
    double dblB = band.dblInvCs * dblP + band.dblInvSs * dblQ;
    return dblA * dblA + dblB * dblB;  // the amplitude squared: 1 for a full-scale sine
}

void CBandLayout::Levels(const double* pdblWindowed, const double* pdblRe, const double* pdblIm,
                         double* pdblBands) const
{
    for (unsigned i = 0; i < m_nBands; i++) {
        const CBand& band = m_rgBands[i];
        pdblBands[i] = RatioToDb(band.bFitted ? FittedRatio(band, pdblWindowed) : PowerRatio(band, pdblRe, pdblIm));
    }
}

}  // namespace quelmar
