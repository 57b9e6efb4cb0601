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

    void SetTarget(unsigned nChannel, double dblGainDb, unsigned nRampMs)
    {
        m_settings.Set(nChannel, {dblGainDb, nRampMs});
    }
    double TargetDb(unsigned nChannel) const { return m_settings.Get(nChannel).dblGainDb; }

    // What the gain does to the next run of a channel: the first nRamp
    // samples glide (sample i times dblStart + dblStep * (i + 1)), the next
    // nLanding (0 or 1) take dblLanding, the target the glide lands on, and
    // the rest dblGain.
    struct CRun {
        unsigned nRamp = 0;
        double dblStart = 1.0, dblStep = 0.0;
        unsigned nLanding = 0;
        double dblLanding = 1.0;
        double dblGain = 1.0;
    };

    // Multiplies nFrames samples of one channel by the gliding gain.
    void Apply(unsigned nChannel, double* pdblSamples, unsigned nFrames);
    // Moves one channel's gain on by nFrames samples (picking up a new
    // target first) and says what it does to them.
    CRun Advance(unsigned nChannel, unsigned nFrames);
    // Samples nAt to nAt + nFrames of a run multiplied as the run says; the
    // sum of their squares as they came (non-finite ones left out), taken in
    // the same pass.
    static double SumThenApply(const CRun& run, double* pdblRun, unsigned nAt, unsigned nFrames);
    // The same for nBlocks blocks of nBlockFrames from nAt on, block b's sum
    // into pdblSums[b].
    static void BlockSumsThenApply(const CRun& run, double* pdblRun, unsigned nAt, unsigned nBlocks,
                                   unsigned nBlockFrames, double* pdblSums);

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
