// The in-process server of QuelmarFilter.dll.
#include <windows.h>

#include "ClassFactory.h"
#include "ComObject.h"
#include "Registration.h"
#include "../filter/Quelmar.h"

std::atomic<long> g_nObjects{0};
std::atomic<long> g_nServerLocks{0};

namespace {

HINSTANCE g_hInstance = nullptr;
CClassFactory g_factory;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*lpReserved*/)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_hInstance = hInstance;
        DisableThreadLibraryCalls(hInstance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_Quelmar))
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return g_nObjects == 0 && g_nServerLocks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    return RegisterQuelmarFilter(g_hInstance);
}

STDAPI DllUnregisterServer()
{
    return UnregisterQuelmarFilter();
}
