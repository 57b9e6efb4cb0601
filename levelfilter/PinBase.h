// What the level filter's two pins share: identity, the connection and its
// media type. The pins live inside the filter and count their references
// on it, so one count keeps the filter and both pins alive.
#pragma once

#include <atlcomcli.h>

#include "../filter/DirectShow.h"

class CQuelmarFilter;

class CPinBase : public IPin {
public:
    CPinBase(CQuelmarFilter* pFilter, PIN_DIRECTION eDirection, LPCWSTR pszName, LPCWSTR pszId);
    virtual ~CPinBase();
    CPinBase(const CPinBase&) = delete;
    CPinBase& operator=(const CPinBase&) = delete;

    // Only while stopped; S_FALSE when there is nothing to disconnect.
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** ppPin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* pInfo) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* pPinDir) override;
    STDMETHODIMP QueryId(LPWSTR* pId) override;
    STDMETHODIMP QueryInternalConnections(IPin** apPin, ULONG* nPin) override;

    bool IsConnected() const { return m_spConnected != nullptr; }
    IPin* ConnectedPin() const { return m_spConnected; }
    const AM_MEDIA_TYPE& MediaType() const { return m_mt; }
    LPCWSTR Id() const { return m_pszId; }

protected:
    // Records the connection (the type is copied); E_OUTOFMEMORY leaves none.
    HRESULT SetConnection(IPin* pPin, const AM_MEDIA_TYPE* pmt);
    void ClearConnection();
    // What a pin releases besides the connection itself.
    virtual void OnDisconnect() = 0;

    CQuelmarFilter* m_pFilter;
    PIN_DIRECTION m_eDirection;
    LPCWSTR m_pszName;
    LPCWSTR m_pszId;
    CComPtr<IPin> m_spConnected;
    AM_MEDIA_TYPE m_mt = {};
};
