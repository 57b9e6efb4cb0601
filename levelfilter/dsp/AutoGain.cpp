#include "AutoGain.h"

#include <algorithm>
#include <cmath>

#include "Decibels.h"
#include "LevelMeter.h"
#include "SampleKernels.h"

namespace quelmar {

void CAutoGain::Init(unsigned nChannels, unsigned nSampleRate)
{
    m_settings.Resize(nChannels);
    m_rgStates.reset(new CState[nChannels]);
    m_nChannels = nChannels;
    m_nSampleRate = nSampleRate;
    m_dblAveragingBlock = Coefficient(c_dblAveragingMs, c_nBlockFrames);
    m_dblAttackBlock = Coefficient(c_dblAttackMs, c_nBlockFrames);
    m_dblReleaseBlock = Coefficient(c_dblReleaseMs, c_nBlockFrames);
    Reset();
}

void CAutoGain::Reset()
{
    for (unsigned i = 0; i < m_nChannels; i++) {
        CState& state = m_rgStates[i];
        state.settings = m_settings.Snapshot(i, &state.nSeenVersion);
        state.dblThresholdMeanSquare = ThresholdMeanSquare(state.settings.dblThresholdDb);
        state.dblAverage = 0.0;
        state.dblEnvelope = 0.0;
        state.dblRangeDb = -state.settings.dblGainDb;
        state.dblGain = 1.0;
    }
}

double CAutoGain::ThresholdMeanSquare(double dblThresholdDb)
{
    return std::pow(10.0, dblThresholdDb / 10.0) / 2.0;  // the inverse of MeanSquareToDb
}

double CAutoGain::Coefficient(double dblTimeMs, unsigned nFrames) const
{
    return 1.0 - std::exp(-static_cast<double>(nFrames) * 1000.0 / (dblTimeMs * m_nSampleRate));
}

double CAutoGain::AppliedDb(unsigned nChannel) const
{
    return 20.0 * std::log10(m_rgStates[nChannel].dblGain);
}

void CAutoGain::Apply(unsigned nChannel, double* pdblSamples, unsigned nFrames)
{
    CState& state = m_rgStates[nChannel];
    if (m_settings.TryPickUp(nChannel, &state.nSeenVersion, &state.settings))
        state.dblThresholdMeanSquare = ThresholdMeanSquare(state.settings.dblThresholdDb);
    if (state.settings.dblGainDb == 0.0 && state.dblRangeDb == 0.0 && state.dblGain == 1.0)
        return;  // off, and nothing left to release
    for (unsigned i = 0; i < nFrames; i += c_nRunFrames)
        ApplyRun(state, pdblSamples + i, std::min(c_nRunFrames, nFrames - i));
}

void CAutoGain::ApplyRun(CState& state, double* pdblSamples, unsigned nFrames)
{
    // First every block's target, then the ramps: the envelope's chain from
    // block to block (with a divide and a square root in each) runs without
    // the sample loops between, so the blocks' arithmetic overlaps.
    double rgdblTargets[c_nRunFrames / c_nBlockFrames];
    const unsigned nWhole = nFrames / c_nBlockFrames, nBlocks = (nFrames + c_nBlockFrames - 1) / c_nBlockFrames;
    SampleKernels().pfnBlockSums(pdblSamples, nWhole, c_nBlockFrames, rgdblTargets);
    if (nBlocks > nWhole)
        rgdblTargets[nWhole] = SumOfSquares(pdblSamples + nWhole * c_nBlockFrames, nFrames - nWhole * c_nBlockFrames);
    for (unsigned b = 0; b < nBlocks; b++) {
        const unsigned nBlock = std::min(c_nBlockFrames, nFrames - b * c_nBlockFrames);
        rgdblTargets[b] = NextTarget(state, rgdblTargets[b], nBlock);  // each block's sum becomes its target
    }
    // The gain glides linearly to each block's target over the block.
    double rgdblStarts[c_nRunFrames / c_nBlockFrames], rgdblSteps[c_nRunFrames / c_nBlockFrames];
    for (unsigned b = 0; b < nBlocks; b++) {
        const unsigned nBlock = std::min(c_nBlockFrames, nFrames - b * c_nBlockFrames);
        rgdblStarts[b] = state.dblGain;
        rgdblSteps[b] = (rgdblTargets[b] - state.dblGain) * PerFrame(nBlock);
        state.dblGain = rgdblTargets[b];
    }
    SampleKernels().pfnBlockRamps(pdblSamples, nWhole, c_nBlockFrames, rgdblStarts, rgdblSteps);
    if (nBlocks > nWhole)
        SampleKernels().pfnRamp(pdblSamples + nWhole * c_nBlockFrames, nFrames - nWhole * c_nBlockFrames,
                                rgdblStarts[nWhole], rgdblSteps[nWhole]);
}

double CAutoGain::BlockCoefficient(bool bRising, unsigned nFrames) const
{
    if (nFrames == c_nBlockFrames)
        return bRising ? m_dblAttackBlock : m_dblReleaseBlock;
    return Coefficient(bRising ? c_dblAttackMs : c_dblReleaseMs, nFrames);
}

void CAutoGain::GlideRange(CState& state, unsigned nFrames) const
{
    double dblTargetDb = -state.settings.dblGainDb;
    state.dblRangeDb += BlockCoefficient(dblTargetDb > state.dblRangeDb, nFrames) * (dblTargetDb - state.dblRangeDb);
    if (std::fabs(dblTargetDb - state.dblRangeDb) < c_dblSettledDb)
        state.dblRangeDb = dblTargetDb;
}

double CAutoGain::TargetGain(CState& state) const
{
    // The attenuation is the envelope's excess over the threshold, at most
    // the range: in gains, sqrt(threshold / envelope) (both mean squares),
    // at least the range's gain. No logarithm per block: the threshold's mean
    // square is computed when the settings change, the range's gain while it
    // glides.
    if (!(state.dblRangeDb > 0.0) || !(state.dblEnvelope > state.dblThresholdMeanSquare))
        return 1.0;
    if (state.dblRangeDb != state.dblGainRangeDb) {
        state.dblRangeGain = DbToGain(-state.dblRangeDb);
        state.dblGainRangeDb = state.dblRangeDb;
    }
    return std::max(std::sqrt(state.dblThresholdMeanSquare / state.dblEnvelope), state.dblRangeGain);
}

double CAutoGain::NextTarget(CState& state, double dblSum, unsigned nFrames) const
{
    // A block can hold less than a cycle: average symmetrically first, so
    // the attack does not ride the waveform's peaks.
    double dblAveraging = nFrames == c_nBlockFrames ? m_dblAveragingBlock : Coefficient(c_dblAveragingMs, nFrames);
    state.dblAverage += dblAveraging * (dblSum * PerFrame(nFrames) - state.dblAverage);
    double dblMeanSquare = state.dblAverage;
    bool bRising = dblMeanSquare > state.dblEnvelope;
    state.dblEnvelope += BlockCoefficient(bRising, nFrames) * (dblMeanSquare - state.dblEnvelope);
    GlideRange(state, nFrames);
    return TargetGain(state);
}

}  // namespace quelmar
