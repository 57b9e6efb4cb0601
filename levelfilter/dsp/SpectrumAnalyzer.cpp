#include "SpectrumAnalyzer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Decibels.h"
#include "SampleKernels.h"

namespace quelmar {

void CSpectrumAnalyzer::Init(unsigned nChannels, unsigned nSampleRate)
{
    std::lock_guard<std::mutex> lock(m_mutexCompute);
    m_nChannels = nChannels;
    m_nSampleRate = nSampleRate;
    m_rgHistory.reset(new std::atomic<uint64_t>[static_cast<size_t>(nChannels) * c_nHistoryPairs]());  // zeros
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
    m_nFirstStored.store(0, std::memory_order_relaxed);
    m_nWritten.store(0, std::memory_order_release);
}

void CSpectrumAnalyzer::Skip(unsigned nFrames)
{
    // Published after the start of what is stored, so a reader that sees
    // these frames counted also sees that none of them is stored.
    const uint64_t nWritten = m_nWritten.load(std::memory_order_relaxed) + nFrames;
    m_nReserved.store(nWritten, std::memory_order_relaxed);
    m_nFirstStored.store(nWritten, std::memory_order_relaxed);
    m_nWritten.store(nWritten, std::memory_order_release);
}

void CSpectrumAnalyzer::Append(unsigned nChannel, const double* pdblSamples, unsigned nFrames)
{
    // Announce the frames about to be overwritten before touching them: the
    // release fence orders the announcement before every store below, so a
    // reader that sees one of those stores also sees the announcement.
    uint64_t nWritten = m_nWritten.load(std::memory_order_relaxed);
    m_nReserved.store(nWritten + nFrames, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    // A pair of frames at a time (one store of two floats); a chunk that
    // starts or ends between the two frames of a pair writes that pair with
    // its other frame as it was. Non-finite samples are dealt with when a
    // spectrum is computed.
    std::atomic<uint64_t>* pPairs = m_rgHistory.get() + static_cast<size_t>(nChannel) * c_nHistoryPairs;
    unsigned i = 0;
    if ((nWritten & 1) != 0 && nFrames > 0)
        StoreFrame(pPairs, nWritten + i++, pdblSamples[0]);
    // The whole pairs in at most two runs: up to the ring's end, then on from its start.
    for (unsigned nPairs = (nFrames - i) / 2; nPairs > 0;) {
        const size_t nPlace = PairIndex(nWritten + i);
        const unsigned nRun = static_cast<unsigned>(std::min<size_t>(nPairs, c_nHistoryPairs - nPlace));
        SampleKernels().pfnNarrowPairs(pdblSamples + i, nRun, pPairs + nPlace);
        i += 2 * nRun;
        nPairs -= nRun;
    }
    if (i < nFrames)
        StoreFrame(pPairs, nWritten + i, pdblSamples[i]);
}

uint32_t CSpectrumAnalyzer::FloatBits(double dblSample)
{
    float fl = static_cast<float>(dblSample);
    uint32_t nBits;
    std::memcpy(&nBits, &fl, sizeof(nBits));
    return nBits;
}

void CSpectrumAnalyzer::StoreFrame(std::atomic<uint64_t>* pPairs, uint64_t nFrame, double dblSample)
{
    // Only the streaming thread writes the ring: the pair read here is its own.
    std::atomic<uint64_t>& pair = pPairs[PairIndex(nFrame)];
    const unsigned nShift = (nFrame & 1) * 32;
    uint64_t nPair = pair.load(std::memory_order_relaxed) & ~(uint64_t{0xFFFFFFFFu} << nShift);
    pair.store(nPair | uint64_t{FloatBits(dblSample)} << nShift, std::memory_order_relaxed);
}

float CSpectrumAnalyzer::LoadFrame(const std::atomic<uint64_t>* pPairs, uint64_t nFrame)
{
    uint32_t nBits = static_cast<uint32_t>(pPairs[PairIndex(nFrame)].load(std::memory_order_relaxed) >> ((nFrame & 1) * 32));
    float fl;
    std::memcpy(&fl, &nBits, sizeof(fl));
    return fl;
}

void CSpectrumAnalyzer::SetSettings(const CSettings& settings)
{
    std::lock_guard<std::mutex> lock(m_mutexSettings);
    m_settings = settings;
    m_bOn.store(settings.nBandsPerOctave != 0, std::memory_order_relaxed);
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
    const std::atomic<uint64_t>* pPairs = m_rgHistory.get() + static_cast<size_t>(nChannel) * c_nHistoryPairs;
    for (int nAttempt = 0; nAttempt < c_nCopyAttempts; nAttempt++) {
        uint64_t nWritten = m_nWritten.load(std::memory_order_acquire);
        uint64_t nEnd = nEndFrame < nWritten ? nEndFrame : nWritten;
        if (nWritten - nEnd > nMaxLag)
            nEnd = nWritten - nMaxLag;
        if (nEnd < nSize)
            return false;
        uint64_t nStart = nEnd - nSize;
        if (nStart < m_nFirstStored.load(std::memory_order_relaxed))
            return false;  // not yet 2^order samples since the analysis was turned on
        for (unsigned i = 0; i < nSize; i++) {
            float fl = LoadFrame(pPairs, nStart + i);
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
