#include "Graph.h"

void CGraph::Reset()
{
    if (m_spGraph) {
        CComQIPtr<IMediaEventEx> spMediaEventEx(m_spGraph);
        if (spMediaEventEx)
            spMediaEventEx->SetNotifyWindow(0, 0, 0);
    }
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

long CGraph::GetEvent()
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
    spMediaEvent->FreeEventParams(lEventCode, lParam1, lParam2);
    return lEventCode;
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
