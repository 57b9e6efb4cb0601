// The real level filter (QuelmarFilter.dll, loaded next to the test program)
// behind a recorder: it streams in Wine's graph as the real one does, and
// every IQuelmar call is recorded with its arguments before it is passed on.
// Register it over CLSID_Quelmar (CRegisteredFake) to see what a program
// sends the filter.
#pragma once

#include "FakeObject.h"
#include "../../filter/Quelmar.h"

class CRecordingLevelFilter : public IBaseFilter, public IQuelmar {
public:
    CRecordingLevelFilter();
    bool Loaded() const { return m_spInnerQuelmar != nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    FAKE_REFCOUNT()

    // IPersist, IMediaFilter, IBaseFilter: the real filter's.
    STDMETHODIMP GetClassID(CLSID* pClassID) override { return m_spInner->GetClassID(pClassID); }
    STDMETHODIMP Stop() override { return m_spInner->Stop(); }
    STDMETHODIMP Pause() override { return m_spInner->Pause(); }
    STDMETHODIMP Run(REFERENCE_TIME tStart) override { return m_spInner->Run(tStart); }
    STDMETHODIMP GetState(DWORD dwMs, FILTER_STATE* pState) override { return m_spInner->GetState(dwMs, pState); }
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override { return m_spInner->SetSyncSource(pClock); }
    STDMETHODIMP GetSyncSource(IReferenceClock** ppClock) override { return m_spInner->GetSyncSource(ppClock); }
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override { return m_spInner->EnumPins(ppEnum); }
    STDMETHODIMP FindPin(LPCWSTR pszId, IPin** ppPin) override { return m_spInner->FindPin(pszId, ppPin); }
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override { return m_spInner->QueryFilterInfo(pInfo); }
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pszName) override
    {
        return m_spInner->JoinFilterGraph(pGraph, pszName);
    }
    STDMETHODIMP QueryVendorInfo(LPWSTR* ppszInfo) override { return m_spInner->QueryVendorInfo(ppszInfo); }

    // IQuelmar: recorded, then the real filter's.
    STDMETHODIMP GetChannelCount(ULONG* pnChannels) override;
    STDMETHODIMP Reserved4() override { return Record("Reserved4", m_spInnerQuelmar->Reserved4()); }
    STDMETHODIMP Reserved5() override { return Record("Reserved5", m_spInnerQuelmar->Reserved5()); }
    STDMETHODIMP Reserved6() override { return Record("Reserved6", m_spInnerQuelmar->Reserved6()); }
    STDMETHODIMP Reserved7() override { return Record("Reserved7", m_spInnerQuelmar->Reserved7()); }
    STDMETHODIMP GetLevel(ULONG nChannel, double* pdblLevel) override;
    STDMETHODIMP Reserved9() override { return Record("Reserved9", m_spInnerQuelmar->Reserved9()); }
    STDMETHODIMP SetGain(ULONG nChannel, double dblGain, ULONG nRampMs) override;
    STDMETHODIMP GetGain(ULONG nChannel, double* pdblGain) override;
    STDMETHODIMP SetAutoGain(ULONG nChannel, double dblThreshold, double dblGain) override;
    STDMETHODIMP GetAutoGain(ULONG nChannel, double* pdblThreshold, double* pdblGain) override;
    STDMETHODIMP Reserved14() override { return Record("Reserved14", m_spInnerQuelmar->Reserved14()); }
    STDMETHODIMP AdviseEvent(ULONG bBefore, ULONG nChannel, double dblThreshold, ULONG nMinDurationMs, ULONG bAbove,
                             HANDLE hEvent, ULONG* pdwCookie) override;
    STDMETHODIMP Unadvise(ULONG dwCookie) override;
    STDMETHODIMP Reserved17() override { return Record("Reserved17", m_spInnerQuelmar->Reserved17()); }
    STDMETHODIMP Reserved18() override { return Record("Reserved18", m_spInnerQuelmar->Reserved18()); }
    STDMETHODIMP Reserved19() override { return Record("Reserved19", m_spInnerQuelmar->Reserved19()); }
    STDMETHODIMP Reserved20() override { return Record("Reserved20", m_spInnerQuelmar->Reserved20()); }
    STDMETHODIMP SetBandsPerOctave(ULONG nBandsPerOctave) override;
    STDMETHODIMP GetBandsPerOctave(ULONG* pnBandsPerOctave) override;
    STDMETHODIMP SetFFT(QUELMAR_WINDOW eWindow, ULONG nOrder) override;
    STDMETHODIMP GetFFT(QUELMAR_WINDOW* peWindow, ULONG* pnOrder) override;
    STDMETHODIMP GetSpectrum(ULONG nChannel, ULONG nBands, ULONG* pnFilled, double* pdblBands) override;

    // "SetGain(4294967295,-1,250)" and the like, in call order.
    std::vector<std::string> m_rgCalls;
    ULONG m_dwLastCookie = 0;  // the cookie the last AdviseEvent handed out
    // A filter that hangs: while set, SetGain waits for this event (at most
    // c_dwHoldLimitMs, so a test that never sets it fails instead of hanging).
    HANDLE m_hHoldSetGain = nullptr;
    static constexpr DWORD c_dwHoldLimitMs = 120000;
    // The calls whose text begins with strPrefix.
    std::vector<std::string> Calls(const std::string& strPrefix) const;

private:
    HRESULT Record(const std::string& strCall, HRESULT hr)
    {
        m_rgCalls.push_back(strCall);
        return hr;
    }

    CComPtr<IBaseFilter> m_spInner;
    CComPtr<IQuelmar> m_spInnerQuelmar;
};
