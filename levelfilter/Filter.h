// CQuelmarFilter: the level filter. A DirectShow in-place transform with one
// input and one output pin, controlled through IQuelmar and described by
// IQuelmarVersion.
//
// Locks: the filter lock (recursive, for state, connections and settings
// calls), the streaming lock (held by the input pin while it processes a
// sample) and the chain lock (held while the format changes, and by every
// call that reaches the chain's per-channel state). Stop takes the streaming
// lock after changing state, so it returns only when no sample is being
// processed; the streaming path never takes the filter lock, and nothing
// waits for the streaming lock while holding the chain lock, so the
// streaming thread may wait for the chain lock.
//
// What the program reads (levels, spectra, notifications) is the audio being
// heard: at stream time = reference clock - Run's start time, standing still
// while paused; the latest processed without a clock or while stopped. The
// notifications come from the filter's trigger thread, which runs while the
// filter runs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "../filter/DirectShow.h"
#include "../filter/Quelmar.h"
#include "CriticalSection.h"
#include "InputPin.h"
#include "OutputPin.h"
#include "dsp/LevelChain.h"

class CQuelmarFilter : public IBaseFilter, public IQuelmar, public IQuelmarVersion {
public:
    CQuelmarFilter();
    virtual ~CQuelmarFilter();
    CQuelmarFilter(const CQuelmarFilter&) = delete;
    CQuelmarFilter& operator=(const CQuelmarFilter&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersist, IMediaFilter, IBaseFilter
    STDMETHODIMP GetClassID(CLSID* pClassID) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* pState) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** pClock) override;
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override;
    STDMETHODIMP FindPin(LPCWSTR Id, IPin** ppPin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* pVendorInfo) override;

    // IQuelmar
    STDMETHODIMP GetChannelCount(ULONG* pnChannels) override;
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP GetLevel(ULONG nChannel, double* pdblLevel) override;
    STDMETHODIMP Reserved9() override { return E_NOTIMPL; }
    STDMETHODIMP SetGain(ULONG nChannel, double dblGain, ULONG nRampMs) override;
    STDMETHODIMP GetGain(ULONG nChannel, double* pdblGain) override;
    STDMETHODIMP SetAutoGain(ULONG nChannel, double dblThreshold, double dblGain) override;
    STDMETHODIMP GetAutoGain(ULONG nChannel, double* pdblThreshold, double* pdblGain) override;
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP AdviseEvent(ULONG bBefore, ULONG nChannel, double dblThreshold, ULONG nMinDurationMs, ULONG bAbove,
                             HANDLE hEvent, ULONG* pdwCookie) override;
    STDMETHODIMP Unadvise(ULONG dwCookie) override;
    STDMETHODIMP Reserved17() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved18() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved19() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved20() override { return E_NOTIMPL; }
    STDMETHODIMP SetBandsPerOctave(ULONG nBandsPerOctave) override;
    STDMETHODIMP GetBandsPerOctave(ULONG* pnBandsPerOctave) override;
    STDMETHODIMP SetFFT(QUELMAR_WINDOW eWindow, ULONG nOrder) override;
    STDMETHODIMP GetFFT(QUELMAR_WINDOW* peWindow, ULONG* pnOrder) override;
    STDMETHODIMP GetSpectrum(ULONG nChannel, ULONG nBands, ULONG* pnFilled, double* pdblBands) override;

    // IQuelmarVersion
    STDMETHODIMP GetType(ULONG* peType) override;
    STDMETHODIMP GetOS(ULONG* peOS) override;
    STDMETHODIMP GetName(BSTR* pbstrName) override;
    STDMETHODIMP GetNumber(BSTR* pbstrNumber) override;
    STDMETHODIMP GetDateTime(BSTR* pbstrDateTime) override;

    // For the pins.
    CCriticalSection& FilterLock() { return m_csFilter; }
    std::mutex& StreamingLock() { return m_mutexStreaming; }
    std::mutex& ChainLock() { return m_mutexChain; }
    FILTER_STATE State() const { return m_eState.load(); }
    quelmar::CLevelChain& Chain() { return m_chain; }
    IFilterGraph* Graph() const { return m_pGraph; }
    CInputPin& Input() { return m_pinIn; }
    COutputPin& Output() { return m_pinOut; }

private:
    // Whether nChannel addresses a channel (or, with bAllowAll, all of them);
    // both with the chain lock held, so the count stays current.
    bool IsChannel(ULONG nChannel, bool bAllowAll);
    unsigned Channels();
    // The frame being heard, with the filter and chain locks held.
    uint64_t HeardFrame();
    void StartTrigger();
    void StopTrigger();
    // The trigger thread: every 20 ms, the notifications at the heard frame.
    void RunTrigger(CComPtr<IReferenceClock> spClock, REFERENCE_TIME tStart);

    std::atomic<ULONG> m_nRefs{1};
    CCriticalSection m_csFilter;
    std::mutex m_mutexStreaming;
    std::mutex m_mutexChain;
    std::atomic<FILTER_STATE> m_eState{State_Stopped};
    REFERENCE_TIME m_tStart = 0;
    bool m_bPausedWhileHeard = false;  // paused after running: the heard time stands
    REFERENCE_TIME m_tPausedAt = 0;    // the stream time heard when paused
    std::thread m_threadTrigger;
    std::mutex m_mutexTrigger;
    std::condition_variable m_cvTrigger;
    bool m_bTriggerStop = false;
    CComPtr<IReferenceClock> m_spClock;
    // The graph that holds the filter; not counted, as every filter keeps it,
    // so that graph and filter do not keep each other alive.
    IFilterGraph* m_pGraph = nullptr;
    WCHAR m_szName[MAX_FILTER_NAME] = {};
    quelmar::CLevelChain m_chain;
    CInputPin m_pinIn;
    COutputPin m_pinOut;
};
