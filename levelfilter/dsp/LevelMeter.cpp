#include "LevelMeter.h"

#include <cmath>

#include "Decibels.h"

namespace quelmar {

double SumOfSquares(const double* pdblSamples, unsigned nFrames)
{
    // Four sums side by side, so the loop vectorises; a non-finite sample
    // shows in the total, and only then is the stretch summed again without it.
    double rgdblSums[4] = {};
    unsigned i = 0;
    for (; i + 4 <= nFrames; i += 4)
        for (unsigned k = 0; k < 4; k++)
            rgdblSums[k] += pdblSamples[i + k] * pdblSamples[i + k];
    for (; i < nFrames; i++)
        rgdblSums[0] += pdblSamples[i] * pdblSamples[i];
    double dblSum = (rgdblSums[0] + rgdblSums[1]) + (rgdblSums[2] + rgdblSums[3]);
    if (std::isfinite(dblSum))
        return dblSum;
    dblSum = 0.0;
    for (i = 0; i < nFrames; i++)
        if (std::isfinite(pdblSamples[i] * pdblSamples[i]))
            dblSum += pdblSamples[i] * pdblSamples[i];
    return dblSum;
}

void CLevelMeter::Init(unsigned nChannels, unsigned nSampleRate)
{
    m_rgChannels.reset(new CChannel[nChannels]);
    m_nChannels = nChannels;
    m_nFramesPerBlock = nSampleRate / 1000 > 0 ? nSampleRate / 1000 : 1;
    Reset();
}

void CLevelMeter::Reset()
{
    for (size_t i = 0; i < m_nChannels; i++) {
        CChannel& channel = m_rgChannels[i];
        for (double& dblEnergy : channel.rgdblBlockEnergy)
            dblEnergy = 0.0;
        channel.nNextBlock = 0;
        channel.nBlocksFilled = 0;
        channel.dblBlockSum = 0.0;
        channel.nBlockFrames = 0;
        channel.dblLevelDb.store(c_dblFloorDb, std::memory_order_relaxed);
    }
}

void CLevelMeter::Add(unsigned nChannel, const double* pdblSamples, unsigned nFrames)
{
    CChannel& channel = m_rgChannels[nChannel];
    unsigned i = 0;
    while (i < nFrames) {
        unsigned nTake = m_nFramesPerBlock - channel.nBlockFrames;
        if (nTake > nFrames - i)
            nTake = nFrames - i;
        channel.dblBlockSum += SumOfSquares(pdblSamples + i, nTake);
        channel.nBlockFrames += nTake;
        i += nTake;
        if (channel.nBlockFrames == m_nFramesPerBlock)
            CompleteBlock(channel);
    }
}

void CLevelMeter::CompleteBlock(CChannel& channel)
{
    channel.rgdblBlockEnergy[channel.nNextBlock] = channel.dblBlockSum;
    channel.nNextBlock = (channel.nNextBlock + 1) % c_nWindowMs;
    if (channel.nBlocksFilled < c_nWindowMs)
        channel.nBlocksFilled++;
    channel.dblBlockSum = 0.0;
    channel.nBlockFrames = 0;
    // Summing the window afresh each block keeps rounding from drifting.
    double dblEnergy = 0.0;
    for (double dblBlock : channel.rgdblBlockEnergy)
        dblEnergy += dblBlock;
    double dblMeanSquare = dblEnergy / (static_cast<double>(channel.nBlocksFilled) * m_nFramesPerBlock);
    channel.dblLevelDb.store(MeanSquareToDb(dblMeanSquare), std::memory_order_relaxed);
}

}  // namespace quelmar
