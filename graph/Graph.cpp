#include "Graph.h"

#include "GraphFileReader.h"

#include <cstdio>
#include <string>

namespace {

constexpr char c_szGrfExtension[] = ".grf";

// The last four characters equal ".grf", in any letter case of the user's
// locale; shorter names are media files.
bool IsSavedGraphName(LPCSTR pszName)
{
    int nLength = lstrlenA(pszName);
    return nLength >= 4 && CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, pszName + nLength - 4, 4,
                                          c_szGrfExtension, 4) == CSTR_EQUAL;
}

// Audio that reaches an audio renderer after rendering: uncompressed PCM or
// float in a WAVEFORMATEX block.
bool IsRenderedAudio(const AM_MEDIA_TYPE& mt)
{
    return IsEqualGUID(mt.majortype, MEDIATYPE_Audio) &&
           (IsEqualGUID(mt.subtype, MEDIASUBTYPE_PCM) || IsEqualGUID(mt.subtype, MEDIASUBTYPE_IEEE_FLOAT)) &&
           IsEqualGUID(mt.formattype, FORMAT_WaveFormatEx);
}

// The five renderer tests on a filter's pins, in enumeration order. S_OK
// with the renderer's input (ppIn) and the pin feeding it (ppOut) when they
// all pass; S_FALSE when any fails.
HRESULT TestAudioRenderer(IBaseFilter* pFilter, IPin** ppOut, IPin** ppIn)
{
    CComPtr<IEnumPins> spEnumPins;
    if (pFilter->EnumPins(&spEnumPins) != S_OK)
        return S_FALSE;
    CComPtr<IPin> spPin;
    ULONG cFetched = 0;
    if (spEnumPins->Next(1, &spPin, &cFetched) != S_OK || !spPin)
        return S_FALSE;
    PIN_DIRECTION ePinDir = PINDIR_OUTPUT;  // a direction that cannot be read counts as output
    if (spPin->QueryDirection(&ePinDir) != S_OK || ePinDir != PINDIR_INPUT)
        return S_FALSE;
    CComPtr<IPin> spConnected;
    if (spPin->ConnectedTo(&spConnected) != S_OK || !spConnected)
        return S_FALSE;
    AM_MEDIA_TYPE mt = {};
    HRESULT hr = spPin->ConnectionMediaType(&mt);
    bool bAudio = hr == S_OK && IsRenderedAudio(mt);
    FreeMediaType(&mt);
    if (!bAudio)
        return S_FALSE;
    CComPtr<IPin> spSecond;
    if (spEnumPins->Next(1, &spSecond, &cFetched) == S_OK)
        return S_FALSE;
    *ppOut = spConnected.Detach();
    *ppIn = spPin.Detach();
    return S_OK;
}

// A BSTR as 8-bit text in the thread's code page; empty for a null one.
std::string Narrow(const CComBSTR& cbs)
{
    return cbs.Length() ? std::string(CW2A(cbs)) : std::string();
}

}  // namespace

void CGraph::Reset()
{
    if (m_spGraph) {
        CComQIPtr<IMediaEventEx> spMediaEventEx(m_spGraph);
        if (spMediaEventEx)
            spMediaEventEx->SetNotifyWindow(0, 0, 0);
    }
    // An editor holds the graph too: released here it would play on.
    if (m_GraphEdit.HasEditor())
        Stop();
    m_GraphEdit.Close();
    m_spQuelmar.Release();
    m_spGraph.Release();
}

bool CGraph::IsRunning() const
{
    if (!m_spGraph)
        return true;
    CComQIPtr<IMediaControl> spMediaControl(m_spGraph);
    if (!spMediaControl)
        return false;
    OAFilterState eState = State_Stopped;
    spMediaControl->GetState(0, &eState);
    return eState == State_Running;
}

HRESULT CGraph::Run()
{
    return ControlGraph(&IMediaControl::Run);
}

HRESULT CGraph::Pause()
{
    return ControlGraph(&IMediaControl::Pause);
}

