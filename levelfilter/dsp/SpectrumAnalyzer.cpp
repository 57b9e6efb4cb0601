#include "SpectrumAnalyzer.h"

#include <cmath>

#include "Decibels.h"

namespace quelmar {

void CSpectrumAnalyzer::Init(unsigned nChannels, unsigned nSampleRate)
{
    std::lock_guard<std::mutex> lock(m_mutexCompute);
    m_nChannels = nChannels;
    m_nSampleRate = nSampleRate;
    m_rgHistory.reset(new std::atomic<float>[static_cast<size_t>(nChannels) * c_nHistoryFrames]());  // zeros
    unsigned nMaxSize = 1u << c_nMaxOrder;
    m_rgWindow.assign(nMaxSize, 0.0);
    m_rgInput.assign(nMaxSize, 0.0);
    m_rgBinRe.assign(nMaxSize / 2 + 1, 0.0);
    m_rgBinIm.assign(nMaxSize / 2 + 1, 0.0);
    m_bPrepared = false;
    Reset();
}

void CSpectrumAnalyzer::Reset()
{
    m_nReserved.store(0, std::memory_order_relaxed);
    m_nWritten.store(0, std::memory_order_release);
}

void CSpectrumAnalyzer::Append(unsigned nChannel, const double* pdblSamples, unsigned nFrames)
{
    // Announce the frames about to be overwritten before touching them: the
    // release fence orders the announcement before every store below, so a
    // reader that sees one of those stores also sees the announcement.
    uint64_t nWritten = m_nWritten.load(std::memory_order_relaxed);
    m_nReserved.store(nWritten + nFrames, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    // Copies in at most two runs (the ring may wrap); non-finite samples are
    // dealt with when a spectrum is computed.
    std::atomic<float>* pHistory = m_rgHistory.get() + static_cast<size_t>(nChannel) * c_nHistoryFrames;
    unsigned nStart = static_cast<unsigned>(nWritten & (c_nHistoryFrames - 1));
    unsigned nFirstRun = nFrames < c_nHistoryFrames - nStart ? nFrames : c_nHistoryFrames - nStart;
    for (unsigned i = 0; i < nFirstRun; i++)
        pHistory[nStart + i].store(static_cast<float>(pdblSamples[i]), std::memory_order_relaxed);
    for (unsigned i = nFirstRun; i < nFrames; i++)
        pHistory[i - nFirstRun].store(static_cast<float>(pdblSamples[i]), std::memory_order_relaxed);
}

void CSpectrumAnalyzer::SetSettings(const CSettings& settings)
{
    std::lock_guard<std::mutex> lock(m_mutexSettings);
    m_settings = settings;
}

CSpectrumAnalyzer::CSettings CSpectrumAnalyzer::Settings() const
{
    std::lock_guard<std::mutex> lock(m_mutexSettings);
    return m_settings;
}

void CSpectrumAnalyzer::Prepare(const CSettings& settings)
{
    if (m_bPrepared && settings.nBandsPerOctave == m_prepared.nBandsPerOctave &&
        settings.eWindow == m_prepared.eWindow && settings.nOrder == m_prepared.nOrder)
        return;
    unsigned nSize = 1u << settings.nOrder;
    if (!m_rgFfts[settings.nOrder])
        m_rgFfts[settings.nOrder].reset(new CRealFft(settings.nOrder));
    FillWindow(settings.eWindow, nSize, m_rgWindow.data());
    m_bands.Prepare(settings.nBandsPerOctave, settings.nOrder, m_nSampleRate, m_rgWindow.data());
    m_prepared = settings;
    m_bPrepared = true;
}

bool CSpectrumAnalyzer::CopyEndingAt(unsigned nChannel, unsigned nSize, uint64_t nEndFrame)
{
    const uint64_t nMaxLag = c_nHistoryFrames - nSize - c_nSlackFrames;
    const std::atomic<float>* pHistory = m_rgHistory.get() + static_cast<size_t>(nChannel) * c_nHistoryFrames;
    for (int nAttempt = 0; nAttempt < c_nCopyAttempts; nAttempt++) {
        uint64_t nWritten = m_nWritten.load(std::memory_order_acquire);
        uint64_t nEnd = nEndFrame < nWritten ? nEndFrame : nWritten;
        if (nWritten - nEnd > nMaxLag)
            nEnd = nWritten - nMaxLag;
        if (nEnd < nSize)
            return false;
        uint64_t nStart = nEnd - nSize;
        for (unsigned i = 0; i < nSize; i++) {
            float fl = pHistory[(nStart + i) & (c_nHistoryFrames - 1)].load(std::memory_order_relaxed);
            m_rgInput[i] = std::isfinite(fl) ? fl * m_rgWindow[i] : 0.0;
        }
        // Intact unless a write announced by now reaches frame nStart's
        // place in the ring (frame nStart + c_nHistoryFrames or later).
        std::atomic_thread_fence(std::memory_order_acquire);
        if (m_nReserved.load(std::memory_order_relaxed) - nStart <= c_nHistoryFrames)
            return true;
    }
    return false;
}

bool CSpectrumAnalyzer::Compute(unsigned nChannel, unsigned nBands, unsigned* pnFilled, double* pdblBands,
                                uint64_t nEndFrame)
{
    CSettings settings = Settings();
    if (settings.nBandsPerOctave == 0 || nBands != c_nOctaves * settings.nBandsPerOctave || nChannel >= m_nChannels)
        return false;
    std::lock_guard<std::mutex> lock(m_mutexCompute);
    *pnFilled = 0;
    Prepare(settings);
    unsigned nSize = 1u << settings.nOrder;
    if (!CopyEndingAt(nChannel, nSize, nEndFrame))
        return true;
    m_rgFfts[settings.nOrder]->Forward(m_rgInput.data(), m_rgBinRe.data(), m_rgBinIm.data());
    m_bands.Levels(m_rgInput.data(), m_rgBinRe.data(), m_rgBinIm.data(), pdblBands);
    *pnFilled = nBands;
    return true;
}

}  // namespace quelmar
