// The level filter's contract: its class id and the two interfaces the
// program uses. Every method keeps its vtable slot; the reserved methods hold
// the slots of methods the program does not call.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <oleauto.h>

// {380949BC-AD26-4862-BF30-1F709075DF5B}
inline const CLSID CLSID_Quelmar = {0x380949bc, 0xad26, 0x4862, {0xbf, 0x30, 0x1f, 0x70, 0x90, 0x75, 0xdf, 0x5b}};

// Window types of the spectrum analysis (IQuelmar::SetFFT / GetFFT).
enum QUELMAR_WINDOW : ULONG {
    QUELMAR_WINDOW_UNIFORM = 0,
    QUELMAR_WINDOW_BARTLETT = 1,
    QUELMAR_WINDOW_BLACKMAN = 2,
    QUELMAR_WINDOW_HAMMING = 3,
    QUELMAR_WINDOW_HANN = 4,
};

// The channel argument that addresses all channels (SetGain, SetAutoGain).
constexpr ULONG QUELMAR_ALL_CHANNELS = 0xFFFFFFFF;

// {D6E7D2E7-9E53-421C-B546-A5D88CFE68B8}
struct IQuelmar : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetChannelCount(ULONG* pnChannels) = 0;                        // 3
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;                                               // 4
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;                                               // 5
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;                                               // 6
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;                                               // 7
    virtual HRESULT STDMETHODCALLTYPE GetLevel(ULONG nChannel, double* pdblLevel) = 0;               // 8
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;                                               // 9
    virtual HRESULT STDMETHODCALLTYPE SetGain(ULONG nChannel, double dblGain, ULONG nRampMs) = 0;    // 10
    virtual HRESULT STDMETHODCALLTYPE GetGain(ULONG nChannel, double* pdblGain) = 0;                 // 11
    virtual HRESULT STDMETHODCALLTYPE SetAutoGain(ULONG nChannel, double dblThreshold, double dblGain) = 0;  // 12
    virtual HRESULT STDMETHODCALLTYPE GetAutoGain(ULONG nChannel, double* pdblThreshold, double* pdblGain) = 0;  // 13
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;                                              // 14
    virtual HRESULT STDMETHODCALLTYPE AdviseEvent(ULONG bBefore, ULONG nChannel, double dblThreshold,
                                                  ULONG nMinDurationMs, ULONG bAbove, HANDLE hEvent,
                                                  ULONG* pdwCookie) = 0;                             // 15
    virtual HRESULT STDMETHODCALLTYPE Unadvise(ULONG dwCookie) = 0;                                  // 16
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;                                              // 17
    virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;                                              // 18
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;                                              // 19
    virtual HRESULT STDMETHODCALLTYPE Reserved20() = 0;                                              // 20
    virtual HRESULT STDMETHODCALLTYPE SetBandsPerOctave(ULONG nBandsPerOctave) = 0;                  // 21
    virtual HRESULT STDMETHODCALLTYPE GetBandsPerOctave(ULONG* pnBandsPerOctave) = 0;                // 22
    virtual HRESULT STDMETHODCALLTYPE SetFFT(QUELMAR_WINDOW eWindow, ULONG nOrder) = 0;              // 23
    virtual HRESULT STDMETHODCALLTYPE GetFFT(QUELMAR_WINDOW* peWindow, ULONG* pnOrder) = 0;          // 24
    virtual HRESULT STDMETHODCALLTYPE GetSpectrum(ULONG nChannel, ULONG nBands, ULONG* pnFilled,
                                                  double* pdblBands) = 0;                            // 25
};

// {44B8DE04-B24C-4523-899D-295F013E5958}
struct IQuelmarVersion : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetType(ULONG* peType) = 0;      // 3: 0 debug, else release
    virtual HRESULT STDMETHODCALLTYPE GetOS(ULONG* peOS) = 0;          // 4: 0 32-bit, else 64-bit
    virtual HRESULT STDMETHODCALLTYPE GetName(BSTR* pbstrName) = 0;    // 5
    virtual HRESULT STDMETHODCALLTYPE GetNumber(BSTR* pbstrNumber) = 0;  // 6
    virtual HRESULT STDMETHODCALLTYPE GetDateTime(BSTR* pbstrDateTime) = 0;  // 7
};

__CRT_UUID_DECL(IQuelmar, 0xd6e7d2e7, 0x9e53, 0x421c, 0xb5, 0x46, 0xa5, 0xd8, 0x8c, 0xfe, 0x68, 0xb8)
__CRT_UUID_DECL(IQuelmarVersion, 0x44b8de04, 0xb24c, 0x4523, 0x89, 0x9d, 0x29, 0x5f, 0x01, 0x3e, 0x59, 0x58)
