#include "FakeGraph.h"

STDMETHODIMP CFakeGraph::QueryInterface(REFIID riid, void** ppv)
{
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IFilterGraph || riid == IID_IGraphBuilder)
        *ppv = static_cast<IGraphBuilder*>(this);
    else if (m_bMediaControl && riid == IID_IMediaControl)
        *ppv = static_cast<IMediaControl*>(this);
    else if (riid == IID_IMediaEvent || riid == IID_IMediaEventEx)
        *ppv = static_cast<IMediaEventEx*>(this);
    else if (riid == IID_IMediaSeeking)
        *ppv = static_cast<IMediaSeeking*>(this);
    else if (m_bPersistStream && (riid == IID_IPersistStream || riid == IID_IPersist))
        *ppv = static_cast<IPersistStream*>(this);
    if (!*ppv)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP CFakeGraph::AddFilter(IBaseFilter* pFilter, LPCWSTR pName)
{
    m_rgAddedNames.push_back(pName ? pName : L"");
    if (SUCCEEDED(m_hrAddFilter))
        m_rgFilters.insert(m_rgFilters.begin(), pFilter);
    return m_hrAddFilter;
}

STDMETHODIMP CFakeGraph::EnumFilters(IEnumFilters** ppEnum)
{
    *ppEnum = nullptr;
    if (m_hrEnumFilters != S_OK)
        return m_hrEnumFilters;
    auto* pEnum = new CFakeEnum<IEnumFilters, IBaseFilter>(m_rgFilters);
    pEnum->m_hrAtEnd = m_hrEnumFiltersAtEnd;
    *ppEnum = pEnum;
    return S_OK;
}

STDMETHODIMP CFakeGraph::Disconnect(IPin* pPin)
{
    m_rgDisconnected.push_back(pPin);
    return pPin->Disconnect();
}

STDMETHODIMP CFakeGraph::Render(IPin* pPinOut)
{
    if (m_fnRender)
        m_fnRender(pPinOut);
    return m_hrRender;
}

STDMETHODIMP CFakeGraph::RenderFile(LPCWSTR /*lpcwstrFile*/, LPCWSTR /*lpcwstrPlayList*/)
{
    if (m_fnRenderFile)
        m_fnRenderFile();
    return m_hrRenderFile;
}

STDMETHODIMP CFakeGraph::GetState(LONG msTimeout, OAFilterState* pfs)
{
    m_rgCalls.push_back("GetState(" + std::to_string(msTimeout) + ")");
    *pfs = m_eState;
    return m_hrGetState;
}

STDMETHODIMP CFakeGraph::GetEvent(long* plEventCode, LONG_PTR* plParam1, LONG_PTR* plParam2, long msTimeout)
{
    m_rgCalls.push_back("GetEvent(" + std::to_string(msTimeout) + ")");
    if (m_rgEvents.empty())
        return E_ABORT;
    *plEventCode = m_rgEvents.front();
    *plParam1 = m_lEventParam1;
    *plParam2 = 22;
    m_rgEvents.erase(m_rgEvents.begin());
    return S_OK;
}

STDMETHODIMP CFakeGraph::FreeEventParams(long lEvCode, LONG_PTR lParam1, LONG_PTR lParam2)
{
    if (lParam1 == m_lEventParam1 && lParam2 == 22)
        m_rgFreedEvents.push_back(lEvCode);
    return S_OK;
}

STDMETHODIMP CFakeGraph::SetNotifyWindow(OAHWND hwnd, long lMsg, LONG_PTR lInstanceData)
{
    m_nNotifyCalls++;
    m_hwndNotify = hwnd;
    m_lNotifyMessage = lMsg;
    m_lNotifyInstance = lInstanceData;
    return S_OK;
}

STDMETHODIMP CFakeGraph::GetDuration(LONGLONG* pDuration)
{
    m_rgCalls.push_back("GetDuration");
    if (SUCCEEDED(m_hrGetDuration))
        *pDuration = m_llDuration;
    return m_hrGetDuration;
}

STDMETHODIMP CFakeGraph::GetCurrentPosition(LONGLONG* pCurrent)
{
    m_rgCalls.push_back("GetCurrentPosition");
    if (SUCCEEDED(m_hrGetPosition))
        *pCurrent = m_llPosition;
    return m_hrGetPosition;
}

STDMETHODIMP CFakeGraph::SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags)
{
    m_rgCalls.push_back("SetPositions");
    m_llSetCurrent = pCurrent ? *pCurrent : -1;
    m_dwSetCurrentFlags = dwCurrentFlags;
    m_bSetStopGiven = pStop != nullptr;
    m_dwSetStopFlags = dwStopFlags;
    return m_hrSetPositions;
}

STDMETHODIMP CFakeGraph::GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest)
{
    m_rgCalls.push_back("GetAvailable");
    *pEarliest = 1;
    *pLatest = m_llDuration;
    return S_OK;
}

STDMETHODIMP CFakeGraph::Load(IStream* pStm)
{
    return m_fnLoad ? m_fnLoad(pStm) : S_OK;
}
