#include "Filter.h"

#include <cstring>
#include <new>

#include "ComObject.h"
#include "Enumerators.h"
#include "Version.h"

namespace {

void SignalEvent(void* pEvent)
{
    SetEvent(static_cast<HANDLE>(pEvent));
}

void CloseEvent(void* pEvent)
{
    CloseHandle(static_cast<HANDLE>(pEvent));
}

// The trigger signals its own duplicate of the client's event, so a client
// that closes its handle early never gets a recycled handle signalled.
HRESULT DuplicateEvent(HANDLE hEvent, HANDLE* phDuplicate)
{
    HANDLE hProcess = GetCurrentProcess();
    if (!DuplicateHandle(hProcess, hEvent, hProcess, phDuplicate, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return E_INVALIDARG;  // not a handle of this process
    return S_OK;
}

bool InRange(double dblValue, double dblMin, double dblMax)
{
    return dblValue >= dblMin && dblValue <= dblMax;  // false for NaN
}

HRESULT AllocString(LPCWSTR psz, BSTR* pbstr)
{
    if (!pbstr)
        return E_POINTER;
    *pbstr = SysAllocString(psz);
    return *pbstr ? S_OK : E_OUTOFMEMORY;
}

#define WIDEN2(x) L##x
#define WIDEN(x) WIDEN2(x)

}  // namespace

CQuelmarFilter::CQuelmarFilter() : m_chain(SignalEvent), m_pinIn(this), m_pinOut(this)
{
    g_nObjects++;
}

CQuelmarFilter::~CQuelmarFilter()
{
    StopTrigger();
    m_chain.Detector().UnadviseAll(CloseEvent);
    g_nObjects--;
}

STDMETHODIMP CQuelmarFilter::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IMediaFilter) ||
        IsEqualIID(riid, IID_IBaseFilter))
        return HandOut(static_cast<IBaseFilter*>(this), ppv);
    if (IsEqualIID(riid, __uuidof(IQuelmar)))
        return HandOut(static_cast<IQuelmar*>(this), ppv);
    if (IsEqualIID(riid, __uuidof(IQuelmarVersion)))
        return HandOut(static_cast<IQuelmarVersion*>(this), ppv);
    return NoInterface(ppv);
}

STDMETHODIMP_(ULONG) CQuelmarFilter::AddRef()
{
    return ++m_nRefs;
}

STDMETHODIMP_(ULONG) CQuelmarFilter::Release()
{
    ULONG nRefs = --m_nRefs;
    if (nRefs == 0)
        delete this;
    return nRefs;
}