HRESULT CGraph::Stop()
{
    return ControlGraph(&IMediaControl::Stop);
}

HRESULT CGraph::ControlGraph(MediaCommand pfnCommand)
{
    if (!m_spGraph)
        return E_FAIL;
    CComQIPtr<IMediaControl> spMediaControl(m_spGraph);
    if (!spMediaControl)
        return E_FAIL;
    return (spMediaControl.p->*pfnCommand)();
}

long CGraph::GetEvent(LONG_PTR* plParam1)
{
    if (!m_spGraph)
        return 0;
    CComQIPtr<IMediaEvent> spMediaEvent(m_spGraph);
    if (!spMediaEvent)
        return 0;
    long lEventCode = 0;
    LONG_PTR lParam1 = 0;
    LONG_PTR lParam2 = 0;
    if (spMediaEvent->GetEvent(&lEventCode, &lParam1, &lParam2, 0) != S_OK)
        return 0;
    if (plParam1)
        *plParam1 = lParam1;
    spMediaEvent->FreeEventParams(lEventCode, lParam1, lParam2);
    return lEventCode;
}

HRESULT CGraph::ShowGraph()
{
    m_GraphEdit.Close();
    if (!m_spGraph)
        return E_FAIL;
    return m_GraphEdit.ShowGraph(m_spGraph);
}

HRESULT CGraph::BuildGraph(LPCSTR pszName, HWND hWnd, UINT uMsg)
{
    if (!pszName || !IsWindow(hWnd))
        return E_INVALIDARG;
    Reset();
    HRESULT hr = m_spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER);
    if (hr != S_OK) {
        ATLTRACE("CGraph::BuildGraph(): m_spGraph.CoCreateInstance() FAILED\n");
        m_spGraph.Release();
        return hr;
    }
    CComPtr<IBaseFilter> spFilter;
    if (IsSavedGraphName(pszName)) {
        hr = BuildFromGRFFile(pszName);
        if (hr != S_OK)
            return hr;
        hr = CheckFilter(CLSID_Quelmar, &spFilter);
    } else {
        hr = BuildFromMediaFile(pszName, &spFilter);
    }
    if (hr != S_OK)
        return hr;
    spFilter.QueryInterface(&m_spQuelmar);  // required of the filter; without it the filter calls fail
    CComQIPtr<IMediaEventEx> spMediaEventEx(m_spGraph);
    if (spMediaEventEx)
        spMediaEventEx->SetNotifyWindow(reinterpret_cast<OAHWND>(hWnd), uMsg, 0);
    return S_OK;
}

HRESULT CGraph::BuildFromMediaFile(LPCSTR pszName, IBaseFilter** ppFilter)
{
    if (!pszName)
        return E_INVALIDARG;
    if (!ppFilter)
        return E_POINTER;
    if (!m_spGraph)
        return E_FAIL;
    *ppFilter = nullptr;
    HRESULT hr = m_spGraph->RenderFile(CA2W(pszName), nullptr);
    if (hr != S_OK)
        return hr;  // a partial rendering's success status is refused too
    CComPtr<IPin> spUpstreamPin;
    hr = FindUpstreamPin(&spUpstreamPin);
    if (hr != S_OK)
        return hr;
    CComPtr<IBaseFilter> spQuelmar;
    hr = spQuelmar.CoCreateInstance(CLSID_Quelmar, nullptr, CLSCTX_INPROC_SERVER);
    if (hr != S_OK) {
        ATLTRACE("CGraph::BuildGraph(): CoCreateInstance( Quelmar ) FAILED\n");
        return hr;
    }
    hr = m_spGraph->AddFilter(spQuelmar, L"Quelmar");
    if (hr != S_OK) {
        ATLTRACE("CGraph::BuildGraph(): m_spGraph->AddFilter( Quelmar ) FAILED\n");
        return hr;
    }
    hr = m_spGraph->Render(spUpstreamPin);
    if (hr != S_OK)
        return hr;
    CComPtr<IEnumPins> spEnumPins;
    hr = spQuelmar->EnumPins(&spEnumPins);
    if (hr != S_OK)
        return hr;
    for (;;) {
        CComPtr<IPin> spPin;
        ULONG cFetched = 0;
        if (spEnumPins->Next(1, &spPin, &cFetched) != S_OK)
            break;
        CComPtr<IPin> spConnected;
        if (spPin->ConnectedTo(&spConnected) != S_OK)
            return E_FAIL;
    }
    *ppFilter = spQuelmar.Detach();
    return S_OK;
}

