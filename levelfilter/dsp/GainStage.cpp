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

CGainStage::CRun CGainStage::Advance(unsigned nChannel, unsigned nFrames)
{
    CRamp& ramp = m_rgRamps[nChannel];
    CTarget target;
    if (m_settings.TryPickUp(nChannel, &ramp.nSeenVersion, &target))
        StartRamp(ramp, target);
    CRun run;
    if (ramp.nStepsLeft > 0) {
        // The ramp as an affine function of the sample's place (no running
        // sum to carry), landing exactly on the target at its last step.
        const unsigned nSteps = ramp.nStepsLeft < nFrames ? ramp.nStepsLeft : nFrames;
        const bool bLands = nSteps == ramp.nStepsLeft;
        run.nRamp = bLands ? nSteps - 1 : nSteps;
        run.dblStart = ramp.dblGain;
        run.dblStep = ramp.dblStep;
        run.nLanding = bLands ? 1 : 0;
        run.dblLanding = ramp.dblTarget;
        ramp.nStepsLeft -= nSteps;
        ramp.dblGain = bLands ? ramp.dblTarget : run.dblStart + run.dblStep * nSteps;
    }
    run.dblGain = ramp.dblGain;
    return run;
}

void CGainStage::Apply(unsigned nChannel, double* pdblSamples, unsigned nFrames)
{
    const CRun run = Advance(nChannel, nFrames);
    const CSampleKernels& kernels = SampleKernels();
    kernels.pfnRamp(pdblSamples, run.nRamp, run.dblStart, run.dblStep);
    unsigned i = run.nRamp;
    if (run.nLanding > 0)
        pdblSamples[i++] *= run.dblLanding;
    if (run.dblGain != 1.0)
        kernels.pfnScale(pdblSamples + i, nFrames - i, run.dblGain);
}

double CGainStage::SumThenApply(const CRun& run, double* pdblRun, unsigned nAt, unsigned nFrames)
{
    const CSampleKernels& kernels = SampleKernels();
    const unsigned nEnd = nAt + nFrames;
    double dblSum = 0.0, dblPiece = 0.0;
    if (nAt < run.nRamp) {
        const unsigned nRamped = (nEnd < run.nRamp ? nEnd : run.nRamp) - nAt;
        kernels.pfnBlockSumsThenRamp(pdblRun + nAt, 1, nRamped, run.dblStart, run.dblStep, nAt, &dblPiece);
        dblSum += dblPiece;
        nAt += nRamped;
    }
    if (nAt < nEnd && nAt < run.nRamp + run.nLanding) {
        kernels.pfnBlockSumsThenScale(pdblRun + nAt, 1, 1, run.dblLanding, &dblPiece);
        dblSum += dblPiece;
        nAt++;
    }
    if (nAt < nEnd) {
        if (run.dblGain == 1.0)
            dblPiece = kernels.pfnSumOfSquares(pdblRun + nAt, nEnd - nAt);
        else
            kernels.pfnBlockSumsThenScale(pdblRun + nAt, 1, nEnd - nAt, run.dblGain, &dblPiece);
        dblSum += dblPiece;
    }
    return dblSum;
}

void CGainStage::BlockSumsThenApply(const CRun& run, double* pdblRun, unsigned nAt, unsigned nBlocks,
                                    unsigned nBlockFrames, double* pdblSums)
{
    const CSampleKernels& kernels = SampleKernels();
    const unsigned nEnd = nAt + nBlocks * nBlockFrames;
    if (nEnd <= run.nRamp) {
        kernels.pfnBlockSumsThenRamp(pdblRun + nAt, nBlocks, nBlockFrames, run.dblStart, run.dblStep, nAt, pdblSums);
    } else if (nAt >= run.nRamp + run.nLanding) {
        if (run.dblGain == 1.0)
            kernels.pfnBlockSums(pdblRun + nAt, nBlocks, nBlockFrames, pdblSums);
        else
            kernels.pfnBlockSumsThenScale(pdblRun + nAt, nBlocks, nBlockFrames, run.dblGain, pdblSums);
    } else {
        // The glide ends among these blocks (once per ramp): a block at a time.
        for (unsigned b = 0; b < nBlocks; b++)
            pdblSums[b] = SumThenApply(run, pdblRun, nAt + b * nBlockFrames, nBlockFrames);
    }
}

}  // namespace quelmar
