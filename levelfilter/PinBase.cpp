#include "PinBase.h"

#include <cstring>

#include "Filter.h"
#include "MediaType.h"

CPinBase::CPinBase(CQuelmarFilter* pFilter, PIN_DIRECTION eDirection, LPCWSTR pszName, LPCWSTR pszId)
    : m_pFilter(pFilter), m_eDirection(eDirection), m_pszName(pszName), m_pszId(pszId)
{
}

CPinBase::~CPinBase()
{
    FreeMediaType(&m_mt);
}

STDMETHODIMP CPinBase::Disconnect()
{
    std::lock_guard<CCriticalSection> lock(m_pFilter->FilterLock());
    if (m_pFilter->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (!IsConnected())
        return S_FALSE;
    ClearConnection();
    OnDisconnect();
    return S_OK;
}

STDMETHODIMP CPinBase::ConnectedTo(IPin** ppPin)
{
    if (!ppPin)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_pFilter->FilterLock());
    *ppPin = nullptr;
    if (!m_spConnected)
        return VFW_E_NOT_CONNECTED;
    return m_spConnected.CopyTo(ppPin);
}

STDMETHODIMP CPinBase::ConnectionMediaType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_pFilter->FilterLock());
    std::lock_guard<std::mutex> chain(m_pFilter->ChainLock());  // a sample may change the type
    if (!m_spConnected) {
        memset(pmt, 0, sizeof(*pmt));
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(pmt, &m_mt);
}

STDMETHODIMP CPinBase::QueryPinInfo(PIN_INFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    pInfo->pFilter = m_pFilter;
    m_pFilter->AddRef();
    pInfo->dir = m_eDirection;
    lstrcpynW(pInfo->achName, m_pszName, MAX_PIN_NAME);
    return S_OK;
}

STDMETHODIMP CPinBase::QueryDirection(PIN_DIRECTION* pPinDir)
{
    if (!pPinDir)
        return E_POINTER;
    *pPinDir = m_eDirection;
    return S_OK;
}

STDMETHODIMP CPinBase::QueryId(LPWSTR* pId)
{
    if (!pId)
        return E_POINTER;
    size_t cb = (lstrlenW(m_pszId) + 1) * sizeof(WCHAR);
    *pId = static_cast<LPWSTR>(CoTaskMemAlloc(cb));
    if (!*pId)
        return E_OUTOFMEMORY;
    memcpy(*pId, m_pszId, cb);
    return S_OK;
}

STDMETHODIMP CPinBase::QueryInternalConnections(IPin** /*apPin*/, ULONG* /*nPin*/)
{
    return E_NOTIMPL;
}

HRESULT CPinBase::SetConnection(IPin* pPin, const AM_MEDIA_TYPE* pmt)
{
    FreeMediaType(&m_mt);
    HRESULT hr = CopyMediaType(&m_mt, pmt);
    if (FAILED(hr))
        return hr;
    m_spConnected = pPin;
    return S_OK;
}

void CPinBase::ClearConnection()
{
    m_spConnected.Release();
    FreeMediaType(&m_mt);
}
