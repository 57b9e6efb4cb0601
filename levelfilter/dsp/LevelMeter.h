// RMS level per channel over the most recent 50 ms, in whole 1 ms blocks.
// The streaming thread feeds samples; any thread reads the level, the latest
// or the one ending at an earlier block (the last c_nHistoryBlocks are kept:
// a ring shared as a sequence lock, like the spectrum's history).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "Decibels.h"
#include "SampleKernels.h"

namespace quelmar {

// The sum of the squares of the samples, leaving out non-finite ones.
inline double SumOfSquares(const double* pdblSamples, unsigned nFrames)
{
    return SampleKernels().pfnSumOfSquares(pdblSamples, nFrames);
}

class CLevelMeter {
public:
    static constexpr unsigned c_nWindowMs = 50;
    static constexpr unsigned c_nHistoryBlocks = 4096;  // 4 s of 1 ms blocks
    static constexpr uint64_t c_nLatest = UINT64_MAX;

    // Allocates the per-channel state; every level starts at the floor.
    void Init(unsigned nChannels, unsigned nSampleRate);
    void Reset();

    // Adds nFrames samples of one channel (non-finite samples count as 0).
    void Add(unsigned nChannel, const double* pdblSamples, unsigned nFrames);

    // Converted on the caller's thread: the streaming thread keeps mean squares.
    double LevelDb(unsigned nChannel) const
    {
        return MeanSquareToDb(m_rgChannels[nChannel].dblMeanSquare.load(std::memory_order_relaxed));
    }
    // The level of the 50 blocks before block nEndBlock (c_nLatest: now),
    // from as many as there are; blocks older than the history count as
    // the oldest kept.
    double LevelDbAt(unsigned nChannel, uint64_t nEndBlock) const;
    unsigned FramesPerBlock() const { return m_nFramesPerBlock; }
    unsigned Channels() const { return static_cast<unsigned>(m_nChannels); }

private:
    struct CChannel {
        double rgdblBlockEnergy[c_nWindowMs];  // sums of squares of the last 50 blocks
        double dblWindowEnergy;                // their sum, kept running
        unsigned nNextBlock;
        unsigned nBlocksFilled;
        double dblPerFrame;                    // 1 / the frames the window holds (no divide per block)
        double dblBlockSum;                    // the block being filled
        unsigned nBlockFrames;
        std::atomic<double> dblMeanSquare;  // of the window
        std::atomic<uint64_t> nBlocksDone;     // blocks completed since Reset
    };

    void CompleteBlock(CChannel& channel, size_t nChannel);
    static double SumOfWindow(const CChannel& channel);
    bool WindowEnergy(size_t nChannel, uint64_t nEndBlock, double* pdblMeanSquare) const;
    std::atomic<double>& HistoryAt(size_t nChannel, uint64_t nBlock) const
    {
        return m_rgHistory[nChannel * c_nHistoryBlocks + nBlock % c_nHistoryBlocks];
    }

    std::unique_ptr<CChannel[]> m_rgChannels;
    std::unique_ptr<std::atomic<double>[]> m_rgHistory;  // c_nHistoryBlocks energies per channel
    size_t m_nChannels = 0;
    unsigned m_nFramesPerBlock = 1;
};

}  // namespace quelmar
