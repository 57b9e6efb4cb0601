#include "OutputPin.h"

#include "ComObject.h"
#include "Enumerators.h"
#include "Filter.h"
#include "MediaType.h"

namespace {

constexpr double c_dblUnitsPerSecond = 10000000.0;  // reference time: 100 ns

}  // namespace

COutputPin::COutputPin(CQuelmarFilter* pFilter) : CPinBase(pFilter, PINDIR_OUTPUT, L"Output", L"Out") {}

STDMETHODIMP COutputPin::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPin))
        return HandOut(static_cast<IPin*>(this), ppv);
    if (IsEqualIID(riid, IID_IMediaSeeking))
        return HandOut(static_cast<IMediaSeeking*>(this), ppv);
    if (IsEqualIID(riid, IID_IMediaPosition) || IsEqualIID(riid, IID_IDispatch))
        return HandOut(static_cast<IMediaPosition*>(this), ppv);
    return NoInterface(ppv);
}

STDMETHODIMP_(ULONG) COutputPin::AddRef()
{
    return m_pFilter->AddRef();
}

STDMETHODIMP_(ULONG) COutputPin::Release()
{
    return m_pFilter->Release();
}

STDMETHODIMP COutputPin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt)
{
    if (!pReceivePin)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_pFilter->FilterLock());
    if (IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    if (m_pFilter->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    CInputPin& input = m_pFilter->Input();
    if (!input.IsConnected())
        return VFW_E_NO_ACCEPTABLE_TYPES;  // the output offers the input's type only
    const AM_MEDIA_TYPE& mt = input.MediaType();
    if (pmt && !IsEqualGUID(pmt->majortype, GUID_NULL) &&
        (!IsEqualGUID(pmt->majortype, mt.majortype) || !IsEqualGUID(pmt->subtype, mt.subtype) ||
         (!IsEqualGUID(pmt->formattype, GUID_NULL) && !MediaTypesEqual(pmt, &mt))))
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (!input.Allocator())
        return VFW_E_NO_ALLOCATOR;
    CComQIPtr<IMemInputPin> spMemInput(pReceivePin);
    if (!spMemInput)
        return E_NOINTERFACE;
    HRESULT hr = pReceivePin->ReceiveConnection(this, &mt);
    if (FAILED(hr))
        return hr;
    hr = spMemInput->NotifyAllocator(input.Allocator(), FALSE);
    if (SUCCEEDED(hr))
        hr = SetConnection(pReceivePin, &mt);
    if (FAILED(hr)) {
        pReceivePin->Disconnect();
        return hr;
    }
    m_spMemInput = spMemInput;
    m_spAllocator = input.Allocator();
    return S_OK;
}

HRESULT COutputPin::FollowInput()
{
    CInputPin& input = m_pFilter->Input();
    if (!IsConnected() || !input.IsConnected() ||
        (MediaTypesEqual(&m_mt, &input.MediaType()) && m_spAllocator == input.Allocator()))
        return S_OK;
    CComQIPtr<IFilterGraph2> spGraph(m_pFilter->Graph());
    if (!spGraph)
        return VFW_E_NOT_IN_GRAPH;
    return spGraph->ReconnectEx(this, &input.MediaType());
}

STDMETHODIMP COutputPin::ReceiveConnection(IPin* /*pConnector*/, const AM_MEDIA_TYPE* /*pmt*/)
{
    return E_UNEXPECTED;  // an output pin makes its connections
}

void COutputPin::OnDisconnect()
{
    m_spMemInput.Release();
    m_spAllocator.Release();
}

STDMETHODIMP COutputPin::QueryAccept(const AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    CInputPin& input = m_pFilter->Input();
    return input.IsConnected() && MediaTypesEqual(pmt, &input.MediaType()) ? S_OK : S_FALSE;
}

STDMETHODIMP COutputPin::EnumMediaTypes(IEnumMediaTypes** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_pFilter->FilterLock());
    CInputPin& input = m_pFilter->Input();
    const AM_MEDIA_TYPE* pmt = input.IsConnected() ? &input.MediaType() : nullptr;
    *ppEnum = new (std::nothrow) CEnumMediaTypes(pmt, pmt ? 1 : 0);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COutputPin::EndOfStream()
{
    return E_UNEXPECTED;
}

STDMETHODIMP COutputPin::BeginFlush()
{
    return E_UNEXPECTED;
}

STDMETHODIMP COutputPin::EndFlush()
{
    return E_UNEXPECTED;
}

STDMETHODIMP COutputPin::NewSegment(REFERENCE_TIME /*tStart*/, REFERENCE_TIME /*tStop*/, double /*dRate*/)
{
    return E_UNEXPECTED;
}

HRESULT COutputPin::Deliver(IMediaSample* pSample)
{
    if (!m_spMemInput)
        return VFW_E_NOT_CONNECTED;
    return m_spMemInput->Receive(pSample);
}

HRESULT COutputPin::UpstreamSeeking(IMediaSeeking** ppSeeking) const
{
    IPin* pUpstream = m_pFilter->Input().ConnectedPin();
    if (!pUpstream)
        return VFW_E_NOT_CONNECTED;
    return pUpstream->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(ppSeeking));
}

