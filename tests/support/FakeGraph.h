// A fake filter graph manager: every step the program takes has a settable
// status, and the calls are recorded. Its filters are the test's fakes; what
// RenderFile, Render and Load do is the test's to say (callbacks).
#pragma once

#include <functional>

#include "FakeFilter.h"

class CFakeGraph : public IGraphBuilder, public IMediaControl, public IMediaEventEx, public IMediaSeeking,
                   public IPersistStream {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    FAKE_REFCOUNT()

    // IFilterGraph, IGraphBuilder
    STDMETHODIMP AddFilter(IBaseFilter* pFilter, LPCWSTR pName) override;
    STDMETHODIMP RemoveFilter(IBaseFilter*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFilters(IEnumFilters** ppEnum) override;
    STDMETHODIMP FindFilterByName(LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    STDMETHODIMP ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP Reconnect(IPin*) override { return E_NOTIMPL; }
    STDMETHODIMP Disconnect(IPin* pPin) override;
    STDMETHODIMP SetDefaultSyncSource() override { return E_NOTIMPL; }
    STDMETHODIMP Connect(IPin*, IPin*) override { return E_NOTIMPL; }
    STDMETHODIMP Render(IPin* pPinOut) override;
    STDMETHODIMP RenderFile(LPCWSTR lpcwstrFile, LPCWSTR lpcwstrPlayList) override;
    STDMETHODIMP AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    STDMETHODIMP SetLogFile(DWORD_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP Abort() override { return E_NOTIMPL; }
    STDMETHODIMP ShouldOperationContinue() override { return E_NOTIMPL; }

    // IDispatch (of IMediaControl and IMediaEventEx)
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IMediaControl
    STDMETHODIMP Run() override { return Record("Run", m_hrRun); }
    STDMETHODIMP Pause() override { return Record("Pause", m_hrPause); }
    STDMETHODIMP Stop() override { return Record("Stop", m_hrStop); }
    STDMETHODIMP GetState(LONG msTimeout, OAFilterState* pfs) override;
    STDMETHODIMP RenderFile(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP AddSourceFilter(BSTR, IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_FilterCollection(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_RegFilterCollection(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP StopWhenReady() override { return E_NOTIMPL; }

    // IMediaEvent, IMediaEventEx
    STDMETHODIMP GetEventHandle(OAEVENT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetEvent(long* plEventCode, LONG_PTR* plParam1, LONG_PTR* plParam2, long msTimeout) override;
    STDMETHODIMP WaitForCompletion(long, long*) override { return E_NOTIMPL; }
    STDMETHODIMP CancelDefaultHandling(long) override { return E_NOTIMPL; }
    STDMETHODIMP RestoreDefaultHandling(long) override { return E_NOTIMPL; }
    STDMETHODIMP FreeEventParams(long lEvCode, LONG_PTR lParam1, LONG_PTR lParam2) override;
    STDMETHODIMP SetNotifyWindow(OAHWND hwnd, long lMsg, LONG_PTR lInstanceData) override;
    STDMETHODIMP SetNotifyFlags(long) override { return E_NOTIMPL; }
    STDMETHODIMP GetNotifyFlags(long*) override { return E_NOTIMPL; }

    // IMediaSeeking
    STDMETHODIMP GetCapabilities(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP CheckCapabilities(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP IsFormatSupported(const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryPreferredFormat(GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTimeFormat(GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsUsingTimeFormat(const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP SetTimeFormat(const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetDuration(LONGLONG* pDuration) override;
    STDMETHODIMP GetStopPosition(LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCurrentPosition(LONGLONG* pCurrent) override;
    STDMETHODIMP ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags) override;
    STDMETHODIMP GetPositions(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest) override;
    STDMETHODIMP SetRate(double) override { return E_NOTIMPL; }
    STDMETHODIMP GetRate(double*) override { return E_NOTIMPL; }
    STDMETHODIMP GetPreroll(LONGLONG*) override { return E_NOTIMPL; }

    // IPersist, IPersistStream (answered only when m_bPersistStream)
    STDMETHODIMP GetClassID(CLSID* pClassID) override
    {
        *pClassID = CLSID_FilterGraph;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream* pStm) override;
    STDMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

    // The filters EnumFilters lists, in order (the graph keeps no references).
    std::vector<IBaseFilter*> m_rgFilters;
    std::vector<std::wstring> m_rgAddedNames;
    std::vector<IPin*> m_rgDisconnected;
    std::vector<std::string> m_rgCalls;  // media control and seeking, in order

    HRESULT m_hrRenderFile = S_OK;
    HRESULT m_hrEnumFilters = S_OK;
    HRESULT m_hrEnumFiltersAtEnd = S_FALSE;
    HRESULT m_hrAddFilter = S_OK;
    HRESULT m_hrRender = S_OK;
    HRESULT m_hrRun = S_OK, m_hrPause = S_OK, m_hrStop = S_OK;
    OAFilterState m_eState = State_Stopped;
    HRESULT m_hrGetState = S_OK;
    bool m_bMediaControl = true;
    bool m_bPersistStream = false;
    std::function<HRESULT(IStream*)> m_fnLoad;
    std::function<void(IPin*)> m_fnRender;  // what Render connects
    std::function<void()> m_fnRenderFile;   // what RenderFile builds

    std::vector<long> m_rgEvents;  // queued event codes, first out first
    LONG_PTR m_lEventParam1 = 11;  // every event's first parameter (an error event's status)
    std::vector<long> m_rgFreedEvents;
    OAHWND m_hwndNotify = 0;
    long m_lNotifyMessage = 0;
    LONG_PTR m_lNotifyInstance = -1;
    int m_nNotifyCalls = 0;

    HRESULT m_hrGetDuration = S_OK;
    LONGLONG m_llDuration = 10000001;
    HRESULT m_hrGetPosition = S_OK;
    LONGLONG m_llPosition = 0;
    HRESULT m_hrSetPositions = S_OK;
    LONGLONG m_llSetCurrent = -1;
    DWORD m_dwSetCurrentFlags = 0xFFFF, m_dwSetStopFlags = 0xFFFF;
    bool m_bSetStopGiven = false;

private:
    HRESULT Record(const char* pszCall, HRESULT hr)
    {
        m_rgCalls.push_back(pszCall);
        return hr;
    }
};