HRESULT CGraph::FindUpstreamPin(IPin** ppUpstreamPin)
{
    if (!ppUpstreamPin)
        return E_POINTER;
    if (!m_spGraph)
        return E_FAIL;
    *ppUpstreamPin = nullptr;
    CComPtr<IEnumFilters> spEnumFilters;
    HRESULT hr = m_spGraph->EnumFilters(&spEnumFilters);
    if (hr != S_OK)
        return FAILED(hr) ? hr : E_FAIL;
    CComPtr<IPin> spOut, spIn;
    for (;;) {
        CComPtr<IBaseFilter> spFilter;
        ULONG cFetched = 0;
        hr = spEnumFilters->Next(1, &spFilter, &cFetched);
        if (hr != S_OK)
            return FAILED(hr) ? hr : E_FAIL;
        spOut.Release();
        spIn.Release();
        if (TestAudioRenderer(spFilter, &spOut, &spIn) == S_OK)
            break;
    }
    m_spGraph->Disconnect(spOut);
    m_spGraph->Disconnect(spIn);
    *ppUpstreamPin = spOut.Detach();
    return S_OK;
}

HRESULT CGraph::BuildFromGRFFile(LPCSTR pszFile)
{
    // Without IPersistStream (Wine's graph manager) our own reader builds the graph.
    CComPtr<IPersistStream> spPersistStream;
    HRESULT hr = m_spGraph.QueryInterface(&spPersistStream);
    if (FAILED(hr) && hr != E_NOINTERFACE)
        return hr;
    CComPtr<IStorage> spStorage;
    hr = StgOpenStorage(CA2W(pszFile), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &spStorage);
    if (hr != S_OK) {
        ATLTRACE("CGraph::BuildFromGRFFile(): Can't open .grf file\n");
        return hr;
    }
    CComPtr<IStream> spStream;
    hr = spStorage->OpenStream(L"ActiveMovieGraph", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &spStream);
    if (hr != S_OK) {
        ATLTRACE("CGraph::BuildFromGRFFile(): Invalid .grf file\n");
        return hr;
    }
    return spPersistStream ? LoadWithGraphManager(spPersistStream, spStream) : LoadWithOwnReader(spStream);
}

HRESULT CGraph::LoadWithGraphManager(IPersistStream* pPersistStream, IStream* pStream)
{
    HRESULT hr = pPersistStream->Load(pStream);
    if (FAILED(hr)) {
        ATLTRACE("CGraph::BuildFromGRFFile(): Can't load data from .grf file\n");
        return hr;
    }
    return S_OK;
}

// A failure discards the graph manager, so no half-built graph stays.
HRESULT CGraph::LoadWithOwnReader(IStream* pStream)
{
    HRESULT hr = CGraphFileReader(m_spGraph).Load(pStream);
    if (hr != S_OK) {
        ATLTRACE("CGraph::BuildFromGRFFile(): Can't load data from .grf file\n");
        m_spGraph.Release();
    }
    return hr;
}

