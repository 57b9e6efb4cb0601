#include "AutoGain.h"

#include <algorithm>
#include <cmath>

#include "Decibels.h"
#include "LevelMeter.h"

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
        state.dblAverage = 0.0;
        state.dblEnvelope = 0.0;
        state.dblRangeDb = -state.settings.dblGainDb;
        state.dblGain = 1.0;
    }
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
    m_settings.TryPickUp(nChannel, &state.nSeenVersion, &state.settings);
    if (state.settings.dblGainDb == 0.0 && state.dblRangeDb == 0.0 && state.dblGain == 1.0)
        return;  // off, and nothing left to release
    for (unsigned i = 0; i < nFrames; i += c_nBlockFrames)
        ApplyBlock(state, pdblSamples + i, std::min(c_nBlockFrames, nFrames - i));
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

void CAutoGain::ApplyBlock(CState& state, double* pdblSamples, unsigned nFrames)
{
    double dblSum = SumOfSquares(pdblSamples, nFrames);
    // A block can hold less than a cycle: average symmetrically first, so
    // the attack does not ride the waveform's peaks.
    double dblAveraging = nFrames == c_nBlockFrames ? m_dblAveragingBlock : Coefficient(c_dblAveragingMs, nFrames);
    state.dblAverage += dblAveraging * (dblSum / nFrames - state.dblAverage);
    double dblMeanSquare = state.dblAverage;
    bool bRising = dblMeanSquare > state.dblEnvelope;
    state.dblEnvelope += BlockCoefficient(bRising, nFrames) * (dblMeanSquare - state.dblEnvelope);
    GlideRange(state, nFrames);

    double dblReductionDb = 0.0;
    if (state.dblRangeDb > 0.0) {
        double dblExcess = MeanSquareToDb(state.dblEnvelope) - state.settings.dblThresholdDb;
        dblReductionDb = std::clamp(dblExcess, 0.0, state.dblRangeDb);
    }
    double dblTarget = DbToGain(-dblReductionDb);
    double dblStep = (dblTarget - state.dblGain) / nFrames;
    double dblGain = state.dblGain;
    for (unsigned i = 0; i < nFrames; i++) {
        dblGain += dblStep;
        pdblSamples[i] *= dblGain;
    }
    state.dblGain = dblTarget;
}

}  // namespace quelmar
