// The level filter's input pin. It accepts the audio types of MediaType.h,
// processes each sample in place on the streaming thread and passes the same
// sample on through the output pin. The streaming path never takes the
// filter lock, so it never waits for a call made on the program's thread.
#pragma once

#include <atomic>

#include "PinBase.h"

class CInputPin : public CPinBase, public IMemInputPin {
public:
    explicit CInputPin(CQuelmarFilter* pFilter);
    ~CInputPin() override;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin
    STDMETHODIMP Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** ppAllocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) override;
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** pSamples, long nSamples, long* nSamplesProcessed) override;
    STDMETHODIMP ReceiveCanBlock() override;

    IMemAllocator* Allocator() const { return m_spAllocator; }
    // Called by the filter when it stops: samples in flight are refused.
    void Inactive();

private:
    void OnDisconnect() override;
    HRESULT ProcessSample(IMediaSample* pSample);
    HRESULT TakeSampleType(IMediaSample* pSample);

    CComPtr<IMemAllocator> m_spAllocator;
    std::atomic<bool> m_bFlushing{false};
};
