// The level filter's output pin. It offers exactly the input's type, hands
// the input's allocator downstream (samples are processed in place), and
// answers IMediaSeeking and IMediaPosition by forwarding to the pin that
// feeds the input, so duration and seeking work through the filter.
#pragma once

#include "PinBase.h"

class COutputPin : public CPinBase, public IMediaSeeking, public IMediaPosition {
public:
    explicit COutputPin(CQuelmarFilter* pFilter);

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

    // IMediaSeeking, forwarded upstream
    STDMETHODIMP GetCapabilities(DWORD* pCapabilities) override;
    STDMETHODIMP CheckCapabilities(DWORD* pCapabilities) override;
    STDMETHODIMP IsFormatSupported(const GUID* pFormat) override;
    STDMETHODIMP QueryPreferredFormat(GUID* pFormat) override;
    STDMETHODIMP GetTimeFormat(GUID* pFormat) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID* pFormat) override;
    STDMETHODIMP SetTimeFormat(const GUID* pFormat) override;
    STDMETHODIMP GetDuration(LONGLONG* pDuration) override;
    STDMETHODIMP GetStopPosition(LONGLONG* pStop) override;
    STDMETHODIMP GetCurrentPosition(LONGLONG* pCurrent) override;
    STDMETHODIMP ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                   const GUID* pSourceFormat) override;
    STDMETHODIMP SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags) override;
    STDMETHODIMP GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) override;
    STDMETHODIMP GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest) override;
    STDMETHODIMP SetRate(double dRate) override;
    STDMETHODIMP GetRate(double* pdRate) override;
    STDMETHODIMP GetPreroll(LONGLONG* pllPreroll) override;

    // IDispatch (no type information) and IMediaPosition, in seconds
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;
    STDMETHODIMP get_Duration(REFTIME* plength) override;
    STDMETHODIMP put_CurrentPosition(REFTIME llTime) override;
    STDMETHODIMP get_CurrentPosition(REFTIME* pllTime) override;
    STDMETHODIMP get_StopTime(REFTIME* pllTime) override;
    STDMETHODIMP put_StopTime(REFTIME llTime) override;
    STDMETHODIMP get_PrerollTime(REFTIME* pllTime) override;
    STDMETHODIMP put_PrerollTime(REFTIME llTime) override;
    STDMETHODIMP put_Rate(double dRate) override;
    STDMETHODIMP get_Rate(double* pdRate) override;
    STDMETHODIMP CanSeekForward(LONG* pCanSeekForward) override;
    STDMETHODIMP CanSeekBackward(LONG* pCanSeekBackward) override;

    // Streaming: passes a processed sample, or the stream's events, on.
    HRESULT Deliver(IMediaSample* pSample);
    IPin* Downstream() const { return m_spConnected; }
    // The input's type changed within the stream (the sample carries it on):
    // the output's connection takes it too.
    HRESULT FollowType(const AM_MEDIA_TYPE* pmt) { return m_spConnected ? SetConnection(m_spConnected, pmt) : S_OK; }
    // The input was connected anew: when downstream has another type or
    // allocator than the input's, the graph reconnects the output with the
    // input's type; its status when that fails.
    HRESULT FollowInput();

private:
    void OnDisconnect() override;
    // The seeking interface of the pin feeding the input.
    HRESULT UpstreamSeeking(IMediaSeeking** ppSeeking) const;
    template <class... TParams, class... TArgs>
    HRESULT ForwardSeeking(HRESULT (STDMETHODCALLTYPE IMediaSeeking::*pfnMethod)(TParams...), TArgs... args) const
    {
        CComPtr<IMediaSeeking> spSeeking;
        HRESULT hr = UpstreamSeeking(&spSeeking);
        if (FAILED(hr))
            return hr;
        return (spSeeking.p->*pfnMethod)(args...);
    }
    HRESULT GetSeconds(HRESULT (STDMETHODCALLTYPE IMediaSeeking::*pfnMethod)(LONGLONG*), REFTIME* pdblSeconds) const;
    HRESULT CanSeek(DWORD dwCapability, LONG* pbCan) const;

    CComPtr<IMemInputPin> m_spMemInput;
    CComPtr<IMemAllocator> m_spAllocator;  // the one downstream was given
};
