#include "LevelChain.h"

#include "DenormalGuard.h"
#include "FloatFrames.h"
#include "SampleCodec.h"

namespace quelmar {

bool CLevelChain::Configure(const StreamFormat& format)
{
    if (!IsSupported(format))
        return false;
    m_format = format;
    m_rgScratch.reset(new double[static_cast<size_t>(format.nChannels) * c_nChunkFrames]);
    m_meterBefore.Init(format.nChannels, format.nSampleRate);
    m_meterAfter.Init(format.nChannels, format.nSampleRate);
    m_gain.Init(format.nChannels, format.nSampleRate);
    m_autoGain.Init(format.nChannels, format.nSampleRate);
    m_spectrum.Init(format.nChannels, format.nSampleRate);
    m_timeline.Init(format.nSampleRate);
    m_bConfigured = true;
    return true;
}

void CLevelChain::Reset()
{
    m_meterBefore.Reset();
    m_meterAfter.Reset();
    m_gain.Settle();
    m_autoGain.Reset();
    m_spectrum.Reset();
    m_detector.ResetHeld();
    m_timeline.Reset();
}

void CLevelChain::Process(uint8_t* pData, size_t nBytes)
{
    if (!m_bConfigured)
        return;
    CDenormalGuard guard;
    size_t nFrames = nBytes / (BytesPerSample(m_format.eType) * m_format.nChannels);
    switch (m_format.eType) {
    case SampleType::UInt8: ProcessFrames<SampleType::UInt8>(pData, nFrames); break;
    case SampleType::Int16: ProcessFrames<SampleType::Int16>(pData, nFrames); break;
    case SampleType::Int24: ProcessFrames<SampleType::Int24>(pData, nFrames); break;
    case SampleType::Int24In32: ProcessFrames<SampleType::Int24In32>(pData, nFrames); break;
    case SampleType::Int32: ProcessFrames<SampleType::Int32>(pData, nFrames); break;
    case SampleType::Float32: ProcessFrames<SampleType::Float32>(pData, nFrames); break;
    case SampleType::Float64: ProcessFrames<SampleType::Float64>(pData, nFrames); break;
    }
}

template <SampleType t_eType>
void CLevelChain::ProcessFrames(uint8_t* pData, size_t nFrames)
{
    const size_t nFrameBytes = BytesPerSample(t_eType) * m_format.nChannels;
    for (size_t nDone = 0; nDone < nFrames; nDone += c_nChunkFrames) {
        unsigned nChunk = static_cast<unsigned>(nFrames - nDone < c_nChunkFrames ? nFrames - nDone : c_nChunkFrames);
        uint8_t* pChunk = pData + nDone * nFrameBytes;
        DecodeChunk<t_eType>(pChunk, nChunk);
        ProcessChunk(nChunk);
        EncodeChunk<t_eType>(pChunk, nChunk);
    }
}

// Each channel's samples into its own run of the scratch buffer.
template <SampleType t_eType>
void CLevelChain::DecodeChunk(const uint8_t* pChunk, unsigned nFrames)
{
    const unsigned nChannels = m_format.nChannels;
    const size_t nStride = BytesPerSample(t_eType), nFrameBytes = nStride * nChannels;
    bool bExact = true;
    if (t_eType == SampleType::Float32 && TransposesFloats(nChannels)) {
        bExact = DeinterleaveFloats(pChunk, nChannels, nFrames, m_rgScratch.get(), c_nChunkFrames);
    } else {
        for (unsigned c = 0; c < nChannels; c++) {
            const uint8_t* pSample = pChunk + c * nStride;
            double* pdblChannel = &m_rgScratch[c * c_nChunkFrames];
            for (unsigned f = 0; f < nFrames; f++)
                bExact &= QuickCodec<t_eType>::Decode(pSample + f * nFrameBytes, pdblChannel + f);
        }
    }
    if (bExact)
        return;
    for (unsigned c = 0; c < nChannels; c++)
        for (unsigned f = 0; f < nFrames; f++)
            m_rgScratch[c * c_nChunkFrames + f] = SampleCodec<t_eType>::Decode(pChunk + f * nFrameBytes + c * nStride);
}

template <SampleType t_eType>
void CLevelChain::EncodeChunk(uint8_t* pChunk, unsigned nFrames) const
{
    const unsigned nChannels = m_format.nChannels;
    const size_t nStride = BytesPerSample(t_eType), nFrameBytes = nStride * nChannels;
    bool bExact = true;
    if (t_eType == SampleType::Float32 && TransposesFloats(nChannels)) {
        bExact = InterleaveFloats(m_rgScratch.get(), c_nChunkFrames, nChannels, nFrames, pChunk);
    } else {
        for (unsigned c = 0; c < nChannels; c++) {
            uint8_t* pSample = pChunk + c * nStride;
            const double* pdblChannel = &m_rgScratch[c * c_nChunkFrames];
            for (unsigned f = 0; f < nFrames; f++)
                bExact &= QuickCodec<t_eType>::Encode(pdblChannel[f], pSample + f * nFrameBytes);
        }
    }
    if (bExact)
        return;
    for (unsigned c = 0; c < nChannels; c++)
        for (unsigned f = 0; f < nFrames; f++)
            SampleCodec<t_eType>::Encode(m_rgScratch[c * c_nChunkFrames + f], pChunk + f * nFrameBytes + c * nStride);
}

void CLevelChain::ProcessChunk(unsigned nFrames)
{
    const bool bSpectrum = m_spectrum.IsOn();  // one answer for every channel of the chunk
    for (unsigned c = 0; c < m_format.nChannels; c++) {
        double* pdblChannel = &m_rgScratch[c * c_nChunkFrames];
        // The level before the gain is taken in the gain's own pass.
        const CGainStage::CRun run = m_gain.Advance(c, nFrames);
        const unsigned nBlockFrames = m_meterBefore.FramesPerBlock();
        m_meterBefore.AddSums(
            c, nFrames,
            [&run, pdblChannel](unsigned nAt, unsigned nTake) {
                return CGainStage::SumThenApply(run, pdblChannel, nAt, nTake);
            },
            [&run, pdblChannel, nBlockFrames](unsigned nAt, unsigned nBlocks, double* pdblSums) {
                CGainStage::BlockSumsThenApply(run, pdblChannel, nAt, nBlocks, nBlockFrames, pdblSums);
            });
        m_autoGain.Apply(c, pdblChannel, nFrames);
        m_meterAfter.Add(c, pdblChannel, nFrames);
        if (bSpectrum)
            m_spectrum.Append(c, pdblChannel, nFrames);
    }
    if (bSpectrum)
        m_spectrum.Publish(nFrames);
    else
        m_spectrum.Skip(nFrames);
    m_timeline.Advance(nFrames);
}

}  // namespace quelmar