STDMETHODIMP COutputPin::GetCapabilities(DWORD* pCapabilities)
{
    return ForwardSeeking(&IMediaSeeking::GetCapabilities, pCapabilities);
}

STDMETHODIMP COutputPin::CheckCapabilities(DWORD* pCapabilities)
{
    return ForwardSeeking(&IMediaSeeking::CheckCapabilities, pCapabilities);
}

STDMETHODIMP COutputPin::IsFormatSupported(const GUID* pFormat)
{
    return ForwardSeeking(&IMediaSeeking::IsFormatSupported, pFormat);
}

STDMETHODIMP COutputPin::QueryPreferredFormat(GUID* pFormat)
{
    return ForwardSeeking(&IMediaSeeking::QueryPreferredFormat, pFormat);
}

STDMETHODIMP COutputPin::GetTimeFormat(GUID* pFormat)
{
    return ForwardSeeking(&IMediaSeeking::GetTimeFormat, pFormat);
}

STDMETHODIMP COutputPin::IsUsingTimeFormat(const GUID* pFormat)
{
    return ForwardSeeking(&IMediaSeeking::IsUsingTimeFormat, pFormat);
}

STDMETHODIMP COutputPin::SetTimeFormat(const GUID* pFormat)
{
    return ForwardSeeking(&IMediaSeeking::SetTimeFormat, pFormat);
}

STDMETHODIMP COutputPin::GetDuration(LONGLONG* pDuration)
{
    return ForwardSeeking(&IMediaSeeking::GetDuration, pDuration);
}

STDMETHODIMP COutputPin::GetStopPosition(LONGLONG* pStop)
{
    return ForwardSeeking(&IMediaSeeking::GetStopPosition, pStop);
}

STDMETHODIMP COutputPin::GetCurrentPosition(LONGLONG* pCurrent)
{
    return ForwardSeeking(&IMediaSeeking::GetCurrentPosition, pCurrent);
}

STDMETHODIMP COutputPin::ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                           const GUID* pSourceFormat)
{
    return ForwardSeeking(&IMediaSeeking::ConvertTimeFormat, pTarget, pTargetFormat, Source, pSourceFormat);
}

STDMETHODIMP COutputPin::SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags)
{
    return ForwardSeeking(&IMediaSeeking::SetPositions, pCurrent, dwCurrentFlags, pStop, dwStopFlags);
}

STDMETHODIMP COutputPin::GetPositions(LONGLONG* pCurrent, LONGLONG* pStop)
{
    return ForwardSeeking(&IMediaSeeking::GetPositions, pCurrent, pStop);
}

STDMETHODIMP COutputPin::GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest)
{
    return ForwardSeeking(&IMediaSeeking::GetAvailable, pEarliest, pLatest);
}

STDMETHODIMP COutputPin::SetRate(double dRate)
{
    return ForwardSeeking(&IMediaSeeking::SetRate, dRate);
}

STDMETHODIMP COutputPin::GetRate(double* pdRate)
{
    return ForwardSeeking(&IMediaSeeking::GetRate, pdRate);
}

STDMETHODIMP COutputPin::GetPreroll(LONGLONG* pllPreroll)
{
    return ForwardSeeking(&IMediaSeeking::GetPreroll, pllPreroll);
}

STDMETHODIMP COutputPin::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP COutputPin::GetTypeInfo(UINT /*iTInfo*/, LCID /*lcid*/, ITypeInfo** /*ppTInfo*/)
{
    return E_NOTIMPL;
}

