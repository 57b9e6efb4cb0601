#include "StreamTimeline.h"

namespace quelmar {

void CStreamTimeline::Init(unsigned nSampleRate)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nSampleRate = nSampleRate;
    m_nMarks = 0;
    m_nFrames = 0;
}

void CStreamTimeline::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nMarks = 0;
    m_nFrames = 0;
}

void CStreamTimeline::Mark(int64_t tStream)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rgMarks[m_nMarks % c_nMarks] = {m_nFrames, tStream};
    m_nMarks++;
}

void CStreamTimeline::Advance(unsigned nFrames)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nFrames += nFrames;
}

uint64_t CStreamTimeline::Latest() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nFrames;
}

uint64_t CStreamTimeline::FrameAt(int64_t tStream) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_nMarks == 0)
        return m_nFrames;
    // The newest mark at or before tStream; the oldest kept when none is.
    unsigned nKept = m_nMarks < c_nMarks ? m_nMarks : c_nMarks;
    const CMark* pMark = &m_rgMarks[(m_nMarks - nKept) % c_nMarks];
    for (unsigned i = 0; i < nKept; i++) {
        const CMark& mark = m_rgMarks[(m_nMarks - 1 - i) % c_nMarks];
        if (mark.tStream <= tStream) {
            pMark = &mark;
            break;
        }
    }
    int64_t tSince = tStream - pMark->tStream;
    if (tSince <= 0)
        return pMark->nFrame;
    double dblFrames = static_cast<double>(tSince) * m_nSampleRate / c_nUnitsPerSecond;
    if (pMark->nFrame > m_nFrames || dblFrames >= static_cast<double>(m_nFrames - pMark->nFrame))
        return m_nFrames;
    return pMark->nFrame + static_cast<uint64_t>(dblFrames);
}

}  // namespace quelmar
