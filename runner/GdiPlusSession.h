// GDI+ started for as long as the object lives, and the PNG encoder.
#pragma once

#include <windows.h>

class CGdiPlusSession {
public:
    CGdiPlusSession();
    ~CGdiPlusSession();
    CGdiPlusSession(const CGdiPlusSession&) = delete;
    CGdiPlusSession& operator=(const CGdiPlusSession&) = delete;

    bool Started() const { return m_ulToken != 0; }
    // Saves a bitmap as a PNG file; S_OK or the failure.
    HRESULT SavePng(HBITMAP hBitmap, const wchar_t* pszPath) const;

private:
    ULONG_PTR m_ulToken = 0;
};