HRESULT CGraph::CheckFilter(REFCLSID clsid, IBaseFilter** ppFilter)
{
    if (IsEmpty())
        return E_FAIL;
    if (ppFilter)
        *ppFilter = nullptr;
    CComPtr<IEnumFilters> spEnumFilters;
    HRESULT hr = m_spGraph->EnumFilters(&spEnumFilters);
    if (hr != S_OK || !spEnumFilters)
        return FAILED(hr) ? hr : E_FAIL;
    CComPtr<IBaseFilter> spFilter;
    for (;;) {
        spFilter.Release();
        ULONG cFetched = 0;
        hr = spEnumFilters->Next(1, &spFilter, &cFetched);
        if (FAILED(hr))
            return hr;  // the walk broke: the rest of the graph is unknown
        if (hr != S_OK || !spFilter) {
            ATLTRACE("CGraph::CheckFilter(): Wanted filter not found\n");
            return E_FAIL;
        }
        CLSID clsidFilter = CLSID_NULL;
        spFilter->GetClassID(&clsidFilter);
        if (IsEqualCLSID(clsidFilter, clsid))
            break;
    }
    hr = CheckFilterPins(spFilter);
    if (hr != S_OK)
        return hr;
    if (ppFilter)
        *ppFilter = spFilter.Detach();
    return S_OK;
}

