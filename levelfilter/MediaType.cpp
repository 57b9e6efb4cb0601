#include "MediaType.h"

#include <cstring>
#include <mmreg.h>

namespace {

bool SampleTypeFor(bool bFloat, WORD wBits, quelmar::SampleType* peType)
{
    using quelmar::SampleType;
    if (bFloat) {
        if (wBits != 32 && wBits != 64)
            return false;
        *peType = wBits == 32 ? SampleType::Float32 : SampleType::Float64;
        return true;
    }
    switch (wBits) {
    case 8: *peType = SampleType::UInt8; return true;
    case 16: *peType = SampleType::Int16; return true;
    case 24: *peType = SampleType::Int24; return true;
    case 32: *peType = SampleType::Int32; return true;
    default: return false;
    }
}

// Whether the samples are floats, from the format tag (or the extensible
// sub-format); false when the block describes neither PCM nor float.
bool ReadEncoding(const AM_MEDIA_TYPE* pmt, bool* pbFloat)
{
    const WAVEFORMATEX* pwfx = reinterpret_cast<const WAVEFORMATEX*>(pmt->pbFormat);
    switch (pwfx->wFormatTag) {
    case WAVE_FORMAT_PCM: *pbFloat = false; return true;
    case WAVE_FORMAT_IEEE_FLOAT: *pbFloat = true; return true;
    case WAVE_FORMAT_EXTENSIBLE: {
        if (pmt->cbFormat < sizeof(WAVEFORMATEXTENSIBLE) || pwfx->cbSize < 22)
            return false;
        // The PCM and float sub-formats are the wave tags in the base GUID,
        // the same values as the media subtypes of those tags.
        const WAVEFORMATEXTENSIBLE* pwfxe = reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(pwfx);
        if (IsEqualGUID(pwfxe->SubFormat, MEDIASUBTYPE_PCM)) {
            *pbFloat = false;
            return true;
        }
        if (IsEqualGUID(pwfxe->SubFormat, MEDIASUBTYPE_IEEE_FLOAT)) {
            *pbFloat = true;
            return true;
        }
        return false;
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
    if (!IsEqualGUID(pmt->subtype, MEDIASUBTYPE_PCM) && !IsEqualGUID(pmt->subtype, MEDIASUBTYPE_IEEE_FLOAT))
        return false;
    bool bFloat = false;
    if (!ReadEncoding(pmt, &bFloat))
        return false;
    const WAVEFORMATEX* pwfx = reinterpret_cast<const WAVEFORMATEX*>(pmt->pbFormat);
    quelmar::StreamFormat format;
    if (!SampleTypeFor(bFloat, pwfx->wBitsPerSample, &format.eType))
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
