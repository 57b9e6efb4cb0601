#include "InputPin.h"

#include "ComObject.h"
#include "Enumerators.h"
#include "Filter.h"
#include "MediaType.h"

CInputPin::CInputPin(CQuelmarFilter* pFilter) : CPinBase(pFilter, PINDIR_INPUT, L"Input", L"In") {}

CInputPin::~CInputPin() = default;

STDMETHODIMP CInputPin::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPin))
        return HandOut(static_cast<IPin*>(this), ppv);
    if (IsEqualIID(riid, IID_IMemInputPin))
        return HandOut(static_cast<IMemInputPin*>(this), ppv);
    return NoInterface(ppv);
}

STDMETHODIMP_(ULONG) CInputPin::AddRef()
{
    return m_pFilter->AddRef();
}

STDMETHODIMP_(ULONG) CInputPin::Release()
{
    return m_pFilter->Release();
}

STDMETHODIMP CInputPin::Connect(IPin* /*pReceivePin*/, const AM_MEDIA_TYPE* /*pmt*/)
{
    return E_UNEXPECTED;  // output pins make connections; an input pin receives them
}

STDMETHODIMP CInputPin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt)
{
    if (!pConnector || !pmt)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_pFilter->FilterLock());
    if (IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    if (m_pFilter->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    PIN_DIRECTION eDirection = PINDIR_INPUT;
    if (FAILED(pConnector->QueryDirection(&eDirection)) || eDirection != PINDIR_OUTPUT)
        return VFW_E_INVALID_DIRECTION;
    // A connected output is reconnected with the new type once the allocator
    // is known (NotifyAllocator), so only the type itself is checked here.
    quelmar::StreamFormat format;
    if (!ParseAudioType(pmt, &format))
        return VFW_E_TYPE_NOT_ACCEPTED;
    std::lock_guard<std::mutex> chain(m_pFilter->ChainLock());
    HRESULT hr = SetConnection(pConnector, pmt);
    if (FAILED(hr))
        return hr;
    m_pFilter->Chain().Configure(format);
    return S_OK;
}

void CInputPin::OnDisconnect()
{
    m_spAllocator.Release();
}

STDMETHODIMP CInputPin::QueryAccept(const AM_MEDIA_TYPE* pmt)
{
    quelmar::StreamFormat format;
    if (!ParseAudioType(pmt, &format))
        return S_FALSE;
    // With the output connected, a new input type must suit downstream too.
    COutputPin& output = m_pFilter->Output();
    if (output.IsConnected() && !MediaTypesEqual(pmt, &output.MediaType()) &&
        output.Downstream()->QueryAccept(pmt) != S_OK)
        return S_FALSE;
    return S_OK;
}

STDMETHODIMP CInputPin::EnumMediaTypes(IEnumMediaTypes** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumMediaTypes(nullptr, 0);  // the input prefers no type
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CInputPin::EndOfStream()
{
    std::lock_guard<std::mutex> streaming(m_pFilter->StreamingLock());
    IPin* pDownstream = m_pFilter->Output().Downstream();
    if (!IsConnected() || !pDownstream)
        return VFW_E_NOT_CONNECTED;
    if (m_bFlushing)
        return S_FALSE;
    return pDownstream->EndOfStream();
}

STDMETHODIMP CInputPin::BeginFlush()
{
    std::lock_guard<CCriticalSection> lock(m_pFilter->FilterLock());
    IPin* pDownstream = m_pFilter->Output().Downstream();
    if (!IsConnected() || !pDownstream)
        return VFW_E_NOT_CONNECTED;
    m_bFlushing = true;
    // Downstream unblocks a sample it holds, so a Receive under way returns.
    return pDownstream->BeginFlush();
}

STDMETHODIMP CInputPin::EndFlush()
{
    std::lock_guard<CCriticalSection> lock(m_pFilter->FilterLock());
    IPin* pDownstream = m_pFilter->Output().Downstream();
    if (!IsConnected() || !pDownstream)
        return VFW_E_NOT_CONNECTED;
    {
        // Receive refuses samples while flushing, so the streaming lock comes
        // free at once; what follows the seek starts from nothing.
        std::lock_guard<std::mutex> streaming(m_pFilter->StreamingLock());
        m_pFilter->Chain().Reset();
    }
    HRESULT hr = pDownstream->EndFlush();
    m_bFlushing = false;
    return hr;
}

STDMETHODIMP CInputPin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    IPin* pDownstream = m_pFilter->Output().Downstream();
    if (!pDownstream)
        return VFW_E_NOT_CONNECTED;
    return pDownstream->NewSegment(tStart, tStop, dRate);
}

STDMETHODIMP CInputPin::GetAllocator(IMemAllocator** ppAllocator)
{
    if (!ppAllocator)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_pFilter->FilterLock());
    *ppAllocator = nullptr;
    if (!m_spAllocator) {
        HRESULT hr = m_spAllocator.CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER);
        if (FAILED(hr))
            return hr;
    }
    return m_spAllocator.CopyTo(ppAllocator);
}

