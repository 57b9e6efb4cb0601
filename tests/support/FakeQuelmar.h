// A recording level filter: a fake filter with two pins that also answers
// IQuelmar and IQuelmarVersion, records every call with its arguments, and
// returns settable results.
#pragma once

#include "FakeFilter.h"
#include "../../filter/Quelmar.h"

class CFakeQuelmar : public CFakeFilter, public IQuelmar, public IQuelmarVersion {
public:
    CFakeQuelmar();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return CFakeFilter::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return CFakeFilter::Release(); }

    STDMETHODIMP GetChannelCount(ULONG* pnChannels) override;
    STDMETHODIMP Reserved4() override { return Unexpected("Reserved4"); }
    STDMETHODIMP Reserved5() override { return Unexpected("Reserved5"); }
    STDMETHODIMP Reserved6() override { return Unexpected("Reserved6"); }
    STDMETHODIMP Reserved7() override { return Unexpected("Reserved7"); }
    STDMETHODIMP GetLevel(ULONG nChannel, double* pdblLevel) override;
    STDMETHODIMP Reserved9() override { return Unexpected("Reserved9"); }
    STDMETHODIMP SetGain(ULONG nChannel, double dblGain, ULONG nRampMs) override;
    STDMETHODIMP GetGain(ULONG nChannel, double* pdblGain) override;
    STDMETHODIMP SetAutoGain(ULONG nChannel, double dblThreshold, double dblGain) override;
    STDMETHODIMP GetAutoGain(ULONG nChannel, double* pdblThreshold, double* pdblGain) override;
    STDMETHODIMP Reserved14() override { return Unexpected("Reserved14"); }
    STDMETHODIMP AdviseEvent(ULONG bBefore, ULONG nChannel, double dblThreshold, ULONG nMinDurationMs, ULONG bAbove,
                             HANDLE hEvent, ULONG* pdwCookie) override;
    STDMETHODIMP Unadvise(ULONG dwCookie) override;
    STDMETHODIMP Reserved17() override { return Unexpected("Reserved17"); }
    STDMETHODIMP Reserved18() override { return Unexpected("Reserved18"); }
    STDMETHODIMP Reserved19() override { return Unexpected("Reserved19"); }
    STDMETHODIMP Reserved20() override { return Unexpected("Reserved20"); }
    STDMETHODIMP SetBandsPerOctave(ULONG nBandsPerOctave) override;
    STDMETHODIMP GetBandsPerOctave(ULONG* pnBandsPerOctave) override;
    STDMETHODIMP SetFFT(QUELMAR_WINDOW eWindow, ULONG nOrder) override;
    STDMETHODIMP GetFFT(QUELMAR_WINDOW* peWindow, ULONG* pnOrder) override;
    STDMETHODIMP GetSpectrum(ULONG nChannel, ULONG nBands, ULONG* pnFilled, double* pdblBands) override;

    STDMETHODIMP GetType(ULONG* peType) override;
    STDMETHODIMP GetOS(ULONG* peOS) override;
    STDMETHODIMP GetName(BSTR* pbstrName) override;
    STDMETHODIMP GetNumber(BSTR* pbstrNumber) override;
    STDMETHODIMP GetDateTime(BSTR* pbstrDateTime) override;

    CFakePin* m_pIn;
    CFakePin* m_pOut;
    std::vector<std::string> m_rgCalls;  // "SetGain(4294967295,-40,100)" and the like
    HRESULT m_hrResult = S_OK;           // returned by every IQuelmar call
    ULONG m_nChannels = 2;
    double m_dblLevel = -12.0;
    double m_dblGain = 0.0;
    double m_dblAutoThreshold = 0.0, m_dblAutoGain = 0.0;
    ULONG m_nBandsPerOctave = 3;
    QUELMAR_WINDOW m_eWindow = QUELMAR_WINDOW_HANN;
    ULONG m_nOrder = 12;
    std::vector<double> m_rgdblSpectrum;  // band values GetSpectrum hands out (-30 dB when empty)
    ULONG m_nNextCookie = 7;
    HANDLE m_hLastEvent = nullptr;
    bool m_bVersion = true;
    ULONG m_eType = 1, m_eOS = 1;
    std::wstring m_strName = L"Quelmar", m_strNumber = L"2.5", m_strDateTime = L"Dec 10 2026";

private:
    HRESULT Call(const std::string& strCall)
    {
        m_rgCalls.push_back(strCall);
        return m_hrResult;
    }
    HRESULT Unexpected(const char* pszSlot)
    {
        m_rgCalls.push_back(std::string("UNEXPECTED ") + pszSlot);
        return E_UNEXPECTED;
    }
};

// "-40" for -40.0, "2.5" for 2.5: doubles as the call records write them.
std::string FormatDouble(double dbl);
