#include "GdiPlusSession.h"

#include <objidl.h>
#include <gdiplus.h>

#include <vector>

namespace {

using namespace Gdiplus;

HRESULT FindPngEncoder(CLSID& clsid)
{
    UINT nEncoders = 0, cbEncoders = 0;
    if (DllExports::GdipGetImageEncodersSize(&nEncoders, &cbEncoders) != Ok || cbEncoders == 0)
        return E_FAIL;
    std::vector<BYTE> rgBuffer(cbEncoders);
    ImageCodecInfo* pCodecs = reinterpret_cast<ImageCodecInfo*>(rgBuffer.data());
    if (DllExports::GdipGetImageEncoders(nEncoders, cbEncoders, pCodecs) != Ok)
        return E_FAIL;
    for (UINT i = 0; i < nEncoders; ++i) {
        if (pCodecs[i].MimeType && lstrcmpiW(pCodecs[i].MimeType, L"image/png") == 0) {
            clsid = pCodecs[i].Clsid;
            return S_OK;
        }
    }
    return REGDB_E_CLASSNOTREG;
}

}  // namespace

CGdiPlusSession::CGdiPlusSession()
{
    GdiplusStartupInput input;
    if (GdiplusStartup(&m_ulToken, &input, nullptr) != Ok)
        m_ulToken = 0;
}

CGdiPlusSession::~CGdiPlusSession()
{
    if (m_ulToken)
        GdiplusShutdown(m_ulToken);
}

HRESULT CGdiPlusSession::SavePng(HBITMAP hBitmap, const wchar_t* pszPath) const
{
    if (!Started())
        return E_FAIL;
    CLSID clsidPng;
    HRESULT hr = FindPngEncoder(clsidPng);
    if (FAILED(hr))
        return hr;
    GpBitmap* pBitmap = nullptr;
    if (DllExports::GdipCreateBitmapFromHBITMAP(hBitmap, nullptr, &pBitmap) != Ok)
        return E_FAIL;
    Status status = DllExports::GdipSaveImageToFile(pBitmap, pszPath, &clsidPng, nullptr);
    DllExports::GdipDisposeImage(pBitmap);
    return status == Ok ? S_OK : E_FAIL;
}