STDMETHODIMP CQuelmarFilter::GetClassID(CLSID* pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = CLSID_Quelmar;
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::Stop()
{
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    m_eState = State_Stopped;
    m_bPausedWhileHeard = false;
    StopTrigger();
    m_pinIn.Inactive();
    // Wait for a sample being processed to finish.
    std::lock_guard<std::mutex> streaming(m_mutexStreaming);
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::Pause()
{
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    if (m_eState == State_Stopped)
        m_chain.Reset();
    REFERENCE_TIME tNow = 0;
    m_bPausedWhileHeard = m_eState == State_Running && m_spClock && SUCCEEDED(m_spClock->GetTime(&tNow));
    m_tPausedAt = tNow - m_tStart;
    StopTrigger();
    m_eState = State_Paused;
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::Run(REFERENCE_TIME tStart)
{
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    if (m_eState == State_Stopped)
        m_chain.Reset();
    m_tStart = tStart;
    m_bPausedWhileHeard = false;
    m_eState = State_Running;
    StartTrigger();
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::GetState(DWORD /*dwMilliSecsTimeout*/, FILTER_STATE* pState)
{
    if (!pState)
        return E_POINTER;
    *pState = m_eState;
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::SetSyncSource(IReferenceClock* pClock)
{
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    m_spClock = pClock;
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::GetSyncSource(IReferenceClock** pClock)
{
    if (!pClock)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    *pClock = nullptr;
    return m_spClock.CopyTo(pClock);
}

STDMETHODIMP CQuelmarFilter::EnumPins(IEnumPins** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    IPin* rgPins[] = {&m_pinIn, &m_pinOut};
    *ppEnum = new (std::nothrow) CEnumPins(rgPins, 2);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CQuelmarFilter::FindPin(LPCWSTR Id, IPin** ppPin)
{
    if (!Id || !ppPin)
        return E_POINTER;
    for (CPinBase* pPin : {static_cast<CPinBase*>(&m_pinIn), static_cast<CPinBase*>(&m_pinOut)}) {
        if (lstrcmpW(Id, pPin->Id()) == 0) {
            *ppPin = pPin;
            pPin->AddRef();
            return S_OK;
        }
    }
    *ppPin = nullptr;
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP CQuelmarFilter::QueryFilterInfo(FILTER_INFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    memcpy(pInfo->achName, m_szName, sizeof(m_szName));
    pInfo->pGraph = m_pGraph;
    if (m_pGraph)
        m_pGraph->AddRef();
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName)
{
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    m_pGraph = pGraph;
    m_szName[0] = L'\0';
    if (pName)
        lstrcpynW(m_szName, pName, MAX_FILTER_NAME);
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::QueryVendorInfo(LPWSTR* /*pVendorInfo*/)
{
    return E_NOTIMPL;
}

unsigned CQuelmarFilter::Channels()
{
    return m_pinIn.IsConnected() && m_chain.IsConfigured() ? m_chain.Format().nChannels : 0;
}

uint64_t CQuelmarFilter::HeardFrame()
{
    REFERENCE_TIME tNow = 0;
    if (m_eState == State_Paused && m_bPausedWhileHeard)
        return m_chain.Timeline().FrameAt(m_tPausedAt);
    if (m_eState == State_Running && m_spClock && SUCCEEDED(m_spClock->GetTime(&tNow)))
        return m_chain.Timeline().FrameAt(tNow - m_tStart);
    return m_chain.Timeline().Latest();
}

void CQuelmarFilter::StartTrigger()
{
    if (m_threadTrigger.joinable())
        return;
    m_bTriggerStop = false;
    m_threadTrigger = std::thread(&CQuelmarFilter::RunTrigger, this, m_spClock, m_tStart);
}

void CQuelmarFilter::StopTrigger()
{
    if (!m_threadTrigger.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutexTrigger);
        m_bTriggerStop = true;
    }
    m_cvTrigger.notify_all();
    m_threadTrigger.join();
}

void CQuelmarFilter::RunTrigger(CComPtr<IReferenceClock> spClock, REFERENCE_TIME tStart)
{
    // Takes the chain lock only (never the filter lock, which Stop holds
    // while it waits for this thread).
    const std::chrono::milliseconds c_tPeriod(20);
    uint64_t nLastFrame = 0;
    bool bFirst = true;
    std::unique_lock<std::mutex> trigger(m_mutexTrigger);
    while (!m_cvTrigger.wait_for(trigger, c_tPeriod, [this] { return m_bTriggerStop; })) {
        std::lock_guard<std::mutex> chain(m_mutexChain);
        if (!m_chain.IsConfigured())
            continue;
        REFERENCE_TIME tNow = 0;
        uint64_t nFrame = spClock && SUCCEEDED(spClock->GetTime(&tNow)) ? m_chain.Timeline().FrameAt(tNow - tStart)
                                                                        : m_chain.Timeline().Latest();
        uint64_t nAdvanced = bFirst || nFrame < nLastFrame ? 0 : nFrame - nLastFrame;
        m_chain.Notify(nFrame, nAdvanced * 1000.0 / m_chain.Format().nSampleRate);
        nLastFrame = nFrame;
        bFirst = false;
    }
}

bool CQuelmarFilter::IsChannel(ULONG nChannel, bool bAllowAll)
{
    return nChannel < Channels() || (bAllowAll && nChannel == QUELMAR_ALL_CHANNELS);
}

STDMETHODIMP CQuelmarFilter::GetChannelCount(ULONG* pnChannels)
{
    if (!pnChannels)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    std::lock_guard<std::mutex> chain(m_mutexChain);
    *pnChannels = Channels();
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::GetLevel(ULONG nChannel, double* pdblLevel)
{
    if (!pdblLevel)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    std::lock_guard<std::mutex> chain(m_mutexChain);
    if (!IsChannel(nChannel, false))
        return E_INVALIDARG;
    *pdblLevel = m_chain.LevelDbAt(nChannel, HeardFrame());
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::SetGain(ULONG nChannel, double dblGain, ULONG nRampMs)
{
    using quelmar::CGainStage;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    std::lock_guard<std::mutex> chain(m_mutexChain);
    if (!IsChannel(nChannel, true) || !InRange(dblGain, CGainStage::c_dblMinDb, CGainStage::c_dblMaxDb) ||
        nRampMs > CGainStage::c_nMaxRampMs)
        return E_INVALIDARG;
    for (unsigned c = 0; c < Channels(); c++)
        if (nChannel == QUELMAR_ALL_CHANNELS || nChannel == c)
            m_chain.Gain().SetTarget(c, dblGain, nRampMs);
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::GetGain(ULONG nChannel, double* pdblGain)
{
    if (!pdblGain)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    std::lock_guard<std::mutex> chain(m_mutexChain);
    if (!IsChannel(nChannel, false))
        return E_INVALIDARG;
    *pdblGain = m_chain.Gain().TargetDb(nChannel);
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::SetAutoGain(ULONG nChannel, double dblThreshold, double dblGain)
{
    using quelmar::CAutoGain;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    std::lock_guard<std::mutex> chain(m_mutexChain);
    if (!IsChannel(nChannel, true) || !InRange(dblThreshold, CAutoGain::c_dblMinDb, CAutoGain::c_dblMaxDb) ||
        !InRange(dblGain, CAutoGain::c_dblMinDb, CAutoGain::c_dblMaxDb))
        return E_INVALIDARG;
    for (unsigned c = 0; c < Channels(); c++)
        if (nChannel == QUELMAR_ALL_CHANNELS || nChannel == c)
            m_chain.AutoGain().Set(c, {dblThreshold, dblGain});
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::GetAutoGain(ULONG nChannel, double* pdblThreshold, double* pdblGain)
{
    if (!pdblThreshold || !pdblGain)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    std::lock_guard<std::mutex> chain(m_mutexChain);
    if (!IsChannel(nChannel, false))
        return E_INVALIDARG;
    quelmar::CAutoGain::CSettings settings = m_chain.AutoGain().Get(nChannel);
    *pdblThreshold = settings.dblThresholdDb;
    *pdblGain = settings.dblGainDb;
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::AdviseEvent(ULONG bBefore, ULONG nChannel, double dblThreshold, ULONG nMinDurationMs,
                                         ULONG bAbove, HANDLE hEvent, ULONG* pdwCookie)
{
    using quelmar::CLevelDetector;
    if (!pdwCookie)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    std::lock_guard<std::mutex> chain(m_mutexChain);
    if (bBefore > 1 || bAbove > 1 || !hEvent || !IsChannel(nChannel, false) ||
        !InRange(dblThreshold, CLevelDetector::c_dblMinThresholdDb, CLevelDetector::c_dblMaxThresholdDb))
        return E_INVALIDARG;
    HANDLE hDuplicate = nullptr;
    HRESULT hr = DuplicateEvent(hEvent, &hDuplicate);
    if (FAILED(hr))
        return hr;
    uint32_t dwCookie = m_chain.Detector().Advise({bBefore == 1, nChannel, dblThreshold, nMinDurationMs, bAbove == 1},
                                                  hDuplicate);
    if (dwCookie == 0) {
        CloseHandle(hDuplicate);
        return E_OUTOFMEMORY;  // all 64 places are taken
    }
    *pdwCookie = dwCookie;
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::Unadvise(ULONG dwCookie)
{
    void* pEvent = nullptr;
    if (!m_chain.Detector().Unadvise(dwCookie, &pEvent))
        return E_INVALIDARG;
    CloseEvent(pEvent);
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::SetBandsPerOctave(ULONG nBandsPerOctave)
{
    if (!quelmar::CSpectrumAnalyzer::IsValidBandsPerOctave(nBandsPerOctave))
        return E_INVALIDARG;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    quelmar::CSpectrumAnalyzer::CSettings settings = m_chain.Spectrum().Settings();
    settings.nBandsPerOctave = nBandsPerOctave;
    m_chain.Spectrum().SetSettings(settings);
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::GetBandsPerOctave(ULONG* pnBandsPerOctave)
{
    if (!pnBandsPerOctave)
        return E_POINTER;
    *pnBandsPerOctave = m_chain.Spectrum().Settings().nBandsPerOctave;
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::SetFFT(QUELMAR_WINDOW eWindow, ULONG nOrder)
{
    using quelmar::CSpectrumAnalyzer;
    if (eWindow >= quelmar::c_nWindowTypes || nOrder < CSpectrumAnalyzer::c_nMinOrder ||
        nOrder > CSpectrumAnalyzer::c_nMaxOrder)
        return E_INVALIDARG;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    CSpectrumAnalyzer::CSettings settings = m_chain.Spectrum().Settings();
    settings.eWindow = static_cast<quelmar::WindowType>(eWindow);
    settings.nOrder = nOrder;
    m_chain.Spectrum().SetSettings(settings);
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::GetFFT(QUELMAR_WINDOW* peWindow, ULONG* pnOrder)
{
    if (!peWindow || !pnOrder)
        return E_POINTER;
    quelmar::CSpectrumAnalyzer::CSettings settings = m_chain.Spectrum().Settings();
    *peWindow = static_cast<QUELMAR_WINDOW>(settings.eWindow);
    *pnOrder = settings.nOrder;
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::GetSpectrum(ULONG nChannel, ULONG nBands, ULONG* pnFilled, double* pdblBands)
{
    if (!pnFilled || !pdblBands)
        return E_POINTER;
    std::lock_guard<CCriticalSection> lock(m_csFilter);
    std::lock_guard<std::mutex> chain(m_mutexChain);
    if (!IsChannel(nChannel, false))
        return E_INVALIDARG;
    unsigned nFilled = 0;
    if (!m_chain.Spectrum().Compute(nChannel, nBands, &nFilled, pdblBands, HeardFrame()))
        return E_INVALIDARG;
    *pnFilled = nFilled;
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::GetType(ULONG* peType)
{
    if (!peType)
        return E_POINTER;
    *peType = QUELMAR_FILTER_TYPE;
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::GetOS(ULONG* peOS)
{
    if (!peOS)
        return E_POINTER;
    *peOS = sizeof(void*) == 8 ? 1 : 0;
    return S_OK;
}

STDMETHODIMP CQuelmarFilter::GetName(BSTR* pbstrName)
{
    return AllocString(QUELMAR_FILTER_NAME, pbstrName);
}

STDMETHODIMP CQuelmarFilter::GetNumber(BSTR* pbstrNumber)
{
    return AllocString(QUELMAR_FILTER_NUMBER, pbstrNumber);
}

STDMETHODIMP CQuelmarFilter::GetDateTime(BSTR* pbstrDateTime)
{
    return AllocString(WIDEN(__DATE__) L" " WIDEN(__TIME__), pbstrDateTime);
}
