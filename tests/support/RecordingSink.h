// A downstream input pin that accepts any audio type and records the
// samples it receives: the media type each one carries and its bytes.
#pragma once

#include "FakeFilter.h"

#include <mutex>

class CRecordingSink : public CFakePin, public IMemInputPin {
public:
    explicit CRecordingSink(CFakeFilter* pFilter) : CFakePin(pFilter, PINDIR_INPUT, L"sink") {}
    ~CRecordingSink();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return CFakePin::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return CFakePin::Release(); }

    // IPin
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** ppPin) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override { return S_OK; }
    STDMETHODIMP EndOfStream() override { return S_OK; }
    STDMETHODIMP BeginFlush() override { return S_OK; }
    STDMETHODIMP EndFlush() override { return S_OK; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator**) override { return VFW_E_NO_ALLOCATOR; }
    STDMETHODIMP NotifyAllocator(IMemAllocator*, BOOL) override { return S_OK; }
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** pSamples, long nSamples, long* pnProcessed) override;
    STDMETHODIMP ReceiveCanBlock() override { return S_FALSE; }

    struct CReceived {
        WORD nChannels;       // of the type the sample carried; 0 when it carried none
        GUID subtype;
        std::vector<BYTE> rgData;
    };
    std::vector<CReceived> Received();

private:
    CComPtr<IPin> m_spConnector;
    std::mutex m_mutex;
    std::vector<CReceived> m_rgReceived;
};
