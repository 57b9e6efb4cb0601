#include "RecordingLevelFilter.h"

#include "FakeQuelmar.h"

namespace {

typedef HRESULT(STDAPICALLTYPE* GetClassObjectProc)(REFCLSID, REFIID, void**);

// The real filter, made by its own DLL's factory: CoCreateInstance would hand
// out whatever is registered over the class in this process.
HRESULT CreateRealFilter(IBaseFilter** ppFilter)
{
    HMODULE hModule = LoadLibraryA("QuelmarFilter.dll");  // stays loaded: the filter's code lives there
    if (!hModule)
        return HRESULT_FROM_WIN32(GetLastError());
    auto pfnGetClassObject = reinterpret_cast<GetClassObjectProc>(
        reinterpret_cast<void*>(GetProcAddress(hModule, "DllGetClassObject")));
    if (!pfnGetClassObject)
        return E_NOINTERFACE;
    CComPtr<IClassFactory> spFactory;
    HRESULT hr = pfnGetClassObject(CLSID_Quelmar, IID_IClassFactory, reinterpret_cast<void**>(&spFactory));
    if (FAILED(hr))
        return hr;
    return spFactory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(ppFilter));
}

std::string Call(const char* pszName, std::initializer_list<std::string> rgArgs)
{
    std::string str = std::string(pszName) + "(";
    bool bFirst = true;
    for (const std::string& strArg : rgArgs) {
        str += (bFirst ? "" : ",") + strArg;
        bFirst = false;
    }
    return str + ")";
}

std::string U(ULONG n)
{
    return std::to_string(n);
}

}  // namespace

CRecordingLevelFilter::CRecordingLevelFilter()
{
    if (SUCCEEDED(CreateRealFilter(&m_spInner)))
        m_spInner.QueryInterface(&m_spInnerQuelmar);
}

STDMETHODIMP CRecordingLevelFilter::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IMediaFilter) ||
        IsEqualIID(riid, IID_IBaseFilter))
        *ppv = static_cast<IBaseFilter*>(this);
    else if (IsEqualIID(riid, __uuidof(IQuelmar)))
        *ppv = static_cast<IQuelmar*>(this);
    else
        return m_spInner->QueryInterface(riid, ppv);  // IQuelmarVersion and the rest: the real filter's
    AddRef();
    return S_OK;
}

std::vector<std::string> CRecordingLevelFilter::Calls(const std::string& strPrefix) const
{
    std::vector<std::string> rgCalls;
    for (const std::string& strCall : m_rgCalls)
        if (strCall.compare(0, strPrefix.size(), strPrefix) == 0)
            rgCalls.push_back(strCall);
    return rgCalls;
}

STDMETHODIMP CRecordingLevelFilter::GetChannelCount(ULONG* pnChannels)
{
    return Record("GetChannelCount()", m_spInnerQuelmar->GetChannelCount(pnChannels));
}

STDMETHODIMP CRecordingLevelFilter::GetLevel(ULONG nChannel, double* pdblLevel)
{
    return Record(Call("GetLevel", {U(nChannel)}), m_spInnerQuelmar->GetLevel(nChannel, pdblLevel));
}

STDMETHODIMP CRecordingLevelFilter::SetGain(ULONG nChannel, double dblGain, ULONG nRampMs)
{
    if (m_hHoldSetGain)
        WaitForSingleObject(m_hHoldSetGain, c_dwHoldLimitMs);
    return Record(Call("SetGain", {U(nChannel), FormatDouble(dblGain), U(nRampMs)}),
                  m_spInnerQuelmar->SetGain(nChannel, dblGain, nRampMs));
}

STDMETHODIMP CRecordingLevelFilter::GetGain(ULONG nChannel, double* pdblGain)
{
    return Record(Call("GetGain", {U(nChannel)}), m_spInnerQuelmar->GetGain(nChannel, pdblGain));
}

STDMETHODIMP CRecordingLevelFilter::SetAutoGain(ULONG nChannel, double dblThreshold, double dblGain)
{
    return Record(Call("SetAutoGain", {U(nChannel), FormatDouble(dblThreshold), FormatDouble(dblGain)}),
                  m_spInnerQuelmar->SetAutoGain(nChannel, dblThreshold, dblGain));
}

STDMETHODIMP CRecordingLevelFilter::GetAutoGain(ULONG nChannel, double* pdblThreshold, double* pdblGain)
{
    return Record(Call("GetAutoGain", {U(nChannel)}),
                  m_spInnerQuelmar->GetAutoGain(nChannel, pdblThreshold, pdblGain));
}

STDMETHODIMP CRecordingLevelFilter::AdviseEvent(ULONG bBefore, ULONG nChannel, double dblThreshold,
                                                ULONG nMinDurationMs, ULONG bAbove, HANDLE hEvent, ULONG* pdwCookie)
{
    HRESULT hr = m_spInnerQuelmar->AdviseEvent(bBefore, nChannel, dblThreshold, nMinDurationMs, bAbove, hEvent,
                                               pdwCookie);
    if (hr == S_OK && pdwCookie)
        m_dwLastCookie = *pdwCookie;
    return Record(Call("AdviseEvent", {U(bBefore), U(nChannel), FormatDouble(dblThreshold), U(nMinDurationMs),
                                       U(bAbove), hEvent ? "event" : "null"}),
                  hr);
}

STDMETHODIMP CRecordingLevelFilter::Unadvise(ULONG dwCookie)
{
    return Record(Call("Unadvise", {U(dwCookie)}), m_spInnerQuelmar->Unadvise(dwCookie));
}

STDMETHODIMP CRecordingLevelFilter::SetBandsPerOctave(ULONG nBandsPerOctave)
{
    return Record(Call("SetBandsPerOctave", {U(nBandsPerOctave)}),
                  m_spInnerQuelmar->SetBandsPerOctave(nBandsPerOctave));
}

STDMETHODIMP CRecordingLevelFilter::GetBandsPerOctave(ULONG* pnBandsPerOctave)
{
    return Record("GetBandsPerOctave()", m_spInnerQuelmar->GetBandsPerOctave(pnBandsPerOctave));
}

STDMETHODIMP CRecordingLevelFilter::SetFFT(QUELMAR_WINDOW eWindow, ULONG nOrder)
{
    return Record(Call("SetFFT", {U(eWindow), U(nOrder)}), m_spInnerQuelmar->SetFFT(eWindow, nOrder));
}

STDMETHODIMP CRecordingLevelFilter::GetFFT(QUELMAR_WINDOW* peWindow, ULONG* pnOrder)
{
    return Record("GetFFT()", m_spInnerQuelmar->GetFFT(peWindow, pnOrder));
}

STDMETHODIMP CRecordingLevelFilter::GetSpectrum(ULONG nChannel, ULONG nBands, ULONG* pnFilled, double* pdblBands)
{
    return Record(Call("GetSpectrum", {U(nChannel), U(nBands)}),
                  m_spInnerQuelmar->GetSpectrum(nChannel, nBands, pnFilled, pdblBands));
}
