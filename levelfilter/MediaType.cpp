#include "MediaType.h"

#include <cstring>
#include <mmreg.h>

namespace {

bool SampleTypeFor(bool bFloat, WORD wBits, WORD wValidBits, quelmar::SampleType* peType)
{
    using quelmar::SampleType;
    if (bFloat) {
        if ((wBits != 32 && wBits != 64) || wValidBits != wBits)
            return false;
        *peType = wBits == 32 ? SampleType::Float32 : SampleType::Float64;
        return true;
    }
    if (wBits == 32 && wValidBits == 24) {
        *peType = SampleType::Int24In32;
        return true;
    }
    if (wValidBits != wBits)
        return false;  // other padded layouts are not processed
    switch (wBits) {
    case 8: *peType = SampleType::UInt8; return true;
    case 16: *peType = SampleType::Int16; return true;
    case 24: *peType = SampleType::Int24; return true;
    case 32: *peType = SampleType::Int32; return true;
    default: return false;
    }
}

// The sub-format GUID the format block names (its tag, or the extensible
// block's SubFormat), and how many bits of each sample carry it (the
// extensible block's valid bits, where it gives them; all otherwise). False
// for a block too short for its tag.
bool ReadEncoding(const AM_MEDIA_TYPE* pmt, GUID* pSubFormat, WORD* pwValidBits)
{
    const WAVEFORMATEX* pwfx = reinterpret_cast<const WAVEFORMATEX*>(pmt->pbFormat);
    *pwValidBits = pwfx->wBitsPerSample;
    switch (pwfx->wFormatTag) {
    // The PCM and float sub-formats are the wave tags in the base GUID, the
    // same values as the media subtypes of those tags.
    case WAVE_FORMAT_PCM: *pSubFormat = MEDIASUBTYPE_PCM; return true;
    case WAVE_FORMAT_IEEE_FLOAT: *pSubFormat = MEDIASUBTYPE_IEEE_FLOAT; return true;
    case WAVE_FORMAT_EXTENSIBLE: {
        if (pmt->cbFormat < sizeof(WAVEFORMATEXTENSIBLE) || pwfx->cbSize < 22)
            return false;
        const WAVEFORMATEXTENSIBLE* pwfxe = reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(pwfx);
        *pSubFormat = pwfxe->SubFormat;
        if (pwfxe->Samples.wValidBitsPerSample != 0)  // zero: every bit is valid
            *pwValidBits = pwfxe->Samples.wValidBitsPerSample;
        return true;
    }
    default:
        return false;
    }
}

}  // namespace

bool ParseAudioType(const AM_MEDIA_TYPE* pmt, quelmar::StreamFormat* pFormat)
{
    if (!pmt || !IsEqualGUID(pmt->majortype, MEDIATYPE_Audio) ||
        !IsEqualGUID(pmt->formattype, FORMAT_WaveFormatEx) || !pmt->pbFormat || pmt->cbFormat < sizeof(WAVEFORMATEX))
        return false;
    bool bFloat = IsEqualGUID(pmt->subtype, MEDIASUBTYPE_IEEE_FLOAT);
    if (!bFloat && !IsEqualGUID(pmt->subtype, MEDIASUBTYPE_PCM))
        return false;
    // The format block must describe the subtype's encoding, or the samples
    // would be read as something they are not.
    GUID subFormat = GUID_NULL;
    WORD wValidBits = 0;
    if (!ReadEncoding(pmt, &subFormat, &wValidBits) || !IsEqualGUID(subFormat, pmt->subtype))
        return false;
    const WAVEFORMATEX* pwfx = reinterpret_cast<const WAVEFORMATEX*>(pmt->pbFormat);
    quelmar::StreamFormat format;
    if (!SampleTypeFor(bFloat, pwfx->wBitsPerSample, wValidBits, &format.eType))
        return false;
    format.nChannels = pwfx->nChannels;
    format.nSampleRate = pwfx->nSamplesPerSec;
    if (!quelmar::IsSupported(format) ||
        pwfx->nBlockAlign != quelmar::BytesPerSample(format.eType) * format.nChannels)
        return false;
    *pFormat = format;
    return true;
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource)
{
    *pmtTarget = *pmtSource;
    if (pmtSource->cbFormat && pmtSource->pbFormat) {
        pmtTarget->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(pmtSource->cbFormat));
        if (!pmtTarget->pbFormat) {
            pmtTarget->cbFormat = 0;
            pmtTarget->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        memcpy(pmtTarget->pbFormat, pmtSource->pbFormat, pmtSource->cbFormat);
    } else {
        pmtTarget->pbFormat = nullptr;
        pmtTarget->cbFormat = 0;
    }
    if (pmtTarget->pUnk)
        pmtTarget->pUnk->AddRef();
    return S_OK;
}

void DeleteMediaType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return;
    FreeMediaType(pmt);
    CoTaskMemFree(pmt);
}

bool MediaTypesEqual(const AM_MEDIA_TYPE* pmt1, const AM_MEDIA_TYPE* pmt2)
{
    return IsEqualGUID(pmt1->majortype, pmt2->majortype) && IsEqualGUID(pmt1->subtype, pmt2->subtype) &&
           IsEqualGUID(pmt1->formattype, pmt2->formattype) && pmt1->cbFormat == pmt2->cbFormat &&
           (pmt1->cbFormat == 0 || memcmp(pmt1->pbFormat, pmt2->pbFormat, pmt1->cbFormat) == 0);
}
