// Test doubles for filters and pins: each query a pin answers has a settable
// status, and filters hand out their pins in a given order.
#pragma once

#include "FakeObject.h"

#include <memory>

class CFakeFilter;

class CFakePin : public IPin {
public:
    CFakePin(CFakeFilter* pFilter, PIN_DIRECTION eDirection, LPCWSTR pszName = L"pin");
    ~CFakePin();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    FAKE_REFCOUNT()
    STDMETHODIMP Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** ppPin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* pInfo) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* pPinDir) override;
    STDMETHODIMP QueryId(LPWSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EndOfStream() override { return E_NOTIMPL; }
    STDMETHODIMP BeginFlush() override { return E_NOTIMPL; }
    STDMETHODIMP EndFlush() override { return E_NOTIMPL; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return E_NOTIMPL; }

    // Connects two fakes both ways (no reference held: the test owns both).
    static void Join(CFakePin* pOut, CFakePin* pIn);

    CFakeFilter* m_pFilter;
    PIN_DIRECTION m_eDirection;
    LPCWSTR m_pszName;
    CFakePin* m_pConnected = nullptr;
    AM_MEDIA_TYPE m_mt;             // what ConnectionMediaType copies out
    HRESULT m_hrQueryDirection = S_OK;
    HRESULT m_hrConnectionMediaType = S_OK;
    int m_nDisconnects = 0;
};

class CFakeFilter : public IBaseFilter {
public:
    explicit CFakeFilter(LPCWSTR pszName = L"filter", const CLSID& clsid = CLSID_NULL);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    FAKE_REFCOUNT()
    STDMETHODIMP GetClassID(CLSID* pClassID) override;
    STDMETHODIMP Stop() override { return S_OK; }
    STDMETHODIMP Pause() override { return S_OK; }
    STDMETHODIMP Run(REFERENCE_TIME) override { return S_OK; }
    STDMETHODIMP GetState(DWORD, FILTER_STATE* pState) override
    {
        *pState = State_Stopped;
        return S_OK;
    }
    STDMETHODIMP SetSyncSource(IReferenceClock*) override { return S_OK; }
    STDMETHODIMP GetSyncSource(IReferenceClock** ppClock) override
    {
        *ppClock = nullptr;
        return S_OK;
    }
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override;
    STDMETHODIMP FindPin(LPCWSTR, IPin**) override { return E_NOTIMPL; }
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph*, LPCWSTR) override { return S_OK; }
    STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    CFakePin* AddPin(PIN_DIRECTION eDirection);

    LPCWSTR m_pszName;
    CLSID m_clsid;
    HRESULT m_hrGetClassID = S_OK;
    HRESULT m_hrEnumPins = S_OK;    // a success other than S_OK hands out no enumerator
    HRESULT m_hrPinsAtEnd = S_FALSE;  // what the pin enumerator's Next answers after the last pin
    std::vector<std::unique_ptr<CFakePin>> m_rgPins;
};

// Enumerates a list of interface pointers (pins or filters) with AddRef'd
// copies; Next can be made to fail after some items.
template <class TEnum, class TItem>
class CFakeEnum : public TEnum {
public:
    explicit CFakeEnum(std::vector<TItem*> rgItems) : m_rgItems(std::move(rgItems)) {}
    virtual ~CFakeEnum() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == __uuidof(TEnum)) {
            *ppv = static_cast<TEnum*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRefs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG n = --m_nRefs;
        if (n == 0)
            delete this;
        return n;
    }
    STDMETHODIMP Next(ULONG cItems, TItem** ppItems, ULONG* pcFetched) override
    {
        ULONG nFetched = 0;
        while (nFetched < cItems && m_nPosition < m_rgItems.size()) {
            ppItems[nFetched] = m_rgItems[m_nPosition++];
            ppItems[nFetched++]->AddRef();
        }
        if (pcFetched)
            *pcFetched = nFetched;
        if (nFetched < cItems && m_hrAtEnd != S_FALSE)
            return m_hrAtEnd;
        return nFetched == cItems ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG) override { return E_NOTIMPL; }
    STDMETHODIMP Reset() override
    {
        m_nPosition = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(TEnum**) override { return E_NOTIMPL; }

    HRESULT m_hrAtEnd = S_FALSE;  // what Next answers once the list is done

private:
    ULONG m_nRefs = 1;
    std::vector<TItem*> m_rgItems;
    size_t m_nPosition = 0;
};
