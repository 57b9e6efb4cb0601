// Per-channel settings written by any thread and read by the streaming
// thread without ever waiting: a setter bumps the channel's version; the
// streaming thread takes the new value at its next block if the lock is free.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

namespace quelmar {

template <class TValue>
class CChannelSettings {
public:
    // Keeps the values of the channels that remain; new channels get TValue().
    void Resize(unsigned nChannels)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::unique_ptr<TValue[]> rgValues(new TValue[nChannels]());
        for (unsigned i = 0; i < nChannels && i < m_nChannels; i++)
            rgValues[i] = m_rgValues[i];
        m_rgValues = std::move(rgValues);
        m_rgVersions.reset(new std::atomic<unsigned>[nChannels]);
        for (unsigned i = 0; i < nChannels; i++)
            m_rgVersions[i].store(1, std::memory_order_relaxed);
        m_nChannels = nChannels;
    }

    // A channel beyond the current count (the format changed since the
    // caller looked) is left alone.
    void Set(unsigned nChannel, const TValue& value)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (nChannel >= m_nChannels)
            return;
        m_rgValues[nChannel] = value;
        m_rgVersions[nChannel].fetch_add(1, std::memory_order_release);
    }

    // TValue() for a channel beyond the current count.
    TValue Get(unsigned nChannel) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (nChannel >= m_nChannels)
            return TValue();
        return m_rgValues[nChannel];
    }

    // Streaming side: true with the value when it changed since *pnSeen and
    // the lock was free; false leaves *pnSeen for the next try.
    bool TryPickUp(unsigned nChannel, unsigned* pnSeen, TValue* pValue) const
    {
        if (m_rgVersions[nChannel].load(std::memory_order_acquire) == *pnSeen)
            return false;
        std::unique_lock<std::mutex> lock(m_mutex, std::try_to_lock);
        if (!lock.owns_lock())
            return false;
        *pValue = m_rgValues[nChannel];
        *pnSeen = m_rgVersions[nChannel].load(std::memory_order_relaxed);
        return true;
    }

    // The current value and version, waiting for the lock (never streaming).
    TValue Snapshot(unsigned nChannel, unsigned* pnSeen) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        *pnSeen = m_rgVersions[nChannel].load(std::memory_order_relaxed);
        return m_rgValues[nChannel];
    }

    unsigned Channels() const { return m_nChannels; }

private:
    std::unique_ptr<TValue[]> m_rgValues;
    std::unique_ptr<std::atomic<unsigned>[]> m_rgVersions;
    unsigned m_nChannels = 0;
    mutable std::mutex m_mutex;
};

}  // namespace quelmar