STDMETHODIMP COutputPin::GetIDsOfNames(REFIID /*riid*/, LPOLESTR* /*rgszNames*/, UINT /*cNames*/, LCID /*lcid*/,
                                       DISPID* /*rgDispId*/)
{
    return E_NOTIMPL;
}

STDMETHODIMP COutputPin::Invoke(DISPID /*dispIdMember*/, REFIID /*riid*/, LCID /*lcid*/, WORD /*wFlags*/,
                                DISPPARAMS* /*pDispParams*/, VARIANT* /*pVarResult*/, EXCEPINFO* /*pExcepInfo*/,
                                UINT* /*puArgErr*/)
{
    return E_NOTIMPL;
}

HRESULT COutputPin::GetSeconds(HRESULT (STDMETHODCALLTYPE IMediaSeeking::*pfnMethod)(LONGLONG*),
                               REFTIME* pdblSeconds) const
{
    if (!pdblSeconds)
        return E_POINTER;
    LONGLONG llTime = 0;
    HRESULT hr = ForwardSeeking(pfnMethod, &llTime);
    if (SUCCEEDED(hr))
        *pdblSeconds = llTime / c_dblUnitsPerSecond;
    return hr;
}

STDMETHODIMP COutputPin::get_Duration(REFTIME* plength)
{
    return GetSeconds(&IMediaSeeking::GetDuration, plength);
}

STDMETHODIMP COutputPin::put_CurrentPosition(REFTIME llTime)
{
    LONGLONG llPosition = static_cast<LONGLONG>(llTime * c_dblUnitsPerSecond);
    return ForwardSeeking(&IMediaSeeking::SetPositions, &llPosition, static_cast<DWORD>(AM_SEEKING_AbsolutePositioning),
                          static_cast<LONGLONG*>(nullptr), static_cast<DWORD>(AM_SEEKING_NoPositioning));
}

STDMETHODIMP COutputPin::get_CurrentPosition(REFTIME* pllTime)
{
    return GetSeconds(&IMediaSeeking::GetCurrentPosition, pllTime);
}

STDMETHODIMP COutputPin::get_StopTime(REFTIME* pllTime)
{
    return GetSeconds(&IMediaSeeking::GetStopPosition, pllTime);
}

STDMETHODIMP COutputPin::put_StopTime(REFTIME llTime)
{
    LONGLONG llStop = static_cast<LONGLONG>(llTime * c_dblUnitsPerSecond);
    return ForwardSeeking(&IMediaSeeking::SetPositions, static_cast<LONGLONG*>(nullptr),
                          static_cast<DWORD>(AM_SEEKING_NoPositioning), &llStop,
                          static_cast<DWORD>(AM_SEEKING_AbsolutePositioning));
}

STDMETHODIMP COutputPin::get_PrerollTime(REFTIME* pllTime)
{
    return GetSeconds(&IMediaSeeking::GetPreroll, pllTime);
}

STDMETHODIMP COutputPin::put_PrerollTime(REFTIME /*llTime*/)
{
    return E_NOTIMPL;
}

STDMETHODIMP COutputPin::put_Rate(double dRate)
{
    return SetRate(dRate);
}

STDMETHODIMP COutputPin::get_Rate(double* pdRate)
{
    return GetRate(pdRate);
}

HRESULT COutputPin::CanSeek(DWORD dwCapability, LONG* pbCan) const
{
    if (!pbCan)
        return E_POINTER;
    DWORD dwCapabilities = 0;
    HRESULT hr = ForwardSeeking(&IMediaSeeking::GetCapabilities, &dwCapabilities);
    *pbCan = SUCCEEDED(hr) && (dwCapabilities & dwCapability) ? OATRUE : OAFALSE;
    return SUCCEEDED(hr) ? S_OK : hr;
}

STDMETHODIMP COutputPin::CanSeekForward(LONG* pCanSeekForward)
{
    return CanSeek(AM_SEEKING_CanSeekForwards, pCanSeekForward);
}

STDMETHODIMP COutputPin::CanSeekBackward(LONG* pCanSeekBackward)
{
    return CanSeek(AM_SEEKING_CanSeekBackwards, pCanSeekBackward);
}
