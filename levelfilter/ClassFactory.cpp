#include "ClassFactory.h"

#include <new>

#include "ComObject.h"
#include "Filter.h"

// The factory is a static object: its count only keeps the server loaded.
STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory))
        return HandOut(static_cast<IClassFactory*>(this), ppv);
    return NoInterface(ppv);
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef()
{
    return static_cast<ULONG>(++g_nServerLocks);
}

STDMETHODIMP_(ULONG) CClassFactory::Release()
{
    return static_cast<ULONG>(--g_nServerLocks);
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;
    CQuelmarFilter* pFilter = new (std::nothrow) CQuelmarFilter;
    if (!pFilter)
        return E_OUTOFMEMORY;
    HRESULT hr = pFilter->QueryInterface(riid, ppv);
    pFilter->Release();  // the caller's reference, if any, is the only one left
    return hr;
}

STDMETHODIMP CClassFactory::LockServer(BOOL fLock)
{
    if (fLock)
        g_nServerLocks++;
    else
        g_nServerLocks--;
    return S_OK;
}
