// Small pieces shared by the filter's COM objects.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>

// Objects and server locks alive in this DLL (DllCanUnloadNow).
extern std::atomic<long> g_nObjects;
extern std::atomic<long> g_nServerLocks;

// Hands out pInterface with one reference, as QueryInterface does on a hit.
template <class TInterface>
HRESULT HandOut(TInterface* pInterface, void** ppv)
{
    *ppv = pInterface;
    pInterface->AddRef();
    return S_OK;
}

// The QueryInterface miss: null the output and say so.
inline HRESULT NoInterface(void** ppv)
{
    *ppv = nullptr;
    return E_NOINTERFACE;
}
