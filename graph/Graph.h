// CGraph: the program's one handle on a DirectShow playback graph and on the
// level filter in it.
#pragma once

#include <atlbase.h>

#include "../filter/DirectShow.h"
#include "../filter/Quelmar.h"
#include "../graphedit/Helpers.h"

class CGraph {
public:
    CGraph() = default;
    CGraph(const CGraph&) = delete;
    CGraph& operator=(const CGraph&) = delete;

    // State and media control
    void Reset();
    bool IsEmpty() const { return !m_spGraph; }
    bool HasGraph() const { return !IsEmpty(); }
    bool IsRunning() const;
    HRESULT Run();
    HRESULT Pause();
    HRESULT Stop();
    // The next queued event's code (0 when none), its first parameter through
    // plParam1 when given (the status of an error event).
    long GetEvent(LONG_PTR* plParam1 = nullptr);
    // Opens the graph in the external graph editor (E_FAIL without a graph).
    HRESULT ShowGraph();
    // For the tests: the bridge's state.
    const CGraphEdit& GraphEdit() const { return m_GraphEdit; }
    // For the tests and tools: the graph manager (null without a graph).
    IGraphBuilder* GraphBuilder() const { return m_spGraph; }

    // Building: a media file with the level filter inserted before its audio
    // renderer, or a saved graph (".grf") that holds the level filter.
    HRESULT BuildGraph(LPCSTR pszName, HWND hWnd, UINT uMsg);
    // The first filter of class clsid, checked for one connected input and one
    // connected output pin; handed out through ppFilter when given.
    HRESULT CheckFilter(REFCLSID clsid, IBaseFilter** ppFilter);

    // Seeking and positions (reference time)
    HRESULT GetAvailable(LONGLONG* pllEarliest, LONGLONG* pllLatest);
    HRESULT GetDuration(LONGLONG* pllDuration);
    HRESULT GetPosition(LONGLONG* pllPosition);
    HRESULT SetPosition(LONGLONG llPos);
    HRESULT SetPositionRatio(double dblRatio);

    // The level filter (E_FAIL, 0 or 0.0 without a graph or filter)
    int GetChannelCount()
    {
        ULONG nChannels = 0;
        if (IQuelmar* pQuelmar = Quelmar())
            pQuelmar->GetChannelCount(&nChannels);
        return static_cast<int>(nChannels);
    }
    HRESULT GetLevel(ULONG nChannel, double* pdblLevel)
    {
        IQuelmar* pQuelmar = Quelmar();
        return pQuelmar ? pQuelmar->GetLevel(nChannel, pdblLevel) : E_FAIL;
    }
    HRESULT GetGain(ULONG nChannel, double* pdblGain)
    {
        IQuelmar* pQuelmar = Quelmar();
        return pQuelmar ? pQuelmar->GetGain(nChannel, pdblGain) : E_FAIL;
    }
    HRESULT SetGain(ULONG nChannel, int nGain)
    {
        IQuelmar* pQuelmar = Quelmar();
        return pQuelmar ? pQuelmar->SetGain(nChannel, nGain, c_nGainRampMs) : E_FAIL;
    }
    HRESULT GetAutoGain(ULONG nChannel, double* pdblThreshold, double* pdblGain)
    {
        IQuelmar* pQuelmar = Quelmar();
        return pQuelmar ? pQuelmar->GetAutoGain(nChannel, pdblThreshold, pdblGain) : E_FAIL;
    }
    HRESULT SetAutoGain(ULONG nChannel, int nThreshold, int nGain)
    {
        IQuelmar* pQuelmar = Quelmar();
        return pQuelmar ? pQuelmar->SetAutoGain(nChannel, nThreshold, nGain) : E_FAIL;
    }
    HRESULT GetBandsPerOctave(ULONG* pnBandsPerOctave)
    {
        IQuelmar* pQuelmar = Quelmar();
        return pQuelmar ? pQuelmar->GetBandsPerOctave(pnBandsPerOctave) : E_FAIL;
    }
    HRESULT SetBandsPerOctave(ULONG nBandsPerOctave)
    {
        IQuelmar* pQuelmar = Quelmar();
        return pQuelmar ? pQuelmar->SetBandsPerOctave(nBandsPerOctave) : E_FAIL;
    }
    HRESULT GetFFT(QUELMAR_WINDOW* peWindow, ULONG* pnOrder)
    {
        IQuelmar* pQuelmar = Quelmar();
        return pQuelmar ? pQuelmar->GetFFT(peWindow, pnOrder) : E_FAIL;
    }
    HRESULT SetFFT(QUELMAR_WINDOW eWindow, ULONG nOrder)
    {
        IQuelmar* pQuelmar = Quelmar();
        return pQuelmar ? pQuelmar->SetFFT(eWindow, nOrder) : E_FAIL;
    }
    HRESULT GetSpectrum(ULONG nChannel, ULONG nBands, ULONG* pnFilled, double* pdblBands)
    {
        IQuelmar* pQuelmar = Quelmar();
        return pQuelmar ? pQuelmar->GetSpectrum(nChannel, nBands, pnFilled, pdblBands) : E_FAIL;
    }
    HRESULT AdviseEvent(HANDLE hEvent, ULONG bBefore, ULONG nChannel, double dblThreshold, ULONG nMinDuration,
                        ULONG bAbove, DWORD* pdwCookie);
    HRESULT UnadviseEvent(DWORD dwCookie);
    // "<name> [R64 v.<number> <date and time>]"; S_FALSE and empty without filter.
    HRESULT GetFilterVersion(CComBSTR& cbsVersion);

private:
    // The third argument of IQuelmar::SetGain.
    static constexpr ULONG c_nGainRampMs = 100;

    typedef HRESULT (STDMETHODCALLTYPE IMediaControl::*MediaCommand)();

    // The level filter, or null when there is no graph or no filter.
    IQuelmar* Quelmar() const { return IsEmpty() ? nullptr : m_spQuelmar.p; }
    // Run, Pause or Stop through the graph's IMediaControl; E_FAIL without one.
    HRESULT ControlGraph(MediaCommand pfnCommand);
    HRESULT BuildFromMediaFile(LPCSTR pszName, IBaseFilter** ppFilter);
    HRESULT BuildFromGRFFile(LPCSTR pszFile);
    HRESULT LoadWithGraphManager(IPersistStream* pPersistStream, IStream* pStream);
    HRESULT LoadWithOwnReader(IStream* pStream);
    HRESULT FindUpstreamPin(IPin** ppUpstreamPin);
    HRESULT CheckFilterPins(IBaseFilter* pFilter);
    HRESULT Seeking(IMediaSeeking** ppSeeking);
    // One call on the graph's IMediaSeeking; E_FAIL without a graph.
    template <class... TArgs>
    HRESULT QuerySeeking(HRESULT (STDMETHODCALLTYPE IMediaSeeking::*pfnMethod)(TArgs...), TArgs... args);

    CComPtr<IGraphBuilder> m_spGraph;
    CComPtr<IQuelmar> m_spQuelmar;
    CGraphEdit m_GraphEdit;
};
