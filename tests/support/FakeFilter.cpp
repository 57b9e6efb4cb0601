#include "FakeFilter.h"

#include <cstring>

CFakePin::CFakePin(CFakeFilter* pFilter, PIN_DIRECTION eDirection, LPCWSTR pszName)
    : m_pFilter(pFilter), m_eDirection(eDirection), m_pszName(pszName), m_mt(MakeAudioType())
{
}

CFakePin::~CFakePin()
{
    FreeMediaType(&m_mt);
}

STDMETHODIMP CFakePin::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IUnknown || riid == IID_IPin) {
        *ppv = static_cast<IPin*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

void CFakePin::Join(CFakePin* pOut, CFakePin* pIn)
{
    pOut->m_pConnected = pIn;
    pIn->m_pConnected = pOut;
}

STDMETHODIMP CFakePin::Disconnect()
{
    m_nDisconnects++;
    m_pConnected = nullptr;
    return S_OK;
}

STDMETHODIMP CFakePin::ConnectedTo(IPin** ppPin)
{
    *ppPin = m_pConnected;
    if (!m_pConnected)
        return VFW_E_NOT_CONNECTED;
    m_pConnected->AddRef();
    return S_OK;
}

STDMETHODIMP CFakePin::ConnectionMediaType(AM_MEDIA_TYPE* pmt)
{
    if (FAILED(m_hrConnectionMediaType))
        return m_hrConnectionMediaType;
    *pmt = m_mt;
    if (m_mt.cbFormat) {
        pmt->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(m_mt.cbFormat));
        memcpy(pmt->pbFormat, m_mt.pbFormat, m_mt.cbFormat);
    }
    if (pmt->pUnk)
        pmt->pUnk->AddRef();
    return m_hrConnectionMediaType;
}

STDMETHODIMP CFakePin::QueryPinInfo(PIN_INFO* pInfo)
{
    pInfo->pFilter = m_pFilter;
    m_pFilter->AddRef();
    pInfo->dir = m_eDirection;
    lstrcpynW(pInfo->achName, m_pszName, MAX_PIN_NAME);
    return S_OK;
}

STDMETHODIMP CFakePin::QueryDirection(PIN_DIRECTION* pPinDir)
{
    *pPinDir = m_eDirection;
    return m_hrQueryDirection;
}

CFakeFilter::CFakeFilter(LPCWSTR pszName, const CLSID& clsid) : m_pszName(pszName), m_clsid(clsid) {}

STDMETHODIMP CFakeFilter::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMediaFilter || riid == IID_IBaseFilter) {
        *ppv = static_cast<IBaseFilter*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CFakeFilter::GetClassID(CLSID* pClassID)
{
    if (SUCCEEDED(m_hrGetClassID))
        *pClassID = m_clsid;
    return m_hrGetClassID;
}

STDMETHODIMP CFakeFilter::EnumPins(IEnumPins** ppEnum)
{
    *ppEnum = nullptr;
    if (m_hrEnumPins != S_OK)
        return m_hrEnumPins;
    std::vector<IPin*> rgPins;
    for (const std::unique_ptr<CFakePin>& spPin : m_rgPins)
        rgPins.push_back(spPin.get());
    auto* pEnum = new CFakeEnum<IEnumPins, IPin>(rgPins);
    pEnum->m_hrAtEnd = m_hrPinsAtEnd;
    *ppEnum = pEnum;
    return S_OK;
}

STDMETHODIMP CFakeFilter::QueryFilterInfo(FILTER_INFO* pInfo)
{
    lstrcpynW(pInfo->achName, m_pszName, MAX_FILTER_NAME);
    pInfo->pGraph = nullptr;
    return S_OK;
}

CFakePin* CFakeFilter::AddPin(PIN_DIRECTION eDirection)
{
    m_rgPins.push_back(std::make_unique<CFakePin>(this, eDirection));
    return m_rgPins.back().get();
}
