#include "Registration.h"

#include <atlbase.h>

#include <cstdio>

#include "../filter/DirectShow.h"
#include "../filter/Quelmar.h"

namespace {

constexpr char c_szFilterName[] = "Quelmar";

HRESULT FromWin32(LONG lResult)
{
    return lResult == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(lResult);
}

// "CLSID\{380949BC-...}"
void ClassKeyName(char* pszKey, size_t cchKey)
{
    WCHAR szClsid[40] = {};
    StringFromGUID2(CLSID_Quelmar, szClsid, 40);
    snprintf(pszKey, cchKey, "CLSID\\%s", static_cast<LPSTR>(CW2A(szClsid)));
}

HRESULT RegisterClass(HINSTANCE hInstance)
{
    char szPath[MAX_PATH] = {};
    if (!GetModuleFileNameA(hInstance, szPath, MAX_PATH))
        return HRESULT_FROM_WIN32(GetLastError());
    char szKey[64] = {};
    ClassKeyName(szKey, sizeof(szKey));
    CRegKey keyClass;
    HRESULT hr = FromWin32(keyClass.Create(HKEY_CLASSES_ROOT, szKey));
    if (SUCCEEDED(hr))
        hr = FromWin32(keyClass.SetStringValue(nullptr, c_szFilterName));
    CRegKey keyServer;
    if (SUCCEEDED(hr))
        hr = FromWin32(keyServer.Create(keyClass, "InprocServer32"));
    if (SUCCEEDED(hr))
        hr = FromWin32(keyServer.SetStringValue(nullptr, szPath));
    if (SUCCEEDED(hr))
        hr = FromWin32(keyServer.SetStringValue("ThreadingModel", "Both"));
    return hr;
}

HRESULT UnregisterClass()
{
    char szKey[64] = {};
    ClassKeyName(szKey, sizeof(szKey));
    LONG lResult = RegDeleteTreeA(HKEY_CLASSES_ROOT, szKey);
    return lResult == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(lResult);
}

HRESULT RegisterWithMapper()
{
    CComPtr<IFilterMapper2> spMapper;
    HRESULT hr = spMapper.CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER);
    if (FAILED(hr))
        return hr;
    REGPINTYPES rgAudio = {&MEDIATYPE_Audio, &MEDIASUBTYPE_NULL};
    REGFILTERPINS rgPins[2] = {
        {nullptr, FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &rgAudio},
        {nullptr, FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &rgAudio},
    };
    REGFILTER2 rf2 = {};
    rf2.dwVersion = 1;
    rf2.dwMerit = MERIT_DO_NOT_USE;
    rf2.cPins = 2;
    rf2.rgPins = rgPins;
    return spMapper->RegisterFilter(CLSID_Quelmar, L"Quelmar", nullptr, &CLSID_LegacyAmFilterCategory, nullptr, &rf2);
}

HRESULT UnregisterFromMapper()
{
    CComPtr<IFilterMapper2> spMapper;
    HRESULT hr = spMapper.CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER);
    if (FAILED(hr))
        return hr;
    hr = spMapper->UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, CLSID_Quelmar);
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ? S_OK : hr;
}

// COM for the length of one registration call; balanced on every path.
class CComScope {
public:
    CComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComScope()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }

private:
    HRESULT m_hr;
};

}  // namespace

HRESULT RegisterQuelmarFilter(HINSTANCE hInstance)
{
    CComScope com;
    HRESULT hr = RegisterClass(hInstance);
    if (FAILED(hr))
        return hr;
    return RegisterWithMapper();
}

HRESULT UnregisterQuelmarFilter()
{
    CComScope com;
    HRESULT hr = UnregisterFromMapper();
    HRESULT hrClass = UnregisterClass();
    return FAILED(hr) ? hr : hrClass;
}