STDMETHODIMP CInputPin::NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly)
{
    if (!pAllocator)
        return E_POINTER;
    if (bReadOnly)
        return E_FAIL;  // samples are processed in place
    std::lock_guard<CCriticalSection> lock(m_pFilter->FilterLock());
    m_spAllocator = pAllocator;
    // The input was reconnected while the output stayed connected: downstream
    // must take the new type and allocator, or the connection fails here.
    return m_pFilter->Output().FollowInput();
}

STDMETHODIMP CInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* /*pProps*/)
{
    return E_NOTIMPL;
}

void CInputPin::Inactive()
{
    m_bFlushing = false;  // a Stop ends a flush that never saw its EndFlush
    if (m_spAllocator)
        m_spAllocator->Decommit();
}

HRESULT CInputPin::TakeSampleType(IMediaSample* pSample)
{
    AM_MEDIA_TYPE* pmt = nullptr;
    if (pSample->GetMediaType(&pmt) != S_OK || !pmt)
        return S_OK;
    HRESULT hr = S_OK;
    quelmar::StreamFormat format;
    if (!MediaTypesEqual(pmt, &m_mt)) {
        // A format change in the stream: follow it when it is one we accept,
        // the output with it, under the lock the program's calls take.
        std::lock_guard<std::mutex> lock(m_pFilter->ChainLock());
        if (!ParseAudioType(pmt, &format))
            hr = VFW_E_TYPE_NOT_ACCEPTED;
        if (SUCCEEDED(hr))
            hr = SetConnection(m_spConnected, pmt);
        if (SUCCEEDED(hr))
            hr = m_pFilter->Output().FollowType(pmt);
        if (SUCCEEDED(hr))
            m_pFilter->Chain().Configure(format);
    }
    DeleteMediaType(pmt);
    return hr;
}

HRESULT CInputPin::ProcessSample(IMediaSample* pSample)
{
    HRESULT hr = TakeSampleType(pSample);
    if (FAILED(hr))
        return hr;
    BYTE* pData = nullptr;
    hr = pSample->GetPointer(&pData);
    if (FAILED(hr))
        return hr;
    REFERENCE_TIME tStart = 0, tStop = 0;
    if (SUCCEEDED(pSample->GetTime(&tStart, &tStop)))  // VFW_S_NO_STOP_TIME too
        m_pFilter->Chain().MarkTime(tStart);
    long nLength = pSample->GetActualDataLength();
    if (pData && nLength > 0)
        m_pFilter->Chain().Process(pData, static_cast<size_t>(nLength));
    return m_pFilter->Output().Deliver(pSample);
}

STDMETHODIMP CInputPin::Receive(IMediaSample* pSample)
{
    if (!pSample)
        return E_POINTER;
    std::lock_guard<std::mutex> streaming(m_pFilter->StreamingLock());
    if (!IsConnected() || !m_pFilter->Output().IsConnected())
        return VFW_E_NOT_CONNECTED;
    if (m_pFilter->State() == State_Stopped)
        return VFW_E_WRONG_STATE;
    if (m_bFlushing)
        return S_FALSE;
    return ProcessSample(pSample);
}

STDMETHODIMP CInputPin::ReceiveMultiple(IMediaSample** pSamples, long nSamples, long* nSamplesProcessed)
{
    if (!pSamples || !nSamplesProcessed)
        return E_POINTER;
    HRESULT hr = S_OK;
    *nSamplesProcessed = 0;
    while (*nSamplesProcessed < nSamples) {
        hr = Receive(pSamples[*nSamplesProcessed]);
        if (hr != S_OK)
            break;
        (*nSamplesProcessed)++;
    }
    return hr;
}

STDMETHODIMP CInputPin::ReceiveCanBlock()
{
    IPin* pDownstream = m_pFilter->Output().Downstream();
    CComQIPtr<IMemInputPin> spMemInput(pDownstream);
    return spMemInput ? spMemInput->ReceiveCanBlock() : S_OK;
}
