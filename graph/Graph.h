// CGraph: the program's one handle on a DirectShow playback graph and on the
// level filter in it.
#pragma once

#include <atlbase.h>
#include "../filter/DirectShow.h"

#include "../filter/Quelmar.h"
#include "../graphedit/GraphEdit.h"

class CGraph {
public:
    CGraph() = default;
    CGraph(const CGraph&) = delete;
    CGraph& operator=(const CGraph&) = delete;

    void Reset();
    bool IsEmpty() const { return !m_spGraph; }
    bool HasGraph() const { return !IsEmpty(); }
    bool IsRunning() const;

    HRESULT Run();
    HRESULT Pause();
    HRESULT Stop();
    long GetEvent();

    HRESULT UnadviseEvent(DWORD dwCookie);

private:
    typedef HRESULT (STDMETHODCALLTYPE IMediaControl::*MediaCommand)();

    // Run, Pause or Stop through the graph's IMediaControl; E_FAIL without one.
    HRESULT ControlGraph(MediaCommand pfnCommand);

    CComPtr<IGraphBuilder> m_spGraph;
    CComPtr<IQuelmar> m_spQuelmar;
    CGraphEdit m_GraphEdit;
};
