#include "LevelMeter.h"

#include <cmath>

#include "Decibels.h"

namespace quelmar {

void CLevelMeter::Init(unsigned nChannels, unsigned nSampleRate)
{
    m_rgChannels.reset(new CChannel[nChannels]);
    m_rgHistory.reset(new std::atomic<double>[static_cast<size_t>(nChannels) * c_nHistoryBlocks]());
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
        channel.dblWindowEnergy = 0.0;
        channel.nNextBlock = 0;
        channel.nBlocksFilled = 0;
        channel.dblPerFrame = 0.0;
        channel.dblBlockSum = 0.0;
        channel.nBlockFrames = 0;
        channel.dblMeanSquare.store(0.0, std::memory_order_relaxed);
        channel.nBlocksDone.store(0, std::memory_order_release);
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
            CompleteBlock(channel, nChannel);
    }
}

void CLevelMeter::CompleteBlock(CChannel& channel, size_t nChannel)
{
    // The block's place in the history is overwritten only after the count
    // that announces it (a reader seeing the new energy sees the count).
    uint64_t nBlock = channel.nBlocksDone.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    HistoryAt(nChannel, nBlock).store(channel.dblBlockSum, std::memory_order_relaxed);
    channel.nBlocksDone.store(nBlock + 1, std::memory_order_release);
    double& dblSlot = channel.rgdblBlockEnergy[channel.nNextBlock];
    channel.dblWindowEnergy += channel.dblBlockSum - dblSlot;
    dblSlot = channel.dblBlockSum;
    channel.nNextBlock = (channel.nNextBlock + 1) % c_nWindowMs;
    if (channel.nBlocksFilled < c_nWindowMs) {
        channel.nBlocksFilled++;
        channel.dblPerFrame = 1.0 / (static_cast<double>(channel.nBlocksFilled) * m_nFramesPerBlock);
    }
    channel.dblBlockSum = 0.0;
    channel.nBlockFrames = 0;
    // The running sum is summed afresh once per window, so rounding (a loud
    // block's residue after it has left) never lasts longer than the window,
    // and whenever an infinite block (float64 far above full scale) has made
    // it infinite or, leaving, NaN.
    if (channel.nNextBlock == 0 || !std::isfinite(channel.dblWindowEnergy))
        channel.dblWindowEnergy = SumOfWindow(channel);
    double dblEnergy = channel.dblWindowEnergy > 0.0 ? channel.dblWindowEnergy : 0.0;
    channel.dblMeanSquare.store(dblEnergy * channel.dblPerFrame, std::memory_order_relaxed);
}

double CLevelMeter::SumOfWindow(const CChannel& channel)
{
    double dblEnergy = 0.0;
    for (double dblBlock : channel.rgdblBlockEnergy)
        dblEnergy += dblBlock;
    return dblEnergy;
}

bool CLevelMeter::WindowEnergy(size_t nChannel, uint64_t nEndBlock, double* pdblMeanSquare) const
{
    const CChannel& channel = m_rgChannels[nChannel];
    for (int nAttempt = 0; nAttempt < 4; nAttempt++) {
        uint64_t nDone = channel.nBlocksDone.load(std::memory_order_acquire);
        uint64_t nEnd = nEndBlock < nDone ? nEndBlock : nDone;
        uint64_t nOldest = nDone > c_nHistoryBlocks - 1 ? nDone - (c_nHistoryBlocks - 1) : 0;
        if (nEnd < nOldest + c_nWindowMs)
            nEnd = nOldest + c_nWindowMs < nDone ? nOldest + c_nWindowMs : nDone;
        uint64_t nStart = nEnd > c_nWindowMs ? nEnd - c_nWindowMs : 0;
        if (nEnd == nStart) {
            *pdblMeanSquare = 0.0;
            return true;
        }
        double dblEnergy = 0.0;
        for (uint64_t b = nStart; b < nEnd; b++)
            dblEnergy += HistoryAt(nChannel, b).load(std::memory_order_relaxed);
        // Intact unless the block being written now has reached nStart's place.
        std::atomic_thread_fence(std::memory_order_acquire);
        if (channel.nBlocksDone.load(std::memory_order_relaxed) - nStart < c_nHistoryBlocks) {
            *pdblMeanSquare = dblEnergy / (static_cast<double>(nEnd - nStart) * m_nFramesPerBlock);
            return true;
        }
    }
    return false;
}

double CLevelMeter::LevelDbAt(unsigned nChannel, uint64_t nEndBlock) const
{
    double dblMeanSquare = 0.0;
    if (nEndBlock == c_nLatest || !WindowEnergy(nChannel, nEndBlock, &dblMeanSquare))
        return LevelDb(nChannel);
    return MeanSquareToDb(dblMeanSquare);
}

}  // namespace quelmar
