// Base pieces of the test doubles: a reference count the test can read (no
// object deletes itself: the test owns them all), and a class factory that
// hands out one given object while it is registered over a class id.
#pragma once

#include <atlbase.h>

#include "../../filter/DirectShow.h"

#include <string>
#include <vector>

// Counts references without deleting; the test checks the count returns to 1.
#define FAKE_REFCOUNT()                                                                                     \
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRefs; }                                            \
    STDMETHODIMP_(ULONG) Release() override { return --m_nRefs; }                                           \
    ULONG m_nRefs = 1;

// Registers a factory over clsid for its lifetime (CoRegisterClassObject), so
// that CoCreateInstance on this thread gets pObject, or fails with hrCreate.
class CRegisteredFake : public IClassFactory {
public:
    CRegisteredFake(REFCLSID clsid, IUnknown* pObject, HRESULT hrCreate = S_OK);
    ~CRegisteredFake();
    CRegisteredFake(const CRegisteredFake&) = delete;
    CRegisteredFake& operator=(const CRegisteredFake&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    FAKE_REFCOUNT()
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    int m_nCreated = 0;

private:
    IUnknown* m_pObject;
    HRESULT m_hrCreate;
    DWORD m_dwCookie = 0;
};

// Builds a WAVEFORMATEX audio type (PCM 16-bit stereo 48 kHz by default).
AM_MEDIA_TYPE MakeAudioType(const GUID& subtype = MEDIASUBTYPE_PCM, const GUID& formattype = FORMAT_WaveFormatEx);
