// The DirectShow headers, plus the __uuidof declarations that mingw-w64's
// control.h leaves out for the interfaces the program and the filter use.
#pragma once

#include <dshow.h>

__CRT_UUID_DECL(IMediaEvent, 0x56a868b6, 0x0ad4, 0x11ce, 0xb0, 0x3a, 0x00, 0x20, 0xaf, 0x0b, 0xa7, 0x70)
__CRT_UUID_DECL(IMediaEventEx, 0x56a868c0, 0x0ad4, 0x11ce, 0xb0, 0x3a, 0x00, 0x20, 0xaf, 0x0b, 0xa7, 0x70)
__CRT_UUID_DECL(IMediaPosition, 0x56a868b2, 0x0ad4, 0x11ce, 0xb0, 0x3a, 0x00, 0x20, 0xaf, 0x0b, 0xa7, 0x70)

// Frees a media type's format block and object reference and zeroes it.
inline void FreeMediaType(AM_MEDIA_TYPE* pmt)
{
    if (pmt->pbFormat)
        CoTaskMemFree(pmt->pbFormat);
    if (pmt->pUnk)
        pmt->pUnk->Release();
    *pmt = AM_MEDIA_TYPE();
}
