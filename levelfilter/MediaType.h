// Media types the level filter accepts, and the AM_MEDIA_TYPE chores.
#pragma once

#include "../filter/DirectShow.h"
#include "dsp/SampleFormat.h"

// The stream format of an accepted type: audio, WAVEFORMATEX (plain or
// extensible), PCM 8/16/24/32-bit (24 valid bits in 32 too) or IEEE float
// 32/64, a format tag or sub-format that matches the subtype, 1-64 channels,
// 8-384 kHz, consistent block alignment. False for anything else.
bool ParseAudioType(const AM_MEDIA_TYPE* pmt, quelmar::StreamFormat* pFormat);

// Deep copy (format block with CoTaskMemAlloc, object reference counted).
HRESULT CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource);
// Frees a type made by CoTaskMemAlloc and the type itself.
void DeleteMediaType(AM_MEDIA_TYPE* pmt);
// Same major type, subtype, format type and format block.
bool MediaTypesEqual(const AM_MEDIA_TYPE* pmt1, const AM_MEDIA_TYPE* pmt2);
