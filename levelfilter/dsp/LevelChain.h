// The level filter's signal processing on interleaved buffers, in place:
// per channel, the level before gain, the manual gain, the automatic gain,
// the level after gain and the spectrum history, placed on the stream's
// time line. Levels, notifications and spectra are read at a frame of that
// time line (the one being heard), or at the latest frame processed.
// Configure allocates everything; Process allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "AutoGain.h"
#include "GainStage.h"
#include "LevelDetector.h"
#include "LevelMeter.h"
#include "SampleFormat.h"
#include "SpectrumAnalyzer.h"
#include "StreamTimeline.h"

namespace quelmar {

class CLevelChain {
public:
    static constexpr unsigned c_nChunkFrames = 256;

    explicit CLevelChain(CLevelDetector::PFNSIGNAL pfnSignal) : m_detector(pfnSignal) {}

    // False (and nothing changed) for a format outside the supported range.
    bool Configure(const StreamFormat& format);
    bool IsConfigured() const { return m_bConfigured; }
    const StreamFormat& Format() const { return m_format; }
    // A new stream, or a seek: meters at the floor, no spectrum history, no
    // auto-gain envelope, no time held by any notification, gains at their
    // targets.
    void Reset();

    // Processes the whole frames in nBytes bytes of pData in place.
    void Process(uint8_t* pData, size_t nBytes);
    // The next frame processed starts at stream time tStream (100 ns units).
    void MarkTime(int64_t tStream) { m_timeline.Mark(tStream); }

    const CStreamTimeline& Timeline() const { return m_timeline; }
    // The level after gain of the 50 ms ending at frame nFrame.
    double LevelDbAt(unsigned nChannel, uint64_t nFrame) const
    {
        return m_meterAfter.LevelDbAt(nChannel, nFrame / m_meterAfter.FramesPerBlock());
    }
    // Signals the notifications whose condition holds at frame nFrame,
    // dblStretchMs of stream time after the last call.
    void Notify(uint64_t nFrame, double dblStretchMs)
    {
        m_detector.Evaluate(m_meterBefore, m_meterAfter, dblStretchMs, nFrame / m_meterAfter.FramesPerBlock());
    }

    CGainStage& Gain() { return m_gain; }
    CAutoGain& AutoGain() { return m_autoGain; }
    CLevelDetector& Detector() { return m_detector; }
    CSpectrumAnalyzer& Spectrum() { return m_spectrum; }
    const CLevelMeter& MeterAfter() const { return m_meterAfter; }
    const CLevelMeter& MeterBefore() const { return m_meterBefore; }

private:
    template <SampleType t_eType>
    void ProcessFrames(uint8_t* pData, size_t nFrames);
    template <SampleType t_eType>
    void DecodeChunk(const uint8_t* pChunk, unsigned nFrames);
    template <SampleType t_eType>
    void EncodeChunk(uint8_t* pChunk, unsigned nFrames) const;
    void ProcessChunk(unsigned nFrames);

    StreamFormat m_format = {SampleType::Int16, 0, 0};
    bool m_bConfigured = false;
    std::unique_ptr<double[]> m_rgScratch;  // c_nChunkFrames per channel
    CLevelMeter m_meterBefore;
    CLevelMeter m_meterAfter;
    CGainStage m_gain;
    CAutoGain m_autoGain;
    CLevelDetector m_detector;
    CSpectrumAnalyzer m_spectrum;
    CStreamTimeline m_timeline;
};

}  // namespace quelmar
