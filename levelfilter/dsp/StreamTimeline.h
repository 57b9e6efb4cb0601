// Where processed audio lies on the stream's time line: the streaming thread
// marks the stream time (100 ns units) of each buffer's first frame; any
// thread asks which frame is at a given stream time. Frames count from the
// last Reset. Without marks, every time maps to the latest frame processed.
#pragma once

#include <cstdint>
#include <mutex>

namespace quelmar {

class CStreamTimeline {
public:
    static constexpr int64_t c_nUnitsPerSecond = 10000000;

    void Init(unsigned nSampleRate);
    void Reset();

    // Streaming side: the next frame to be processed starts at tStream.
    void Mark(int64_t tStream);
    void Advance(unsigned nFrames);

    // The frame count at stream time tStream: between the mark before it
    // and the latest frame processed.
    uint64_t FrameAt(int64_t tStream) const;
    uint64_t Latest() const;

private:
    struct CMark {
        uint64_t nFrame;
        int64_t tStream;
    };
    static constexpr unsigned c_nMarks = 64;  // buffers of the last second or more

    mutable std::mutex m_mutex;  // held only for a copy or a search of the marks
    CMark m_rgMarks[c_nMarks] = {};
    unsigned m_nMarks = 0;  // marks made since the last Reset
    uint64_t m_nFrames = 0;
    unsigned m_nSampleRate = 48000;
};

}  // namespace quelmar
