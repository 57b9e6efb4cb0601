// Spectrum per channel in 11 octaves of 1, 2, 3 or 6 bands. The streaming
// thread only appends output samples to a history ring; a spectrum is
// computed when asked, on the asking thread, from the channel's most recent
// 2^order samples: window, real FFT, band powers.
//
// The ring is shared without a lock, as a sequence lock: the writer
// announces the frames it is about to overwrite (m_nReserved) before it
// writes them and publishes them (m_nWritten) after; a reader copies its
// stretch and then checks that no announced write reached it. A copy that
// was overwritten meanwhile is taken again, and never handed out.
//
// The bands and their levels: CBandLayout.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "BandLayout.h"
#include "RealFft.h"
#include "Window.h"

namespace quelmar {

class CSpectrumAnalyzer {
public:
    static constexpr unsigned c_nOctaves = CBandLayout::c_nOctaves;
    static constexpr unsigned c_nMinOrder = 10;
    static constexpr unsigned c_nMaxOrder = 15;
    // Four times the longest FFT: room for the read-ahead of a stream
    // (a spectrum is read where the stream is heard, behind the latest).
    static constexpr unsigned c_nHistoryFrames = 4u << c_nMaxOrder;
    static constexpr unsigned c_nSlackFrames = 8192;  // kept clear of the writer
    static constexpr uint64_t c_nLatest = UINT64_MAX;

    struct CSettings {
        unsigned nBandsPerOctave = 3;
        WindowType eWindow = WindowType::Hann;
        unsigned nOrder = 12;
    };

    static bool IsValidBandsPerOctave(unsigned n) { return n == 0 || n == 1 || n == 2 || n == 3 || n == 6; }
    static double BandCentreHz(unsigned nBand, unsigned nBandsPerOctave) { return CBandLayout::CentreHz(nBand, nBandsPerOctave); }

    // Allocates the history and every buffer a computation needs.
    void Init(unsigned nChannels, unsigned nSampleRate);
    // Forgets the history: a spectrum needs 2^order new samples again.
    void Reset();

    // Streaming side: while IsOn, Append each channel's samples of a chunk
    // (the same nFrames for every channel, at most c_nHistoryFrames), then
    // Publish; otherwise Skip the chunk: its frames pass unstored, and the
    // history starts again after them.
    bool IsOn() const { return m_bOn.load(std::memory_order_relaxed); }
    void Append(unsigned nChannel, const double* pdblSamples, unsigned nFrames);
    void Publish(unsigned nFrames) { m_nWritten.store(m_nWritten.load(std::memory_order_relaxed) + nFrames, std::memory_order_release); }
    void Skip(unsigned nFrames);

    void SetSettings(const CSettings& settings);
    CSettings Settings() const;

    // nBands must be 11 * bands per octave (not 0). *pnFilled is 0 while
    // fewer than 2^order samples have arrived since the stream started or
    // the analysis was last turned on, or when the writer kept
    // overwriting the stretch being copied, else nBands. False for a band
    // count that does not match the settings.
    // The spectrum is of the 2^order samples before frame nEndFrame (the
    // latest, or as late as the history still holds).
    bool Compute(unsigned nChannel, unsigned nBands, unsigned* pnFilled, double* pdblBands,
                 uint64_t nEndFrame = c_nLatest);

private:
    void Prepare(const CSettings& settings);
    // Windows the nSize samples before nEndFrame into m_rgInput; false when
    // there are not yet that many, or no attempt found them intact.
    bool CopyEndingAt(unsigned nChannel, unsigned nSize, uint64_t nEndFrame);

    unsigned m_nChannels = 0;
    unsigned m_nSampleRate = 48000;
    static constexpr int c_nCopyAttempts = 8;
    static constexpr unsigned c_nHistoryPairs = c_nHistoryFrames / 2;

    static size_t PairIndex(uint64_t nFrame) { return (nFrame & (c_nHistoryFrames - 1)) >> 1; }
    static uint32_t FloatBits(double dblSample);
    static void StoreFrame(std::atomic<uint64_t>* pPairs, uint64_t nFrame, double dblSample);
    static float LoadFrame(const std::atomic<uint64_t>* pPairs, uint64_t nFrame);

    // Each channel's last c_nHistoryFrames samples as floats, two frames to a
    // place (the even one in the low half).
    std::unique_ptr<std::atomic<uint64_t>[]> m_rgHistory;
    std::atomic<uint64_t> m_nWritten{0};   // frames published
    std::atomic<uint64_t> m_nReserved{0};  // frames published or being written
    std::atomic<uint64_t> m_nFirstStored{0};  // the history holds no frame before this one

    mutable std::mutex m_mutexSettings;
    CSettings m_settings;
    std::atomic<bool> m_bOn{true};  // bands per octave not 0, as in the default settings

    std::mutex m_mutexCompute;  // one computation at a time, with its buffers
    CSettings m_prepared;
    bool m_bPrepared = false;
    std::unique_ptr<CRealFft> m_rgFfts[c_nMaxOrder + 1];
    std::vector<double> m_rgWindow, m_rgInput, m_rgBinRe, m_rgBinIm;
    CBandLayout m_bands;
};

}  // namespace quelmar