HRESULT CGraph::CheckFilterPins(IBaseFilter* pFilter)
{
    CComPtr<IEnumPins> spEnumPins;
    HRESULT hr = pFilter->EnumPins(&spEnumPins);
    if (hr != S_OK || !spEnumPins)
        return FAILED(hr) ? hr : E_FAIL;
    bool bInputSeen = false;
    bool bOutputSeen = false;
    for (;;) {
        CComPtr<IPin> spPin;
        ULONG cFetched = 0;
        hr = spEnumPins->Next(1, &spPin, &cFetched);
        if (FAILED(hr))
            return hr;  // the walk broke: pins may be missing
        if (hr != S_OK || !spPin)
            break;
        if (bInputSeen && bOutputSeen) {
            ATLTRACE("CGraph::CheckFilter(): number of pins > 2\n");
            return E_FAIL;
        }
        PIN_DIRECTION ePinDir = PINDIR_INPUT;
        hr = spPin->QueryDirection(&ePinDir);
        if (FAILED(hr)) {
            ATLTRACE("CGraph::CheckFilter(): spPin->QueryDirection() FAILED\n");
            return hr;
        }
        bool& bSeen = ePinDir == PINDIR_INPUT ? bInputSeen : bOutputSeen;
        if (bSeen) {
            ATLTRACE(ePinDir == PINDIR_INPUT ? "CGraph::CheckFilter(): Second input pin found\n"
                                             : "CGraph::CheckFilter(): Second output pin found\n");
            return E_FAIL;
        }
        bSeen = true;
        CComPtr<IPin> spConnectedPin;
        if (FAILED(spPin->ConnectedTo(&spConnectedPin)) || !spConnectedPin) {
            ATLTRACE("CGraph::CheckFilter(): Pin of wanted filter not connected\n");
            return E_FAIL;
        }
    }
    if (!bInputSeen || !bOutputSeen) {
        ATLTRACE("CGraph::CheckFilter(): number of pins < 2\n");
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CGraph::Seeking(IMediaSeeking** ppSeeking)
{
    return m_spGraph->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(ppSeeking));
}

template <class... TArgs>
HRESULT CGraph::QuerySeeking(HRESULT (STDMETHODCALLTYPE IMediaSeeking::*pfnMethod)(TArgs...), TArgs... args)
{
    if (IsEmpty())
        return E_FAIL;
    CComPtr<IMediaSeeking> spMediaSeeking;
    HRESULT hr = Seeking(&spMediaSeeking);
    return FAILED(hr) ? hr : (spMediaSeeking.p->*pfnMethod)(args...);
}

HRESULT CGraph::GetAvailable(LONGLONG* pllEarliest, LONGLONG* pllLatest)
{
    if (!pllEarliest || !pllLatest)
        return E_POINTER;
    *pllEarliest = 0;
    *pllLatest = 0;
    return QuerySeeking(&IMediaSeeking::GetAvailable, pllEarliest, pllLatest);
}

HRESULT CGraph::GetDuration(LONGLONG* pllDuration)
{
    if (!pllDuration)
        return E_POINTER;
    *pllDuration = 0;
    return QuerySeeking(&IMediaSeeking::GetDuration, pllDuration);
}

HRESULT CGraph::GetPosition(LONGLONG* pllPosition)
{
    if (!pllPosition)
        return E_POINTER;
    *pllPosition = 0;
    return QuerySeeking(&IMediaSeeking::GetCurrentPosition, pllPosition);
}

HRESULT CGraph::SetPosition(LONGLONG llPos)
{
    if (IsEmpty())
        return E_FAIL;
    CComPtr<IMediaSeeking> spMediaSeeking;
    HRESULT hr = Seeking(&spMediaSeeking);
    if (FAILED(hr))
        return hr;
    return spMediaSeeking->SetPositions(&llPos, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}

HRESULT CGraph::SetPositionRatio(double dblRatio)
{
    if (IsEmpty())
        return E_FAIL;
    if (!(dblRatio > 0.0))  // NaN too
        dblRatio = 0.0;
    if (dblRatio > 1.0)
        dblRatio = 1.0;
    CComPtr<IMediaSeeking> spMediaSeeking;
    HRESULT hr = Seeking(&spMediaSeeking);
    if (FAILED(hr))
        return hr;
    LONGLONG llDuration = 0;
    spMediaSeeking->GetDuration(&llDuration);  // unreadable: the seek goes to the start
    // The product is kept within [0, duration] before converting: near 2^63
    // the double product does not fit a LONGLONG.
    double dblPos = static_cast<double>(llDuration) * dblRatio;
    LONGLONG llPos = 0;
    if (dblPos > 0.0)
        llPos = dblPos >= static_cast<double>(llDuration) ? llDuration : static_cast<LONGLONG>(dblPos);
    return spMediaSeeking->SetPositions(&llPos, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}

HRESULT CGraph::AdviseEvent(HANDLE hEvent, ULONG bBefore, ULONG nChannel, double dblThreshold, ULONG nMinDuration,
                            ULONG bAbove, DWORD* pdwCookie)
{
    if (!m_spQuelmar)
        return E_FAIL;
    HRESULT hr = m_spQuelmar->AdviseEvent(bBefore, nChannel, dblThreshold, nMinDuration, bAbove, hEvent,
                                          reinterpret_cast<ULONG*>(pdwCookie));
    if (hr != S_OK)
        ATLTRACE("CGraph::AdviseEvent(): m_spQuelmar->AdviseEvent() FAILED\n");
    return hr;
}

HRESULT CGraph::UnadviseEvent(DWORD dwCookie)
{
    if (!m_spQuelmar)
        return E_FAIL;
    HRESULT hr = m_spQuelmar->Unadvise(dwCookie);
    if (hr != S_OK)
        ATLTRACE("CGraph::UnadviseEvent(): m_spQuelmar->Unadvise() FAILED\n");
    return hr;
}

HRESULT CGraph::GetFilterVersion(CComBSTR& cbsVersion)
{
    cbsVersion.Empty();
    if (!m_spQuelmar)
        return S_FALSE;
    CComQIPtr<IQuelmarVersion> spVersion(m_spQuelmar);
    if (!spVersion)
        return E_NOINTERFACE;
    ULONG eType = 0;
    ULONG eOS = 0;
    CComBSTR cbsName, cbsNumber, cbsDateTime;
    spVersion->GetType(&eType);
    spVersion->GetOS(&eOS);
    spVersion->GetName(&cbsName);
    spVersion->GetNumber(&cbsNumber);
    spVersion->GetDateTime(&cbsDateTime);
    // Empty or null fields add nothing; an overlong text is cut to fit.
    char sz[512];
    snprintf(sz, sizeof(sz), "%s [%s%s v.%s %s]", Narrow(cbsName).c_str(), eType ? "R" : "D", eOS ? "64" : "32",
             Narrow(cbsNumber).c_str(), Narrow(cbsDateTime).c_str());
    cbsVersion = CA2W(sz);
    return S_OK;
}
