// Lays 11 octaves of 1, 2, 3 or 6 bands over the bins of a 2^order real FFT
// and computes each band's level from a windowed block and its spectrum, in
// dB relative to a full-scale sine.
//
// Band i (n bands per octave) has centre 1000 * 2^(i/n - 6) Hz and edges at
// centre * 2^(+-1/(2n)). Bin k stands for the frequencies within half a bin
// of k * binHz (bin 0 and bin N/2 for the half inside 0 .. Nyquist).
// - A band at least c_dblMinPowerBins bins wide, or centred at or above
//   Nyquist, reads the power of the bins it covers, each weighted by the part
//   of the bin inside the band: adjacent bands share their edge bins, white
//   noise reads its bandwidth's share, and a sine at the centre loses only
//   what the window leaks beyond the band. A band wholly above Nyquist
//   reads -120 dB.
// - A narrower band is smaller than what its bins can resolve. It reads the
//   amplitude of its centre frequency fitted (least squares, weighted by the
//   window) to the block: the windowed spectrum at the centre itself, free of
//   the scalloping between bins and of the tone's mirror image below 0 Hz,
//   so a sine at its centre reads 0 dB whatever its phase.
#pragma once

#include <cstddef>
#include <vector>

namespace quelmar {

class CBandLayout {
public:
    static constexpr unsigned c_nOctaves = 11;
    static constexpr unsigned c_nMaxBands = c_nOctaves * 6;
    static constexpr double c_dblMinPowerBins = 4.0;

    static double CentreHz(unsigned nBand, unsigned nBandsPerOctave);
    static double WidthHz(unsigned nBand, unsigned nBandsPerOctave);

    // pdblWindow: the 2^nOrder window values (read here only).
    void Prepare(unsigned nBandsPerOctave, unsigned nOrder, unsigned nSampleRate, const double* pdblWindow);

    unsigned Bands() const { return m_nBands; }
    // Whether the band reads its fitted centre (else its bins' power).
    bool IsFitted(unsigned nBand) const { return m_rgBands[nBand].bFitted; }

    // pdblWindowed: the block times the window; pdblRe, pdblIm: its N/2 + 1
    // bins (unnormalised). Writes Bands() levels.
    void Levels(const double* pdblWindowed, const double* pdblRe, const double* pdblIm, double* pdblBands) const;

private:
    struct CBand {
        bool bFitted;
        // Power: bins nFirst .. nLast, the two ends weighted (an empty band
        // has nFirst > nLast).
        unsigned nFirst, nLast;
        double dblFirstWeight, dblLastWeight;
        // Fit: radians per sample, the inverse of the fit's normal matrix
        // over cos and sin (symmetric: cc, ss, cs), and where the band's
        // phase tables start in m_rgdblPhases.
        double dblOmega, dblInvCc, dblInvSs, dblInvCs;
        size_t nPhases;
    };

    CBand PowerBand(double dblLowBin, double dblHighBin) const;
    CBand FittedBand(double dblOmega, const double* pdblWindow);
    void AppendPhases(double dblOmega);
    double PowerRatio(const CBand& band, const double* pdblRe, const double* pdblIm) const;
    double FittedRatio(const CBand& band, const double* pdblWindowed) const;

    unsigned m_nSize = 0;
    unsigned m_nBands = 0;
    // Per fitted band, as the projections' kernel takes them: cos and sin of
    // w j for j within a block of the fit, then of w T for each block's
    // centred start T.
    std::vector<double> m_rgdblPhases;
    double m_dblReferencePower = 1.0;  // a full-scale sine's summed bin power
    CBand m_rgBands[c_nMaxBands] = {};
};

}  // namespace quelmar
