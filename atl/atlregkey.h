// Owner of one open registry key; the key is closed on every path.
#pragma once

#include "atldef.h"

namespace ATL {

class CRegKey {
public:
    CRegKey() : m_hKey(nullptr) {}
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    operator HKEY() const { return m_hKey; }

    LONG Open(HKEY hKeyParent, LPCSTR lpszKeyName, REGSAM samDesired = KEY_READ | KEY_WRITE)
    {
        HKEY hKey = nullptr;
        LONG lRes = ::RegOpenKeyExA(hKeyParent, lpszKeyName, 0, samDesired, &hKey);
        if (lRes == ERROR_SUCCESS)
            Attach(hKey);
        return lRes;
    }
    LONG Create(HKEY hKeyParent, LPCSTR lpszKeyName, REGSAM samDesired = KEY_READ | KEY_WRITE)
    {
        HKEY hKey = nullptr;
        LONG lRes = ::RegCreateKeyExA(hKeyParent, lpszKeyName, 0, nullptr, REG_OPTION_NON_VOLATILE, samDesired,
                                      nullptr, &hKey, nullptr);
        if (lRes == ERROR_SUCCESS)
            Attach(hKey);
        return lRes;
    }
    LONG Close()
    {
        LONG lRes = ERROR_SUCCESS;
        if (m_hKey) {
            lRes = ::RegCloseKey(m_hKey);
            m_hKey = nullptr;
        }
        return lRes;
    }
    void Attach(HKEY hKey)
    {
        Close();
        m_hKey = hKey;
    }
    HKEY Detach()
    {
        HKEY hKey = m_hKey;
        m_hKey = nullptr;
        return hKey;
    }

    // Raw read of a value: type, data and size as RegQueryValueExA gives them.
    LONG QueryValue(LPCSTR pszValueName, DWORD* pdwType, void* pData, ULONG* pnBytes)
    {
        return ::RegQueryValueExA(m_hKey, pszValueName, nullptr, pdwType, static_cast<LPBYTE>(pData), pnBytes);
    }
    LONG SetValue(LPCSTR pszValueName, DWORD dwType, const void* pValue, ULONG nBytes)
    {
        return ::RegSetValueExA(m_hKey, pszValueName, 0, dwType, static_cast<const BYTE*>(pValue), nBytes);
    }
    LONG SetStringValue(LPCSTR pszValueName, LPCSTR pszValue, DWORD dwType = REG_SZ)
    {
        return SetValue(pszValueName, dwType, pszValue, static_cast<ULONG>(lstrlenA(pszValue) + 1));
    }
    LONG SetDWORDValue(LPCSTR pszValueName, DWORD dwValue)
    {
        return SetValue(pszValueName, REG_DWORD, &dwValue, sizeof(dwValue));
    }
    LONG RecurseDeleteKey(LPCSTR lpszKey) { return ::RegDeleteTreeA(m_hKey, lpszKey); }

    HKEY m_hKey;
};

}  // namespace ATL
