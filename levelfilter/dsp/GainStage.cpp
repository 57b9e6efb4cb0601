#include "GainStage.h"

#include "Decibels.h"
#include "SampleKernels.h"

namespace quelmar {

void CGainStage::Init(unsigned nChannels, unsigned nSampleRate)
{
    m_settings.Resize(nChannels);
    m_rgRamps.reset(new CRamp[nChannels]);
    m_nChannels = nChannels;
    m_nSampleRate = nSampleRate;
    Settle();
}

void CGainStage::Settle()
{
    for (unsigned i = 0; i < m_nChannels; i++) {
        CRamp& ramp = m_rgRamps[i];
        ramp.dblGain = ramp.dblTarget = DbToGain(m_settings.Snapshot(i, &ramp.nSeenVersion).dblGainDb);
        ramp.nStepsLeft = 0;
    }
}

void CGainStage::StartRamp(CRamp& ramp, const CTarget& target)
{
    ramp.dblTarget = DbToGain(target.dblGainDb);
    unsigned nSteps = static_cast<unsigned>(static_cast<unsigned long long>(target.nRampMs) * m_nSampleRate / 1000);
    if (nSteps == 0) {
        ramp.dblGain = ramp.dblTarget;
        ramp.nStepsLeft = 0;
    } else {
        ramp.dblStep = (ramp.dblTarget - ramp.dblGain) / nSteps;
        ramp.nStepsLeft = nSteps;
    }
}

void CGainStage::Apply(unsigned nChannel, double* pdblSamples, unsigned nFrames)
{
    CRamp& ramp = m_rgRamps[nChannel];
    CTarget target;
    if (m_settings.TryPickUp(nChannel, &ramp.nSeenVersion, &target))
        StartRamp(ramp, target);
    unsigned i = 0;
    if (ramp.nStepsLeft > 0) {
        // The ramp as an affine function of the sample's place (no running
        // sum to carry), landing exactly on the target at its last step.
        const unsigned nSteps = ramp.nStepsLeft < nFrames ? ramp.nStepsLeft : nFrames;
        const bool bLands = nSteps == ramp.nStepsLeft;
        const unsigned nAffine = bLands ? nSteps - 1 : nSteps;
        const double dblStart = ramp.dblGain, dblStep = ramp.dblStep;
        SampleKernels().pfnRamp(pdblSamples, nAffine, dblStart, dblStep);
        i = nAffine;
        ramp.nStepsLeft -= nSteps;
        ramp.dblGain = bLands ? ramp.dblTarget : dblStart + dblStep * nSteps;
        if (bLands)
            pdblSamples[i++] *= ramp.dblTarget;
    }
    const double dblGain = ramp.dblGain;
    if (dblGain == 1.0)
        return;
    SampleKernels().pfnScale(pdblSamples + i, nFrames - i, dblGain);
}

}  // namespace quelmar
