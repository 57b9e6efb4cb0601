#include "FakeQuelmar.h"

#include <sstream>

std::string FormatDouble(double dbl)
{
    std::ostringstream stream;
    stream << dbl;
    return stream.str();
}

namespace {

std::string Args(std::initializer_list<std::string> rgArgs)
{
    std::string str = "(";
    for (const std::string& strArg : rgArgs)
        str += (str.size() > 1 ? "," : "") + strArg;
    return str + ")";
}

std::string U(ULONG n)
{
    return std::to_string(n);
}

HRESULT CopyString(const std::wstring& str, BSTR* pbstr)
{
    *pbstr = str.empty() ? nullptr : SysAllocString(str.c_str());
    return S_OK;
}

}  // namespace

CFakeQuelmar::CFakeQuelmar() : CFakeFilter(L"Quelmar", CLSID_Quelmar)
{
    m_pIn = AddPin(PINDIR_INPUT);
    m_pOut = AddPin(PINDIR_OUTPUT);
}

STDMETHODIMP CFakeQuelmar::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == __uuidof(IQuelmar)) {
        *ppv = static_cast<IQuelmar*>(this);
    } else if (riid == __uuidof(IQuelmarVersion) && m_bVersion) {
        *ppv = static_cast<IQuelmarVersion*>(this);
    } else {
        return CFakeFilter::QueryInterface(riid, ppv);
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP CFakeQuelmar::GetChannelCount(ULONG* pnChannels)
{
    *pnChannels = m_nChannels;
    return Call("GetChannelCount()");
}

STDMETHODIMP CFakeQuelmar::GetLevel(ULONG nChannel, double* pdblLevel)
{
    *pdblLevel = m_dblLevel;
    return Call("GetLevel" + Args({U(nChannel)}));
}

STDMETHODIMP CFakeQuelmar::SetGain(ULONG nChannel, double dblGain, ULONG nRampMs)
{
    return Call("SetGain" + Args({U(nChannel), FormatDouble(dblGain), U(nRampMs)}));
}

STDMETHODIMP CFakeQuelmar::GetGain(ULONG nChannel, double* pdblGain)
{
    *pdblGain = m_dblGain;
    return Call("GetGain" + Args({U(nChannel)}));
}

STDMETHODIMP CFakeQuelmar::SetAutoGain(ULONG nChannel, double dblThreshold, double dblGain)
{
    return Call("SetAutoGain" + Args({U(nChannel), FormatDouble(dblThreshold), FormatDouble(dblGain)}));
}

STDMETHODIMP CFakeQuelmar::GetAutoGain(ULONG nChannel, double* pdblThreshold, double* pdblGain)
{
    *pdblThreshold = m_dblAutoThreshold;
    *pdblGain = m_dblAutoGain;
    return Call("GetAutoGain" + Args({U(nChannel)}));
}

STDMETHODIMP CFakeQuelmar::AdviseEvent(ULONG bBefore, ULONG nChannel, double dblThreshold, ULONG nMinDurationMs,
                                       ULONG bAbove, HANDLE hEvent, ULONG* pdwCookie)
{
    m_hLastEvent = hEvent;
    if (SUCCEEDED(m_hrResult))
        *pdwCookie = m_nNextCookie++;
    return Call("AdviseEvent" + Args({U(bBefore), U(nChannel), FormatDouble(dblThreshold), U(nMinDurationMs),
                                      U(bAbove), hEvent ? "event" : "null"}));
}

STDMETHODIMP CFakeQuelmar::Unadvise(ULONG dwCookie)
{
    return Call("Unadvise" + Args({U(dwCookie)}));
}

STDMETHODIMP CFakeQuelmar::SetBandsPerOctave(ULONG nBandsPerOctave)
{
    return Call("SetBandsPerOctave" + Args({U(nBandsPerOctave)}));
}

STDMETHODIMP CFakeQuelmar::GetBandsPerOctave(ULONG* pnBandsPerOctave)
{
    *pnBandsPerOctave = m_nBandsPerOctave;
    return Call("GetBandsPerOctave()");
}

STDMETHODIMP CFakeQuelmar::SetFFT(QUELMAR_WINDOW eWindow, ULONG nOrder)
{
    return Call("SetFFT" + Args({U(eWindow), U(nOrder)}));
}

STDMETHODIMP CFakeQuelmar::GetFFT(QUELMAR_WINDOW* peWindow, ULONG* pnOrder)
{
    *peWindow = m_eWindow;
    *pnOrder = m_nOrder;
    return Call("GetFFT()");
}

STDMETHODIMP CFakeQuelmar::GetSpectrum(ULONG nChannel, ULONG nBands, ULONG* pnFilled, double* pdblBands)
{
    if (SUCCEEDED(m_hrResult)) {
        *pnFilled = nBands;
        for (ULONG i = 0; i < nBands; i++)
            pdblBands[i] = i < m_rgdblSpectrum.size() ? m_rgdblSpectrum[i] : -30.0;
    }
    return Call("GetSpectrum" + Args({U(nChannel), U(nBands)}));
}

STDMETHODIMP CFakeQuelmar::GetType(ULONG* peType)
{
    *peType = m_eType;
    return S_OK;
}

STDMETHODIMP CFakeQuelmar::GetOS(ULONG* peOS)
{
    *peOS = m_eOS;
    return S_OK;
}

STDMETHODIMP CFakeQuelmar::GetName(BSTR* pbstrName)
{
    return CopyString(m_strName, pbstrName);
}

STDMETHODIMP CFakeQuelmar::GetNumber(BSTR* pbstrNumber)
{
    return CopyString(m_strNumber, pbstrNumber);
}

STDMETHODIMP CFakeQuelmar::GetDateTime(BSTR* pbstrDateTime)
{
    return CopyString(m_strDateTime, pbstrDateTime);
}
