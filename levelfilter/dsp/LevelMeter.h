// RMS level per channel over the most recent 50 ms, in whole 1 ms blocks.
// The streaming thread feeds samples; any thread reads the level.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

namespace quelmar {

// The sum of the squares of the samples, leaving out non-finite ones.
double SumOfSquares(const double* pdblSamples, unsigned nFrames);

class CLevelMeter {
public:
    static constexpr unsigned c_nWindowMs = 50;

    // Allocates the per-channel state; every level starts at the floor.
    void Init(unsigned nChannels, unsigned nSampleRate);
    void Reset();

    // Adds nFrames samples of one channel (non-finite samples count as 0).
    void Add(unsigned nChannel, const double* pdblSamples, unsigned nFrames);

    double LevelDb(unsigned nChannel) const { return m_rgChannels[nChannel].dblLevelDb.load(std::memory_order_relaxed); }
    unsigned Channels() const { return static_cast<unsigned>(m_nChannels); }

private:
    struct CChannel {
        double rgdblBlockEnergy[c_nWindowMs];  // sums of squares of the last 50 blocks
        unsigned nNextBlock;
        unsigned nBlocksFilled;
        double dblBlockSum;                    // the block being filled
        unsigned nBlockFrames;
        std::atomic<double> dblLevelDb;
    };

    void CompleteBlock(CChannel& channel);

    std::unique_ptr<CChannel[]> m_rgChannels;
    size_t m_nChannels = 0;
    unsigned m_nFramesPerBlock = 1;
};

}  // namespace quelmar
