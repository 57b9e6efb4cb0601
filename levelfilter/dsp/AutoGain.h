// Automatic gain per channel: while the channel's level (after the manual
// gain) is above the threshold, the signal is attenuated toward the
// threshold, by at most |gain| dB. The level is a 5 ms mean square followed
// by an envelope with 10 ms attack and 500 ms release; the applied gain changes linearly within
// each 32-frame block, so it never steps. Gain 0 dB turns it off. A change of
// the gain (the most it may attenuate) glides too, with the attack when it
// widens and the release when it narrows: turning auto gain on or off mid-stream
// fades it in and out instead of jumping.
#pragma once

#include <memory>

#include "ChannelSettings.h"

namespace quelmar {

class CAutoGain {
public:
    static constexpr double c_dblMinDb = -20.0;
    static constexpr double c_dblMaxDb = 0.0;
    static constexpr double c_dblAveragingMs = 5.0;
    static constexpr double c_dblAttackMs = 10.0;
    static constexpr double c_dblReleaseMs = 500.0;
    static constexpr unsigned c_nBlockFrames = 32;
    // A gliding range this close to its setting lands on it.
    static constexpr double c_dblSettledDb = 0.001;

    struct CSettings {
        double dblThresholdDb = 0.0;
        double dblGainDb = 0.0;
    };

    void Init(unsigned nChannels, unsigned nSampleRate);
    void Reset();

    void Set(unsigned nChannel, const CSettings& settings) { m_settings.Set(nChannel, settings); }
    CSettings Get(unsigned nChannel) const { return m_settings.Get(nChannel); }

    void Apply(unsigned nChannel, double* pdblSamples, unsigned nFrames);
    // The attenuation now applied to a channel, in dB (0 or negative).
    double AppliedDb(unsigned nChannel) const;

private:
    struct CState {
        CSettings settings;
        unsigned nSeenVersion = 0;
        double dblAverage = 0.0;   // mean square, symmetric 5 ms
        double dblEnvelope = 0.0;  // the average after attack and release
        double dblRangeDb = 0.0;   // the most it may attenuate now, gliding to the setting
        double dblGain = 1.0;      // linear, applied at the end of the last block
        double dblThresholdMeanSquare = 0.5;  // the threshold as a mean square
        double dblGainRangeDb = 0.0;          // the range dblRangeGain was computed for
        double dblRangeGain = 1.0;            // the gain of the whole range
    };

    static constexpr unsigned c_nRunFrames = 8 * c_nBlockFrames;  // blocks whose targets are found together

    void ApplyRun(CState& state, double* pdblSamples, unsigned nFrames);
    // Advances the envelope by one block whose sum of squares is dblSum and
    // returns the gain to reach at its end.
    double NextTarget(CState& state, double dblSum, unsigned nFrames) const;
    // Full blocks divide by a power of two: a multiply, exact.
    static double PerFrame(unsigned nFrames) { return nFrames == c_nBlockFrames ? 1.0 / c_nBlockFrames : 1.0 / nFrames; }
    double TargetGain(CState& state) const;
    static double ThresholdMeanSquare(double dblThresholdDb);
    double BlockCoefficient(bool bRising, unsigned nFrames) const;
    void GlideRange(CState& state, unsigned nFrames) const;
    double Coefficient(double dblTimeMs, unsigned nFrames) const;

    CChannelSettings<CSettings> m_settings;
    std::unique_ptr<CState[]> m_rgStates;  // streaming thread only
    unsigned m_nChannels = 0;
    unsigned m_nSampleRate = 48000;
    double m_dblAveragingBlock = 0.0;  // coefficients for a full block
    double m_dblAttackBlock = 0.0;
    double m_dblReleaseBlock = 0.0;
};

}  // namespace quelmar
