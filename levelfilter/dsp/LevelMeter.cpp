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
        channel.running = CRunning{};
        channel.dblMeanSquare.store(0.0, std::memory_order_relaxed);
        channel.nBlocksDone.store(0, std::memory_order_release);
    }
}

void CLevelMeter::Add(unsigned nChannel, const double* pdblSamples, unsigned nFrames)
{
    const unsigned nBlockFrames = m_nFramesPerBlock;
    AddSums(
        nChannel, nFrames,
        [pdblSamples](unsigned nAt, unsigned nTake) { return SumOfSquares(pdblSamples + nAt, nTake); },
        [pdblSamples, nBlockFrames](unsigned nAt, unsigned nBlocks, double* pdblSums) {
            SampleKernels().pfnBlockSums(pdblSamples + nAt, nBlocks, nBlockFrames, pdblSums);
        });
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
