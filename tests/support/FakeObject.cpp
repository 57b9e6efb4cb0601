#include "FakeObject.h"

#include <mmreg.h>

CRegisteredFake::CRegisteredFake(REFCLSID clsid, IUnknown* pObject, HRESULT hrCreate)
    : m_pObject(pObject), m_hrCreate(hrCreate)
{
    CoRegisterClassObject(clsid, static_cast<IClassFactory*>(this), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                          &m_dwCookie);
}

CRegisteredFake::~CRegisteredFake()
{
    CoRevokeClassObject(m_dwCookie);
}

STDMETHODIMP CRegisteredFake::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CRegisteredFake::CreateInstance(IUnknown* /*pUnkOuter*/, REFIID riid, void** ppv)
{
    *ppv = nullptr;
    if (FAILED(m_hrCreate))
        return m_hrCreate;
    m_nCreated++;
    return m_pObject->QueryInterface(riid, ppv);
}

AM_MEDIA_TYPE MakeAudioType(const GUID& subtype, const GUID& formattype)
{
    AM_MEDIA_TYPE mt = {};
    mt.majortype = MEDIATYPE_Audio;
    mt.subtype = subtype;
    mt.formattype = formattype;
    WAVEFORMATEX* pwfx = static_cast<WAVEFORMATEX*>(CoTaskMemAlloc(sizeof(WAVEFORMATEX)));
    *pwfx = {WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
    mt.cbFormat = sizeof(WAVEFORMATEX);
    mt.pbFormat = reinterpret_cast<BYTE*>(pwfx);
    return mt;
}
