// The level filter's signal processing on interleaved buffers, in place:
// per channel, the level before gain, the manual gain, the automatic gain,
// the level after gain and the spectrum history; then the notifications.
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

    CGainStage& Gain() { return m_gain; }
    CAutoGain& AutoGain() { return m_autoGain; }
    CLevelDetector& Detector() { return m_detector; }
    CSpectrumAnalyzer& Spectrum() { return m_spectrum; }
    const CLevelMeter& MeterAfter() const { return m_meterAfter; }
    const CLevelMeter& MeterBefore() const { return m_meterBefore; }

private:
    template <SampleType t_eType>
    void ProcessFrames(uint8_t* pData, size_t nFrames);
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
};

}  // namespace quelmar
