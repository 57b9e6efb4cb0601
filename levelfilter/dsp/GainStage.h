// Manual gain per channel: the applied gain glides linearly, sample by
// sample, to each new target over the requested ramp time. Targets are set
// from any thread; the streaming thread picks them up at its next block.
#pragma once

#include <memory>

#include "ChannelSettings.h"

namespace quelmar {

class CGainStage {
public:
    static constexpr double c_dblMinDb = -40.0;
    static constexpr double c_dblMaxDb = 40.0;
    static constexpr unsigned c_nMaxRampMs = 10000;

    void Init(unsigned nChannels, unsigned nSampleRate);
    // Jumps every channel to its target (a new stream starts without a ramp).
    void Settle();

    void SetTarget(unsigned nChannel, double dblGainDb, unsigned nRampMs) { m_settings.Set(nChannel, {dblGainDb, nRampMs}); }
    double TargetDb(unsigned nChannel) const { return m_settings.Get(nChannel).dblGainDb; }

    // Multiplies nFrames samples of one channel by the gliding gain.
    void Apply(unsigned nChannel, double* pdblSamples, unsigned nFrames);

private:
    struct CTarget {
        double dblGainDb = 0.0;
        unsigned nRampMs = 0;
    };
    struct CRamp {
        double dblGain = 1.0;
        double dblTarget = 1.0;
        double dblStep = 0.0;
        unsigned nStepsLeft = 0;
        unsigned nSeenVersion = 0;
    };

    void StartRamp(CRamp& ramp, const CTarget& target);

    CChannelSettings<CTarget> m_settings;
    std::unique_ptr<CRamp[]> m_rgRamps;  // streaming thread only
    unsigned m_nChannels = 0;
    unsigned m_nSampleRate = 48000;
};

}  // namespace quelmar
