#include "RecordingSink.h"

#include <cstring>

CRecordingSink::~CRecordingSink() = default;

STDMETHODIMP CRecordingSink::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMemInputPin) {
        *ppv = static_cast<IMemInputPin*>(this);
        AddRef();
        return S_OK;
    }
    return CFakePin::QueryInterface(riid, ppv);
}

STDMETHODIMP CRecordingSink::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt)
{
    m_spConnector = pConnector;
    FreeMediaType(&m_mt);
    m_mt = *pmt;
    m_mt.pUnk = nullptr;
    m_mt.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(pmt->cbFormat));
    memcpy(m_mt.pbFormat, pmt->pbFormat, pmt->cbFormat);
    return S_OK;
}

STDMETHODIMP CRecordingSink::Disconnect()
{
    m_nDisconnects++;
    m_spConnector.Release();
    return S_OK;
}

STDMETHODIMP CRecordingSink::ConnectedTo(IPin** ppPin)
{
    *ppPin = nullptr;
    if (!m_spConnector)
        return VFW_E_NOT_CONNECTED;
    return m_spConnector.CopyTo(ppPin);
}

STDMETHODIMP CRecordingSink::Receive(IMediaSample* pSample)
{
    CReceived received = {0, GUID_NULL, {}};
    AM_MEDIA_TYPE* pmt = nullptr;
    if (pSample->GetMediaType(&pmt) == S_OK && pmt) {
        if (pmt->cbFormat >= sizeof(WAVEFORMATEX))
            received.nChannels = reinterpret_cast<const WAVEFORMATEX*>(pmt->pbFormat)->nChannels;
        received.subtype = pmt->subtype;
        FreeMediaType(pmt);
        CoTaskMemFree(pmt);
    }
    BYTE* pData = nullptr;
    pSample->GetPointer(&pData);
    received.rgData.assign(pData, pData + pSample->GetActualDataLength());
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rgReceived.push_back(std::move(received));
    return S_OK;
}

STDMETHODIMP CRecordingSink::ReceiveMultiple(IMediaSample** pSamples, long nSamples, long* pnProcessed)
{
    for (*pnProcessed = 0; *pnProcessed < nSamples; (*pnProcessed)++)
        Receive(pSamples[*pnProcessed]);
    return S_OK;
}

std::vector<CRecordingSink::CReceived> CRecordingSink::Received()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_rgReceived;
}
