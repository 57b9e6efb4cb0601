// Spectrum per channel in 11 octaves of 1, 2, 3 or 6 bands. The streaming
// thread only appends output samples to a history ring; a spectrum is
// computed when asked, on the asking thread, from the channel's most recent
// 2^order samples: window, real FFT, band powers.
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
    static constexpr unsigned c_nHistoryFrames = 2u << c_nMaxOrder;  // twice the longest FFT

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

    // Streaming side: Append each channel's samples of a chunk, then Publish.
    void Append(unsigned nChannel, const double* pdblSamples, unsigned nFrames);
    void Publish(unsigned nFrames) { m_nWritten.store(m_nWritten.load(std::memory_order_relaxed) + nFrames, std::memory_order_release); }

    void SetSettings(const CSettings& settings);
    CSettings Settings() const;

    // nBands must be 11 * bands per octave (not 0). *pnFilled is 0 while
    // fewer than 2^order samples have arrived, else nBands. False for a
    // band count that does not match the settings.
    bool Compute(unsigned nChannel, unsigned nBands, unsigned* pnFilled, double* pdblBands);

private:
    void Prepare(const CSettings& settings);
    bool CopyLatest(unsigned nChannel, unsigned nSize);

    unsigned m_nChannels = 0;
    unsigned m_nSampleRate = 48000;
    std::unique_ptr<float[]> m_rgHistory;  // c_nHistoryFrames per channel
    std::atomic<uint64_t> m_nWritten{0};

    mutable std::mutex m_mutexSettings;
    CSettings m_settings;

    std::mutex m_mutexCompute;  // one computation at a time, with its buffers
    CSettings m_prepared;
    bool m_bPrepared = false;
    std::unique_ptr<CRealFft> m_rgFfts[c_nMaxOrder + 1];
    std::vector<double> m_rgWindow, m_rgInput, m_rgBinRe, m_rgBinIm;
    CBandLayout m_bands;
};

}  // namespace quelmar
