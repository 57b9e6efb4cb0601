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
    // Adds nFrames samples of one channel through their sums of squares:
    // fnSum(nAt, nTake) returns that of samples nAt to nAt + nTake (a piece
    // of a block), fnBlockSums(nAt, nBlocks, pdblSums) those of nBlocks
    // whole blocks from nAt on, into pdblSums (so the pass that sums may
    // also change the samples).
    template <class FSum, class FBlockSums>
    void AddSums(unsigned nChannel, unsigned nFrames, FSum fnSum, FBlockSums fnBlockSums)
    {
        // The running state in locals while the blocks go by: between the
        // history's atomic stores, and across calls, fields of the channel
        // would go through memory block after block.
        CChannel& channel = m_rgChannels[nChannel];
        CRunning running = channel.running;
        unsigned i = 0;
        if (running.nBlockFrames > 0) {
            i = m_nFramesPerBlock - running.nBlockFrames < nFrames ? m_nFramesPerBlock - running.nBlockFrames : nFrames;
            running.dblBlockSum += fnSum(0u, i);
            running.nBlockFrames += i;
            if (running.nBlockFrames == m_nFramesPerBlock)
                CompleteBlock(channel, running, nChannel);
        }
        while (nFrames - i >= m_nFramesPerBlock) {
            double rgdblSums[c_nBatchBlocks];
            const unsigned nBlocks =
                (nFrames - i) / m_nFramesPerBlock < c_nBatchBlocks ? (nFrames - i) / m_nFramesPerBlock : c_nBatchBlocks;
            fnBlockSums(i, nBlocks, rgdblSums);
            for (unsigned b = 0; b < nBlocks; b++) {
                running.dblBlockSum = rgdblSums[b];
                CompleteBlock(channel, running, nChannel);
            }
            i += nBlocks * m_nFramesPerBlock;
        }
        if (i < nFrames) {
            running.dblBlockSum += fnSum(i, nFrames - i);
            running.nBlockFrames += nFrames - i;
        }
        channel.running = running;
    }

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
    static constexpr unsigned c_nBatchBlocks = 16;  // whole blocks summed per call

    // What only the streaming thread reads and writes.
    struct CRunning {
        double dblWindowEnergy;  // the sum of the last 50 blocks' energies, kept running
        double dblFreshEnergy;   // the sum of this window's blocks so far
        double dblPerFrame;      // 1 / the frames the window holds (no divide per block)
        double dblBlockSum;      // the block being filled
        unsigned nNextBlock;
        unsigned nBlocksFilled;
        unsigned nBlockFrames;
        uint64_t nBlocksDone;  // as published in CChannel::nBlocksDone
    };
    struct CChannel {
        double rgdblBlockEnergy[c_nWindowMs];  // sums of squares of the last 50 blocks
        CRunning running;
        std::atomic<double> dblMeanSquare;  // of the window
        std::atomic<uint64_t> nBlocksDone;  // blocks completed since Reset
    };

    void CompleteBlock(CChannel& channel, CRunning& running, size_t nChannel)
    {
        // The block's place in the history is overwritten only after the
        // count that announces it (a reader seeing the new energy sees the
        // count).
        const double dblBlockEnergy = running.dblBlockSum;
        const uint64_t nBlock = running.nBlocksDone++;
        std::atomic_thread_fence(std::memory_order_release);
        HistoryAt(nChannel, nBlock).store(dblBlockEnergy, std::memory_order_relaxed);
        channel.nBlocksDone.store(nBlock + 1, std::memory_order_release);
        double& dblSlot = channel.rgdblBlockEnergy[running.nNextBlock];
        running.dblWindowEnergy += dblBlockEnergy - dblSlot;
        running.dblFreshEnergy += dblBlockEnergy;
        dblSlot = dblBlockEnergy;
        running.nNextBlock = running.nNextBlock + 1 < c_nWindowMs ? running.nNextBlock + 1 : 0;
        if (running.nBlocksFilled < c_nWindowMs) {
            running.nBlocksFilled++;
            running.dblPerFrame = 1.0 / (static_cast<double>(running.nBlocksFilled) * m_nFramesPerBlock);
        }
        running.dblBlockSum = 0.0;
        running.nBlockFrames = 0;
        // The running sum is replaced by the window's own sum once per
        // window, so rounding (a loud block's residue after it has left)
        // never lasts longer than the window; that sum is added up block by
        // block as they come, in their order, so no chain of 50 additions
        // waits at the window's end. An infinite block (float64 far above
        // full scale) makes the running sum infinite or, leaving, NaN: then
        // the window is summed afresh at once.
        if (running.nNextBlock == 0) {
            running.dblWindowEnergy = running.dblFreshEnergy;
            running.dblFreshEnergy = 0.0;
        }
        if (!__builtin_isfinite(running.dblWindowEnergy))
            running.dblWindowEnergy = SumOfWindow(channel);
        const double dblEnergy = running.dblWindowEnergy > 0.0 ? running.dblWindowEnergy : 0.0;
        channel.dblMeanSquare.store(dblEnergy * running.dblPerFrame, std::memory_order_relaxed);
    }
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
