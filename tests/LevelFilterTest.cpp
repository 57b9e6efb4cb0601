// The level filter component: its contract on a bare instance, and the
// filter at work in real graphs of Wine's filter graph manager.
#include <gtest/gtest.h>

#include <atlbase.h>
#include <mmreg.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <functional>
#include <thread>

#include "FakeFilter.h"
#include "ProcessResources.h"
#include "RecordingSink.h"
#include "WavFile.h"
#include "WindowText.h"
#include "../filter/DirectShow.h"
#include "../filter/Quelmar.h"

namespace {

// ---- A bare filter, connected to a minimal upstream pin -------------------

// An audio media type with a WAVEFORMATEXTENSIBLE block to tweak.
struct CAudioType {
    CAudioType(WORD wTag, WORD wBits, WORD nChannels, DWORD nRate, bool bFloat = false)
    {
        wfx.Format.wFormatTag = wTag;
        wfx.Format.nChannels = nChannels;
        wfx.Format.nSamplesPerSec = nRate;
        wfx.Format.wBitsPerSample = wBits;
        wfx.Format.nBlockAlign = static_cast<WORD>(nChannels * wBits / 8);
        wfx.Format.nAvgBytesPerSec = wfx.Format.nBlockAlign * nRate;
        if (wTag == WAVE_FORMAT_EXTENSIBLE) {
            wfx.Format.cbSize = 22;
            wfx.Samples.wValidBitsPerSample = wBits;
            wfx.SubFormat = bFloat ? MEDIASUBTYPE_IEEE_FLOAT : MEDIASUBTYPE_PCM;
        }
        mt.majortype = MEDIATYPE_Audio;
        mt.subtype = bFloat || wTag == WAVE_FORMAT_IEEE_FLOAT ? MEDIASUBTYPE_IEEE_FLOAT : MEDIASUBTYPE_PCM;
        mt.formattype = FORMAT_WaveFormatEx;
        mt.bFixedSizeSamples = TRUE;
        mt.lSampleSize = wfx.Format.nBlockAlign;
        mt.cbFormat = wTag == WAVE_FORMAT_EXTENSIBLE ? sizeof(WAVEFORMATEXTENSIBLE) : sizeof(WAVEFORMATEX);
        mt.pbFormat = reinterpret_cast<BYTE*>(&wfx);
    }
    CAudioType(const CAudioType& other) : wfx(other.wfx), mt(other.mt) { mt.pbFormat = reinterpret_cast<BYTE*>(&wfx); }

    WAVEFORMATEXTENSIBLE wfx = {};
    AM_MEDIA_TYPE mt = {};
};

CComPtr<IPin> FilterPin(IBaseFilter* pFilter, LPCWSTR pszId)
{
    CComPtr<IPin> spPin;
    pFilter->FindPin(pszId, &spPin);
    return spPin;
}

class BareFilter : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, m_spFilter.CoCreateInstance(CLSID_Quelmar, nullptr, CLSCTX_INPROC_SERVER));
        m_spQuelmar = m_spFilter;
        ASSERT_NE(nullptr, m_spQuelmar.p);
    }
    void TearDown() override
    {
        m_spQuelmar.Release();
        if (m_spFilter) {
            FilterPin(m_spFilter, L"In")->Disconnect();
            EXPECT_EQ(0u, m_spFilter.Detach()->Release());  // the last reference
        }
        EXPECT_EQ(1u, m_upstream.m_nRefs);
    }
    HRESULT Connect(const CAudioType& type) { return FilterPin(m_spFilter, L"In")->ReceiveConnection(&m_upstream, &type.mt); }

    CFakeFilter m_upstreamFilter{L"upstream"};
    CFakePin m_upstream{&m_upstreamFilter, PINDIR_OUTPUT};  // offers a type to the filter's input
    CComPtr<IBaseFilter> m_spFilter;
    CComQIPtr<IQuelmar> m_spQuelmar;
};

struct CTypeCase {
    const char* pszName;
    CAudioType type;
    HRESULT hrExpected;
};

CAudioType Tweaked(CAudioType type, void (*pfnTweak)(CAudioType&))
{
    pfnTweak(type);
    return type;
}

const CTypeCase g_rgTypeCases[] = {
    {"Pcm8", CAudioType(WAVE_FORMAT_PCM, 8, 1, 8000), S_OK},
    {"Pcm16", CAudioType(WAVE_FORMAT_PCM, 16, 2, 44100), S_OK},
    {"Pcm24", CAudioType(WAVE_FORMAT_PCM, 24, 2, 96000), S_OK},
    {"Pcm32", CAudioType(WAVE_FORMAT_PCM, 32, 2, 48000), S_OK},
    {"Float32", CAudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 48000), S_OK},
    {"Float64", CAudioType(WAVE_FORMAT_IEEE_FLOAT, 64, 1, 384000), S_OK},
    {"Extensible16Six", CAudioType(WAVE_FORMAT_EXTENSIBLE, 16, 6, 48000), S_OK},
    {"ExtensibleFloat64Channels", CAudioType(WAVE_FORMAT_EXTENSIBLE, 32, 64, 48000, true), S_OK},
    {"Pcm12Bits", CAudioType(WAVE_FORMAT_PCM, 12, 2, 48000), VFW_E_TYPE_NOT_ACCEPTED},
    {"Float16", CAudioType(WAVE_FORMAT_IEEE_FLOAT, 16, 2, 48000), VFW_E_TYPE_NOT_ACCEPTED},
    {"SixtyFiveChannels", CAudioType(WAVE_FORMAT_EXTENSIBLE, 16, 65, 48000), VFW_E_TYPE_NOT_ACCEPTED},
    {"ZeroChannels", CAudioType(WAVE_FORMAT_PCM, 16, 0, 48000), VFW_E_TYPE_NOT_ACCEPTED},
    {"Rate7999", CAudioType(WAVE_FORMAT_PCM, 16, 2, 7999), VFW_E_TYPE_NOT_ACCEPTED},
    {"Rate384001", CAudioType(WAVE_FORMAT_PCM, 16, 2, 384001), VFW_E_TYPE_NOT_ACCEPTED},
    {"WrongBlockAlign", Tweaked(CAudioType(WAVE_FORMAT_PCM, 16, 2, 48000), [](CAudioType& t) { t.wfx.Format.nBlockAlign = 3; }),
     VFW_E_TYPE_NOT_ACCEPTED},
    {"VideoMajorType", Tweaked(CAudioType(WAVE_FORMAT_PCM, 16, 2, 48000), [](CAudioType& t) { t.mt.majortype = MEDIATYPE_Video; }),
     VFW_E_TYPE_NOT_ACCEPTED},
    {"Mp3Subtype", Tweaked(CAudioType(WAVE_FORMAT_PCM, 16, 2, 48000), [](CAudioType& t) { t.mt.subtype = MEDIASUBTYPE_MPEG1AudioPayload; }),
     VFW_E_TYPE_NOT_ACCEPTED},
    {"NoFormatBlock", Tweaked(CAudioType(WAVE_FORMAT_PCM, 16, 2, 48000), [](CAudioType& t) { t.mt.cbFormat = 0; t.mt.pbFormat = nullptr; }),
     VFW_E_TYPE_NOT_ACCEPTED},
    {"ShortExtensible", Tweaked(CAudioType(WAVE_FORMAT_EXTENSIBLE, 16, 2, 48000), [](CAudioType& t) { t.mt.cbFormat = sizeof(WAVEFORMATEX); }),
     VFW_E_TYPE_NOT_ACCEPTED},
    {"AdpcmTag", CAudioType(WAVE_FORMAT_ADPCM, 16, 2, 48000), VFW_E_TYPE_NOT_ACCEPTED},
    {"Extensible24In32", Tweaked(CAudioType(WAVE_FORMAT_EXTENSIBLE, 32, 2, 48000), [](CAudioType& t) { t.wfx.Samples.wValidBitsPerSample = 24; }),
     S_OK},
    {"Extensible20In24", Tweaked(CAudioType(WAVE_FORMAT_EXTENSIBLE, 24, 2, 48000), [](CAudioType& t) { t.wfx.Samples.wValidBitsPerSample = 20; }),
     VFW_E_TYPE_NOT_ACCEPTED},
    {"FloatTagPcmSubtype", Tweaked(CAudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 48000), [](CAudioType& t) { t.mt.subtype = MEDIASUBTYPE_PCM; }),
     VFW_E_TYPE_NOT_ACCEPTED},
    {"PcmTagFloatSubtype", Tweaked(CAudioType(WAVE_FORMAT_PCM, 32, 2, 48000), [](CAudioType& t) { t.mt.subtype = MEDIASUBTYPE_IEEE_FLOAT; }),
     VFW_E_TYPE_NOT_ACCEPTED},
    {"ExtensibleSubFormatNotTheSubtype", Tweaked(CAudioType(WAVE_FORMAT_EXTENSIBLE, 32, 2, 48000, true), [](CAudioType& t) { t.mt.subtype = MEDIASUBTYPE_PCM; }),
     VFW_E_TYPE_NOT_ACCEPTED},
};

class BareFilterType : public BareFilter, public testing::WithParamInterface<CTypeCase> {};

TEST_P(BareFilterType, AcceptsExactlyTheSupportedFormats)
{
    const CTypeCase& c = GetParam();
    EXPECT_EQ(c.hrExpected == S_OK ? S_OK : S_FALSE, FilterPin(m_spFilter, L"In")->QueryAccept(&c.type.mt));
    EXPECT_EQ(c.hrExpected, Connect(c.type));
    ULONG nChannels = 99;
    EXPECT_EQ(S_OK, m_spQuelmar->GetChannelCount(&nChannels));
    EXPECT_EQ(c.hrExpected == S_OK ? c.type.wfx.Format.nChannels : 0u, nChannels);
}

INSTANTIATE_TEST_SUITE_P(Types, BareFilterType, testing::ValuesIn(g_rgTypeCases),
                         [](const testing::TestParamInfo<CTypeCase>& info) { return info.param.pszName; });

TEST_F(BareFilter, PinsAndIdentity)
{
    CLSID clsid = CLSID_NULL;
    EXPECT_EQ(S_OK, m_spFilter->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_Quelmar, clsid));
    CComPtr<IEnumPins> spEnum;
    ASSERT_EQ(S_OK, m_spFilter->EnumPins(&spEnum));
    PIN_DIRECTION rgExpected[] = {PINDIR_INPUT, PINDIR_OUTPUT};
    for (PIN_DIRECTION eExpected : rgExpected) {
        CComPtr<IPin> spPin;
        ULONG nFetched = 0;
        ASSERT_EQ(S_OK, spEnum->Next(1, &spPin, &nFetched));
        PIN_DIRECTION eDirection;
        EXPECT_EQ(S_OK, spPin->QueryDirection(&eDirection));
        EXPECT_EQ(eExpected, eDirection);
        CComPtr<IPin> spConnected;
        EXPECT_EQ(VFW_E_NOT_CONNECTED, spPin->ConnectedTo(&spConnected));
        EXPECT_EQ(nullptr, spConnected.p);
    }
    CComPtr<IPin> spThird;
    EXPECT_EQ(S_FALSE, spEnum->Next(1, &spThird, nullptr));
    CComQIPtr<IMediaSeeking> spSeeking(FilterPin(m_spFilter, L"Out"));
    ASSERT_NE(nullptr, spSeeking.p);
    LONGLONG llDuration = 0;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, spSeeking->GetDuration(&llDuration));  // nothing upstream to ask
}

TEST_F(BareFilter, UnconnectedSettingsAndDefaults)
{
    ULONG n = 99;
    EXPECT_EQ(S_OK, m_spQuelmar->GetChannelCount(&n));
    EXPECT_EQ(0u, n);
    double dbl = 0;
    EXPECT_EQ(E_INVALIDARG, m_spQuelmar->GetLevel(0, &dbl));
    EXPECT_EQ(S_OK, m_spQuelmar->GetBandsPerOctave(&n));
    EXPECT_EQ(3u, n);
    QUELMAR_WINDOW eWindow = QUELMAR_WINDOW_UNIFORM;
    EXPECT_EQ(S_OK, m_spQuelmar->GetFFT(&eWindow, &n));
    EXPECT_EQ(QUELMAR_WINDOW_HANN, eWindow);
    EXPECT_EQ(12u, n);
    EXPECT_EQ(S_OK, m_spQuelmar->SetGain(QUELMAR_ALL_CHANNELS, -40.0, 100));
    EXPECT_EQ(E_INVALIDARG, m_spQuelmar->Unadvise(1));
    EXPECT_EQ(E_NOTIMPL, m_spQuelmar->Reserved4());
    EXPECT_EQ(E_NOTIMPL, m_spQuelmar->Reserved20());
}

struct CArgumentCase {
    const char* pszName;
    std::function<HRESULT(IQuelmar*)> fnCall;
    HRESULT hrExpected;
};

double g_dbl;
ULONG g_n;
QUELMAR_WINDOW g_eWindow;
double g_rgdblBands[66];
const HANDLE g_hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);

const CArgumentCase g_rgArgumentCases[] = {
    {"GetLevelLastChannel", [](IQuelmar* p) { return p->GetLevel(1, &g_dbl); }, S_OK},
    {"GetLevelPastTheChannels", [](IQuelmar* p) { return p->GetLevel(2, &g_dbl); }, E_INVALIDARG},
    {"GetLevelAllChannels", [](IQuelmar* p) { return p->GetLevel(QUELMAR_ALL_CHANNELS, &g_dbl); }, E_INVALIDARG},
    {"GetLevelNull", [](IQuelmar* p) { return p->GetLevel(0, nullptr); }, E_POINTER},
    {"GetChannelCountNull", [](IQuelmar* p) { return p->GetChannelCount(nullptr); }, E_POINTER},
    {"SetGainAll", [](IQuelmar* p) { return p->SetGain(QUELMAR_ALL_CHANNELS, -40.0, 100); }, S_OK},
    {"SetGainLimits", [](IQuelmar* p) { return p->SetGain(1, 40.0, 10000); }, S_OK},
    {"SetGainTooHigh", [](IQuelmar* p) { return p->SetGain(0, 40.5, 0); }, E_INVALIDARG},
    {"SetGainTooLow", [](IQuelmar* p) { return p->SetGain(0, -41.0, 0); }, E_INVALIDARG},
    {"SetGainNaN", [](IQuelmar* p) { return p->SetGain(0, NAN, 0); }, E_INVALIDARG},
    {"SetGainLongRamp", [](IQuelmar* p) { return p->SetGain(0, 0.0, 10001); }, E_INVALIDARG},
    {"SetGainBadChannel", [](IQuelmar* p) { return p->SetGain(2, 0.0, 0); }, E_INVALIDARG},
    {"GetGainNull", [](IQuelmar* p) { return p->GetGain(0, nullptr); }, E_POINTER},
    {"GetGainAll", [](IQuelmar* p) { return p->GetGain(QUELMAR_ALL_CHANNELS, &g_dbl); }, E_INVALIDARG},
    {"SetAutoGainAll", [](IQuelmar* p) { return p->SetAutoGain(QUELMAR_ALL_CHANNELS, -20.0, 0.0); }, S_OK},
    {"SetAutoGainThresholdLow", [](IQuelmar* p) { return p->SetAutoGain(0, -20.5, -5.0); }, E_INVALIDARG},
    {"SetAutoGainPositive", [](IQuelmar* p) { return p->SetAutoGain(0, -5.0, 0.5); }, E_INVALIDARG},
    {"SetAutoGainNaN", [](IQuelmar* p) { return p->SetAutoGain(0, NAN, -5.0); }, E_INVALIDARG},
    {"GetAutoGainNull", [](IQuelmar* p) { return p->GetAutoGain(0, &g_dbl, nullptr); }, E_POINTER},
    {"AdviseValid", [](IQuelmar* p) { return p->AdviseEvent(1, 1, -60.0, 0, 0, g_hEvent, &g_n); }, S_OK},
    {"AdviseThresholdLow", [](IQuelmar* p) { return p->AdviseEvent(1, 0, -60.5, 0, 1, g_hEvent, &g_n); }, E_INVALIDARG},
    {"AdviseThresholdPositive", [](IQuelmar* p) { return p->AdviseEvent(1, 0, 0.5, 0, 1, g_hEvent, &g_n); }, E_INVALIDARG},
    {"AdviseFlagTwo", [](IQuelmar* p) { return p->AdviseEvent(2, 0, -10.0, 0, 1, g_hEvent, &g_n); }, E_INVALIDARG},
    {"AdviseAllChannels", [](IQuelmar* p) { return p->AdviseEvent(1, QUELMAR_ALL_CHANNELS, -10.0, 0, 1, g_hEvent, &g_n); },
     E_INVALIDARG},
    {"AdviseNoEvent", [](IQuelmar* p) { return p->AdviseEvent(1, 0, -10.0, 0, 1, nullptr, &g_n); }, E_INVALIDARG},
    {"AdviseNoCookie", [](IQuelmar* p) { return p->AdviseEvent(1, 0, -10.0, 0, 1, g_hEvent, nullptr); }, E_POINTER},
    {"SetBandsFour", [](IQuelmar* p) { return p->SetBandsPerOctave(4); }, E_INVALIDARG},
    {"SetBandsOff", [](IQuelmar* p) { return p->SetBandsPerOctave(0); }, S_OK},
    {"SetFftWindowFive", [](IQuelmar* p) { return p->SetFFT(static_cast<QUELMAR_WINDOW>(5), 12); }, E_INVALIDARG},
    {"SetFftOrderNine", [](IQuelmar* p) { return p->SetFFT(QUELMAR_WINDOW_HANN, 9); }, E_INVALIDARG},
    {"SetFftOrderSixteen", [](IQuelmar* p) { return p->SetFFT(QUELMAR_WINDOW_HANN, 16); }, E_INVALIDARG},
    {"SetFftLimits", [](IQuelmar* p) { return p->SetFFT(QUELMAR_WINDOW_UNIFORM, 15); }, S_OK},
    {"GetFftNull", [](IQuelmar* p) { return p->GetFFT(&g_eWindow, nullptr); }, E_POINTER},
    {"SpectrumBeforeData", [](IQuelmar* p) { return p->GetSpectrum(0, 33, &g_n, g_rgdblBands); }, S_OK},
    {"SpectrumWrongBandCount", [](IQuelmar* p) { return p->GetSpectrum(0, 22, &g_n, g_rgdblBands); }, E_INVALIDARG},
    {"SpectrumBadChannel", [](IQuelmar* p) { return p->GetSpectrum(2, 33, &g_n, g_rgdblBands); }, E_INVALIDARG},
    {"SpectrumNullArray", [](IQuelmar* p) { return p->GetSpectrum(0, 33, &g_n, nullptr); }, E_POINTER},
};

class BareFilterArguments : public BareFilter, public testing::WithParamInterface<CArgumentCase> {};

TEST_P(BareFilterArguments, AreCheckedOnAStereoConnection)
{
    ASSERT_EQ(S_OK, Connect(CAudioType(WAVE_FORMAT_PCM, 16, 2, 48000)));
    EXPECT_EQ(GetParam().hrExpected, GetParam().fnCall(m_spQuelmar));
}

INSTANTIATE_TEST_SUITE_P(Cases, BareFilterArguments, testing::ValuesIn(g_rgArgumentCases),
                         [](const testing::TestParamInfo<CArgumentCase>& info) { return info.param.pszName; });

TEST_F(BareFilter, SettingsReadBack)
{
    ASSERT_EQ(S_OK, Connect(CAudioType(WAVE_FORMAT_PCM, 16, 2, 48000)));
    EXPECT_EQ(S_OK, m_spQuelmar->SetGain(QUELMAR_ALL_CHANNELS, -40.0, 100));
    EXPECT_EQ(S_OK, m_spQuelmar->SetGain(1, 12.5, 0));
    double dblGain = 0, dblThreshold = 0;
    EXPECT_EQ(S_OK, m_spQuelmar->GetGain(0, &dblGain));
    EXPECT_EQ(-40.0, dblGain);
    EXPECT_EQ(S_OK, m_spQuelmar->GetGain(1, &dblGain));
    EXPECT_EQ(12.5, dblGain);
    EXPECT_EQ(S_OK, m_spQuelmar->SetAutoGain(1, -7.0, -3.0));
    EXPECT_EQ(S_OK, m_spQuelmar->GetAutoGain(1, &dblThreshold, &dblGain));
    EXPECT_EQ(-7.0, dblThreshold);
    EXPECT_EQ(-3.0, dblGain);
    EXPECT_EQ(S_OK, m_spQuelmar->GetAutoGain(0, &dblThreshold, &dblGain));
    EXPECT_EQ(0.0, dblThreshold);  // the default: off
    EXPECT_EQ(0.0, dblGain);
    EXPECT_EQ(S_OK, m_spQuelmar->SetFFT(QUELMAR_WINDOW_HAMMING, 13));
    EXPECT_EQ(S_OK, m_spQuelmar->SetBandsPerOctave(6));
    QUELMAR_WINDOW eWindow;
    ULONG nOrder = 0, nBands = 0;
    EXPECT_EQ(S_OK, m_spQuelmar->GetFFT(&eWindow, &nOrder));
    EXPECT_EQ(QUELMAR_WINDOW_HAMMING, eWindow);
    EXPECT_EQ(13u, nOrder);
    EXPECT_EQ(S_OK, m_spQuelmar->GetBandsPerOctave(&nBands));
    EXPECT_EQ(6u, nBands);
    ULONG nFilled = 99;
    EXPECT_EQ(S_OK, m_spQuelmar->GetSpectrum(0, 66, &nFilled, g_rgdblBands));
    EXPECT_EQ(0u, nFilled);  // no samples yet
}

TEST_F(BareFilter, CookiesAreUniqueAndSixtyFourAtMost)
{
    ASSERT_EQ(S_OK, Connect(CAudioType(WAVE_FORMAT_PCM, 16, 1, 48000)));
    std::vector<ULONG> rgCookies;
    for (int i = 0; i < 64; i++) {
        ULONG dwCookie = 0;
        ASSERT_EQ(S_OK, m_spQuelmar->AdviseEvent(0, 0, -30.0, 10, 1, g_hEvent, &dwCookie));
        EXPECT_NE(0u, dwCookie);
        for (ULONG dwEarlier : rgCookies)
            EXPECT_NE(dwEarlier, dwCookie);
        rgCookies.push_back(dwCookie);
    }
    ULONG dwCookie = 0;
    EXPECT_EQ(E_OUTOFMEMORY, m_spQuelmar->AdviseEvent(0, 0, -30.0, 10, 1, g_hEvent, &dwCookie));
    for (ULONG dwEarlier : rgCookies)
        EXPECT_EQ(S_OK, m_spQuelmar->Unadvise(dwEarlier));
    EXPECT_EQ(E_INVALIDARG, m_spQuelmar->Unadvise(rgCookies[0]));
}

// A filter called from two threads at once for 30 ms, so that they meet on
// its lock, and released.
void ContendAndRelease()
{
    CComPtr<IQuelmar> spQuelmar;
    ASSERT_EQ(S_OK, spQuelmar.CoCreateInstance(CLSID_Quelmar, nullptr, CLSCTX_INPROC_SERVER));
    IQuelmar* pQuelmar = spQuelmar;
    auto fnCallFor30Ms = [pQuelmar] {
        DWORD dwStart = GetTickCount();
        ULONG nChannels = 0;
        while (GetTickCount() - dwStart < 30)
            pQuelmar->GetChannelCount(&nChannels);
    };
    std::thread other(fnCallFor30Ms);
    fnCallFor30Ms();
    other.join();
}

// A filter's lock gives back what it took when the filter goes: 20 filters
// leave no event behind. The thread library makes one event once in a
// process, when its threads first meet in some way (seen here anywhere from
// the first filter to the eighth, and never a second), so one is allowed.
TEST(FilterLifetime, FiltersWhoseLockWasContendedLeaveNoEventBehind)
{
    ContendAndRelease();
    CHandleCounts before, after;
    ASSERT_TRUE(CountHandles(GetCurrentProcessId(), &before));
    for (int nFilter = 0; nFilter < 20; nFilter++)
        ContendAndRelease();
    ASSERT_TRUE(CountHandles(GetCurrentProcessId(), &after));
    EXPECT_LE(after.nEvents - before.nEvents, 1);
}

TEST_F(BareFilter, VersionDescribesThisBuild)
{
    CComQIPtr<IQuelmarVersion> spVersion(m_spQuelmar);
    ASSERT_NE(nullptr, spVersion.p);
    ULONG eType = 99, eOS = 99;
    EXPECT_EQ(S_OK, spVersion->GetType(&eType));
    EXPECT_EQ(1u, eType);  // a release build
    EXPECT_EQ(S_OK, spVersion->GetOS(&eOS));
    EXPECT_EQ(1u, eOS);
    CComBSTR cbsName, cbsNumber, cbsDateTime;
    EXPECT_EQ(S_OK, spVersion->GetName(&cbsName));
    EXPECT_STREQ(L"Quelmar", cbsName.m_str);
    EXPECT_EQ(S_OK, spVersion->GetNumber(&cbsNumber));
    EXPECT_STREQ(L"1.0.0", cbsNumber.m_str);
    EXPECT_EQ(S_OK, spVersion->GetDateTime(&cbsDateTime));
    EXPECT_GT(cbsDateTime.Length(), 10u);
}

// The bytes of a 100 ms 1 kHz sine at 48 kHz: 16-bit stereo or mono float.
std::vector<BYTE> SineBytes(double dblDb, bool bFloatMono)
{
    std::vector<double> rgSine = Sines({dblDb}, 1000.0, 48000, 0.1)[0];
    std::vector<BYTE> rgBytes(rgSine.size() * 4);
    for (size_t i = 0; i < rgSine.size(); i++) {
        if (bFloatMono) {
            float f = static_cast<float>(rgSine[i]);
            memcpy(&rgBytes[i * 4], &f, 4);
        } else {
            int16_t n = static_cast<int16_t>(std::lrint(rgSine[i] * 32767.0));
            memcpy(&rgBytes[i * 4], &n, 2);
            memcpy(&rgBytes[i * 4 + 2], &n, 2);
        }
    }
    return rgBytes;
}

// A source that attaches a new type to a sample mid-stream (16-bit stereo to
// mono float) while the program calls the filter from another thread: the
// calls see the channels of the moment, the filter and its output follow the
// new type, and downstream gets it with the sample and the audio after it
// unchanged.
TEST_F(BareFilter, FormatChangeOnASampleIsFollowedWhileTheProgramCalls)
{
    CAudioType stereo(WAVE_FORMAT_PCM, 16, 2, 48000), mono(WAVE_FORMAT_IEEE_FLOAT, 32, 1, 48000);
    ASSERT_EQ(S_OK, Connect(stereo));
    CComQIPtr<IMemInputPin> spMemInput(FilterPin(m_spFilter, L"In"));
    CComPtr<IMemAllocator> spAllocator;
    ASSERT_EQ(S_OK, spMemInput->GetAllocator(&spAllocator));
    ALLOCATOR_PROPERTIES props = {4, 19200, 1, 0}, actual = {};
    ASSERT_EQ(S_OK, spAllocator->SetProperties(&props, &actual));
    ASSERT_EQ(S_OK, spMemInput->NotifyAllocator(spAllocator, FALSE));
    CFakeFilter sinkFilter(L"sink");
    CRecordingSink sink(&sinkFilter);
    CComPtr<IPin> spOut = FilterPin(m_spFilter, L"Out");
    ASSERT_EQ(S_OK, spOut->Connect(&sink, nullptr));
    ASSERT_EQ(S_OK, spAllocator->Commit());
    ASSERT_EQ(S_OK, m_spFilter->Run(0));

    std::atomic<bool> bStop{false};
    std::atomic<int> nRounds{0}, nWrong{0};
    std::thread program([&] {
        while (!bStop.load()) {
            for (ULONG c = 0; c < 3; c++) {
                double dblLevel = 0.0, rgBands[33];
                ULONG nFilled = 0;
                HRESULT hrLevel = m_spQuelmar->GetLevel(c, &dblLevel);
                bool bRight = c == 2 ? hrLevel == E_INVALIDARG
                                     : hrLevel == E_INVALIDARG || (hrLevel == S_OK && dblLevel >= -120.0 && dblLevel < 1.0);
                nWrong += !bRight;
                HRESULT hrGain = m_spQuelmar->SetGain(c, 0.0, 0);
                nWrong += hrGain != (c == 2 ? E_INVALIDARG : hrLevel);
                m_spQuelmar->GetSpectrum(c, 33, &nFilled, rgBands);
            }
            AM_MEDIA_TYPE mt = {};
            if (spOut->ConnectionMediaType(&mt) == S_OK)
                FreeMediaType(&mt);
            nRounds++;
        }
    });
    const int c_nEach = 20;
    std::vector<BYTE> rgLoud = SineBytes(-6.0, false), rgQuiet = SineBytes(-20.0, true);
    for (int k = 0; k < 2 * c_nEach; k++) {
        CComPtr<IMediaSample> spSample;
        ASSERT_EQ(S_OK, spAllocator->GetBuffer(&spSample, nullptr, nullptr, 0));
        const std::vector<BYTE>& rgBytes = k < c_nEach ? rgLoud : rgQuiet;
        BYTE* pData = nullptr;
        spSample->GetPointer(&pData);
        memcpy(pData, rgBytes.data(), rgBytes.size());
        spSample->SetActualDataLength(static_cast<long>(rgBytes.size()));
        REFERENCE_TIME tStart = k * 1000000ll, tStop = tStart + 1000000;
        spSample->SetTime(&tStart, &tStop);
        if (k == c_nEach) {
            ASSERT_EQ(S_OK, FilterPin(m_spFilter, L"In")->QueryAccept(&mono.mt));
            ASSERT_EQ(S_OK, spSample->SetMediaType(&mono.mt));
        }
        ASSERT_EQ(S_OK, spMemInput->Receive(spSample)) << "sample " << k;
        if (k == c_nEach - 1 || k == 2 * c_nEach - 1) {  // the program's calls run across the change
            int nBefore = nRounds.load();
            EXPECT_TRUE(WaitUntil([&] { return nRounds.load() > nBefore + 2; }));
        }
    }
    bStop.store(true);
    program.join();
    EXPECT_EQ(0, nWrong.load()) << "of " << nRounds.load() << " rounds";

    ULONG nChannels = 0;
    EXPECT_EQ(S_OK, m_spQuelmar->GetChannelCount(&nChannels));
    EXPECT_EQ(1u, nChannels);
    double dblLevel = 0.0;
    EXPECT_EQ(S_OK, m_spQuelmar->GetLevel(0, &dblLevel));
    EXPECT_NEAR(-20.0, dblLevel, 0.1);
    EXPECT_EQ(E_INVALIDARG, m_spQuelmar->GetLevel(1, &dblLevel));
    AM_MEDIA_TYPE mt = {};
    ASSERT_EQ(S_OK, spOut->ConnectionMediaType(&mt));
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_IEEE_FLOAT, mt.subtype));
    EXPECT_EQ(1, reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat)->nChannels);
    FreeMediaType(&mt);
    std::vector<CRecordingSink::CReceived> rgReceived = sink.Received();
    ASSERT_EQ(static_cast<size_t>(2 * c_nEach), rgReceived.size());
    EXPECT_EQ(1, rgReceived[c_nEach].nChannels);
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_IEEE_FLOAT, rgReceived[c_nEach].subtype));
    for (int k = c_nEach; k < 2 * c_nEach; k++)
        EXPECT_TRUE(rgReceived[k].rgData == rgQuiet) << "sample " << k;

    EXPECT_EQ(S_OK, m_spFilter->Stop());
    spAllocator->Decommit();
    spOut->Disconnect();
    sink.Disconnect();
    EXPECT_EQ(1u, sink.m_nRefs);
}

// ---- The filter in real graphs ---------------------------------------------

// A graph of Wine's filter graph manager for a file, with the level filter
// connected after the file's parser and rendered from there. The audio
// renderer is in the graph beforehand, as in the program's graphs: Wine
// matches registered renderers by the types a pin offers, and the DirectSound
// renderer is registered for PCM only, while a float stream offers float.
class CLevelGraph {
public:
    HRESULT Build(const std::string& strPath)
    {
        HRESULT hr = m_spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER);
        CComPtr<IBaseFilter> spRenderer;
        if (SUCCEEDED(hr))
            hr = spRenderer.CoCreateInstance(CLSID_DSoundRender, nullptr, CLSCTX_INPROC_SERVER);
        if (SUCCEEDED(hr))
            hr = m_spGraph->AddFilter(spRenderer, L"Renderer");
        if (SUCCEEDED(hr))
            hr = m_spFilter.CoCreateInstance(CLSID_Quelmar, nullptr, CLSCTX_INPROC_SERVER);
        if (SUCCEEDED(hr))
            hr = m_spGraph->AddFilter(m_spFilter, L"Quelmar");
        CComPtr<IBaseFilter> spSource;
        if (SUCCEEDED(hr))
            hr = m_spGraph->AddSourceFilter(CComBSTR(CA2W(strPath.c_str())), L"Source", &spSource);
        CComPtr<IPin> spSourceOut;
        if (SUCCEEDED(hr))
            hr = spSource->FindPin(L"Output", &spSourceOut);
        if (SUCCEEDED(hr))
            hr = m_spGraph->Connect(spSourceOut, FilterPin(m_spFilter, L"In"));
        if (SUCCEEDED(hr))
            hr = m_spGraph->Render(FilterPin(m_spFilter, L"Out"));
        m_spQuelmar = m_spFilter;
        return hr;
    }
    bool BothPinsConnected() const
    {
        for (LPCWSTR pszId : {L"In", L"Out"}) {
            CComPtr<IPin> spConnected;
            if (FilterPin(m_spFilter, pszId)->ConnectedTo(&spConnected) != S_OK)
                return false;
        }
        return true;
    }
    // Runs to the end of the stream, calling fnTick every 20 ms.
    bool RunToEnd(DWORD dwTimeoutMs, const std::function<void()>& fnTick = [] {})
    {
        CComQIPtr<IMediaControl> spControl(m_spGraph);
        CComQIPtr<IMediaEvent> spEvent(m_spGraph);
        if (FAILED(spControl->Run()))
            return false;
        DWORD dwStart = GetTickCount();
        while (GetTickCount() - dwStart < dwTimeoutMs) {
            long lCode = 0;
            LONG_PTR lParam1 = 0, lParam2 = 0;
            while (spEvent->GetEvent(&lCode, &lParam1, &lParam2, 0) == S_OK) {
                spEvent->FreeEventParams(lCode, lParam1, lParam2);
                if (lCode == EC_COMPLETE) {
                    spControl->Stop();
                    return true;
                }
            }
            fnTick();
            Sleep(20);
        }
        spControl->Stop();
        return false;
    }

    CComPtr<IGraphBuilder> m_spGraph;
    CComPtr<IBaseFilter> m_spFilter;
    CComQIPtr<IQuelmar> m_spQuelmar;
};

struct CMediaCase {
    const char* pszName;
    CWavFormat format;
};

class LevelFilterPlaying : public testing::TestWithParam<CMediaCase> {};

// Channel c carries a 1 kHz sine at -6 dB (even c) or -20 dB (odd c).
TEST_P(LevelFilterPlaying, ConnectsPlaysToTheEndAndMeasures)
{
    const CWavFormat& format = GetParam().format;
    std::vector<double> rgLevels;
    for (WORD c = 0; c < format.nChannels; c++)
        rgLevels.push_back(c % 2 ? -20.0 : -6.0);
    std::string strPath = TestFilePath(std::string(GetParam().pszName) + ".wav");
    ASSERT_TRUE(WriteWav(strPath, format, Sines(rgLevels, 1000.0, format.nSamplesPerSec, 0.8)));

    CLevelGraph graph;
    ASSERT_EQ(S_OK, graph.Build(strPath));
    EXPECT_TRUE(graph.BothPinsConnected());
    ULONG nChannels = 0;
    EXPECT_EQ(S_OK, graph.m_spQuelmar->GetChannelCount(&nChannels));
    EXPECT_EQ(format.nChannels, nChannels);
    CComQIPtr<IMediaSeeking> spSeeking(graph.m_spGraph);
    LONGLONG llDuration = 0;
    EXPECT_EQ(S_OK, spSeeking->GetDuration(&llDuration));
    EXPECT_NEAR(8000000, llDuration, 100000);

    std::vector<double> rgLoudest(nChannels, -200.0);
    double rgBands[33] = {};
    double dblBand1k = -200.0;
    bool bEnded = graph.RunToEnd(10000, [&] {
        for (ULONG c = 0; c < nChannels; c++) {
            double dblLevel = -200.0;
            graph.m_spQuelmar->GetLevel(c, &dblLevel);
            rgLoudest[c] = std::max(rgLoudest[c], dblLevel);
        }
        ULONG nFilled = 0;
        if (graph.m_spQuelmar->GetSpectrum(0, 33, &nFilled, rgBands) == S_OK && nFilled == 33)
            dblBand1k = std::max(dblBand1k, rgBands[18]);
    });
    EXPECT_TRUE(bEnded);
    for (ULONG c = 0; c < nChannels; c++)
        EXPECT_NEAR(c % 2 ? -20.0 : -6.0, rgLoudest[c], 0.3) << "channel " << c;
    EXPECT_NEAR(-6.0, dblBand1k, 0.6);
}

const CMediaCase g_rgMediaCases[] = {
    {"Pcm16Stereo", {WAVE_FORMAT_PCM, 16, 2, 48000, false}},
    {"Pcm24Stereo", {WAVE_FORMAT_PCM, 24, 2, 48000, false}},
    {"Float32Stereo", {WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100, false}},
    {"Float32Extensible", {WAVE_FORMAT_EXTENSIBLE, 32, 2, 48000, true}},
    {"Pcm16SixChannels", {WAVE_FORMAT_EXTENSIBLE, 16, 6, 48000, false}},
};

INSTANTIATE_TEST_SUITE_P(Formats, LevelFilterPlaying, testing::ValuesIn(g_rgMediaCases),
                         [](const testing::TestParamInfo<CMediaCase>& info) { return info.param.pszName; });

class LevelFilterGraph : public testing::Test {
protected:
    void SetUp() override
    {
        m_strPath = TestFilePath("stereo.wav");
        ASSERT_TRUE(WriteWav(m_strPath, {WAVE_FORMAT_PCM, 16, 2, 48000, false},
                             Sines({-6.0, -20.0}, 1000.0, 48000, 1.5)));
        ASSERT_EQ(S_OK, m_graph.Build(m_strPath));
    }

    std::string m_strPath;
    CLevelGraph m_graph;
};

TEST_F(LevelFilterGraph, SeeksThroughTheFilter)
{
    CComQIPtr<IMediaSeeking> spSeeking(m_graph.m_spGraph);
    CComQIPtr<IMediaControl> spControl(m_graph.m_spGraph);
    ASSERT_TRUE(SUCCEEDED(spControl->Pause()));
    OAFilterState eState;
    ASSERT_EQ(S_OK, spControl->GetState(5000, &eState));  // the pause completes
    LONGLONG llPosition = 7500000;
    EXPECT_EQ(S_OK, spSeeking->SetPositions(&llPosition, AM_SEEKING_AbsolutePositioning, nullptr,
                                            AM_SEEKING_NoPositioning));
    LONGLONG llCurrent = 0;
    EXPECT_EQ(S_OK, spSeeking->GetCurrentPosition(&llCurrent));
    EXPECT_NEAR(7500000, llCurrent, 200000);
    CComQIPtr<IMediaPosition> spPosition(FilterPin(m_graph.m_spFilter, L"Out"));
    REFTIME dblDuration = 0;
    EXPECT_EQ(S_OK, spPosition->get_Duration(&dblDuration));
    EXPECT_NEAR(1.5, dblDuration, 0.01);
    spControl->Stop();
}

TEST_F(LevelFilterGraph, GainChangesTheLevelWhilePlaying)
{
    CComQIPtr<IMediaControl> spControl(m_graph.m_spGraph);
    ASSERT_TRUE(SUCCEEDED(spControl->Run()));
    double dblLevel = -200;
    auto fnLevelNear = [&](double dblExpected, double dblTolerance) {
        return WaitUntil([&] {
            m_graph.m_spQuelmar->GetLevel(0, &dblLevel);
            return std::fabs(dblLevel - dblExpected) <= dblTolerance;
        });
    };
    EXPECT_TRUE(fnLevelNear(-6.0, 0.3)) << dblLevel;
    EXPECT_EQ(S_OK, m_graph.m_spQuelmar->SetGain(0, -20.0, 0));
    EXPECT_TRUE(fnLevelNear(-26.0, 0.5)) << dblLevel;
    spControl->Stop();
}

TEST_F(LevelFilterGraph, UnadvisedEventIsNotSetAgainWhileStreaming)
{
    CComQIPtr<IMediaControl> spControl(m_graph.m_spGraph);
    ASSERT_TRUE(SUCCEEDED(spControl->Run()));
    for (int nRound = 0; nRound < 3; nRound++) {
        HANDLE hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        ULONG dwCookie = 0;
        ASSERT_EQ(S_OK, m_graph.m_spQuelmar->AdviseEvent(0, 0, -40.0, 0, 1, hEvent, &dwCookie));
        DWORD dwStart = GetTickCount();
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hEvent, c_dwDeadlineMs)) << "round " << nRound;
        DWORD dwSignalledAfterMs = GetTickCount() - dwStart;
        EXPECT_EQ(S_OK, m_graph.m_spQuelmar->Unadvise(dwCookie));
        ResetEvent(hEvent);
        // Watched well past the time the first signal took while advised.
        DWORD dwWatchMs = std::max<DWORD>(500, 3 * dwSignalledAfterMs);
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(hEvent, dwWatchMs)) << "round " << nRound;
        CloseHandle(hEvent);
    }
    spControl->Stop();
}

TEST_F(LevelFilterGraph, ClientClosingItsEventEarlyNeverGetsARecycledHandleSignalled)
{
    CComQIPtr<IMediaControl> spControl(m_graph.m_spGraph);
    ASSERT_TRUE(SUCCEEDED(spControl->Run()));
    HANDLE hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ULONG dwCookie = 0;
    ASSERT_EQ(S_OK, m_graph.m_spQuelmar->AdviseEvent(0, 0, -40.0, 0, 1, hEvent, &dwCookie));  // holds at once
    CloseHandle(hEvent);
    HANDLE hOther = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // often the same handle value
    if (hOther != hEvent)
        printf("the closed event's handle value was not recycled; the check is weaker this time\n");
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(hOther, 1000));
    EXPECT_EQ(S_OK, m_graph.m_spQuelmar->Unadvise(dwCookie));
    CloseHandle(hOther);
    spControl->Stop();
}

TEST_F(LevelFilterGraph, SamplesAreMeasuredAgainWhenAStopEndsAFlush)
{
    CComQIPtr<IMediaControl> spControl(m_graph.m_spGraph);
    ASSERT_TRUE(SUCCEEDED(spControl->Run()));
    EXPECT_EQ(S_OK, FilterPin(m_graph.m_spFilter, L"In")->BeginFlush());  // and no EndFlush
    ASSERT_TRUE(SUCCEEDED(spControl->Stop()));
    ASSERT_TRUE(SUCCEEDED(spControl->Run()));
    double dblLevel = -200.0;
    EXPECT_TRUE(WaitUntil([&] { return m_graph.m_spQuelmar->GetLevel(0, &dblLevel) == S_OK && dblLevel > -10.0; }, 5000))
        << "level " << dblLevel;
    spControl->Stop();
}

// The channels and rate of a pin's connection; 0, 0 when it has none.
std::pair<WORD, DWORD> ConnectedFormat(IPin* pPin)
{
    AM_MEDIA_TYPE mt = {};
    if (pPin->ConnectionMediaType(&mt) != S_OK)
        return {0, 0};
    std::pair<WORD, DWORD> format(0, 0);
    if (mt.cbFormat >= sizeof(WAVEFORMATEX)) {
        const WAVEFORMATEX* pwfx = reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
        format = {pwfx->nChannels, pwfx->nSamplesPerSec};
    }
    FreeMediaType(&mt);
    return format;
}

// The input is connected anew, to another file's parser with another type,
// while the output stays connected to the renderer: the output and the
// renderer's connection take the new type, and it plays to its end.
TEST_F(LevelFilterGraph, ReconnectingTheInputWithANewTypeReconnectsDownstream)
{
    CComPtr<IPin> spIn = FilterPin(m_graph.m_spFilter, L"In"), spOut = FilterPin(m_graph.m_spFilter, L"Out");
    CComPtr<IPin> spParserOut, spRendererIn;
    ASSERT_EQ(S_OK, spIn->ConnectedTo(&spParserOut));
    ASSERT_EQ(S_OK, spOut->ConnectedTo(&spRendererIn));
    PIN_INFO info = {};
    ASSERT_EQ(S_OK, spParserOut->QueryPinInfo(&info));
    CComPtr<IBaseFilter> spOldParser;
    spOldParser.Attach(info.pFilter);
    spParserOut.Release();
    ASSERT_EQ(S_OK, m_graph.m_spGraph->RemoveFilter(spOldParser));  // disconnects the input
    ASSERT_EQ(VFW_E_NOT_CONNECTED, spIn->ConnectedTo(&spParserOut));

    std::string strPath = TestFilePath("mono44k.wav");
    ASSERT_TRUE(WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 1, 44100, false}, Sines({-12.0}, 1000.0, 44100, 1.0)));
    CComPtr<IBaseFilter> spSource;
    ASSERT_EQ(S_OK, m_graph.m_spGraph->AddSourceFilter(CComBSTR(CA2W(strPath.c_str())), L"Mono", &spSource));
    CComPtr<IPin> spMonoOut;
    ASSERT_EQ(S_OK, spSource->FindPin(L"Output", &spMonoOut));
    ASSERT_EQ(S_OK, m_graph.m_spGraph->Connect(spMonoOut, spIn));  // through a new parser

    const std::pair<WORD, DWORD> mono44k(1, 44100);
    EXPECT_EQ(mono44k, ConnectedFormat(spIn));
    EXPECT_EQ(mono44k, ConnectedFormat(spOut));
    CComPtr<IPin> spNowDownstream;
    ASSERT_EQ(S_OK, spOut->ConnectedTo(&spNowDownstream));
    EXPECT_EQ(spRendererIn.p, spNowDownstream.p);
    EXPECT_EQ(mono44k, ConnectedFormat(spRendererIn));
    ULONG nChannels = 0;
    EXPECT_EQ(S_OK, m_graph.m_spQuelmar->GetChannelCount(&nChannels));
    EXPECT_EQ(1u, nChannels);
    double dblLoudest = -200.0;
    EXPECT_TRUE(m_graph.RunToEnd(10000, [&] {
        double dblLevel = -200.0;
        m_graph.m_spQuelmar->GetLevel(0, &dblLevel);
        dblLoudest = std::max(dblLoudest, dblLevel);
    }));
    EXPECT_NEAR(-12.0, dblLoudest, 0.3);
}

// Loud (-6 dB) for the first 1.5 s, then quiet (-40 dB); auto gain works on
// the loud part. After a seek into the quiet part, nothing of the loud part
// (its level, the auto gain's attenuation) shows.
TEST(LevelFilterSeek, AfterASeekOnlyTheNewPositionIsMeasured)
{
    std::vector<std::vector<double>> rgLoud = Sines({-6.0}, 1000.0, 48000, 1.5);
    std::vector<std::vector<double>> rgQuiet = Sines({-40.0}, 1000.0, 48000, 1.5);
    rgLoud[0].insert(rgLoud[0].end(), rgQuiet[0].begin(), rgQuiet[0].end());
    std::string strPath = TestFilePath("loud-then-quiet.wav");
    ASSERT_TRUE(WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 1, 48000, false}, rgLoud));
    CLevelGraph graph;
    ASSERT_EQ(S_OK, graph.Build(strPath));
    ASSERT_EQ(S_OK, graph.m_spQuelmar->SetAutoGain(0, -20.0, -20.0));
    CComQIPtr<IMediaControl> spControl(graph.m_spGraph);
    CComQIPtr<IMediaSeeking> spSeeking(graph.m_spGraph);
    ASSERT_TRUE(SUCCEEDED(spControl->Run()));
    double dblLevel = -200.0;
    ASSERT_TRUE(WaitUntil([&] { return graph.m_spQuelmar->GetLevel(0, &dblLevel) == S_OK && dblLevel > -30.0; }, 5000))
        << "the loud part attenuated to " << dblLevel;
    LONGLONG llPosition = 20000000;  // 2 s: the quiet part
    ASSERT_EQ(S_OK, spSeeking->SetPositions(&llPosition, AM_SEEKING_AbsolutePositioning, nullptr,
                                            AM_SEEKING_NoPositioning));
    std::vector<double> rgReadings;
    WaitUntil([&] {
        graph.m_spQuelmar->GetLevel(0, &dblLevel);
        rgReadings.push_back(dblLevel);
        return rgReadings.size() > 1 && dblLevel > -120.0 && std::fabs(dblLevel + 40.0) < 0.5 &&
               std::fabs(rgReadings[rgReadings.size() - 2] + 40.0) < 0.5;
    }, 1000);
    spControl->Stop();
    ASSERT_FALSE(rgReadings.empty());
    EXPECT_NEAR(-40.0, rgReadings.back(), 0.5) << "never settled on the quiet level";
    for (size_t i = 0; i < rgReadings.size(); i++)
        EXPECT_TRUE(rgReadings[i] == -120.0 || std::fabs(rgReadings[i] + 40.0) < 0.5)
            << "reading " << i << " after the seek: " << rgReadings[i];
}

// A level ramp: a 1 kHz tone rising 20 dB per second from -60 dB.
TEST(LevelFilterHeard, LevelFollowsTheHeardPositionOfARamp)
{
    const DWORD nRate = 48000;
    std::vector<std::vector<double>> rgRamp(1, std::vector<double>(nRate * 5 / 2));
    for (size_t i = 0; i < rgRamp[0].size(); i++)
        rgRamp[0][i] = std::pow(10.0, (-60.0 + 20.0 * i / nRate) / 20.0) * std::sin(2.0 * 3.14159265358979 * 1000.0 * i / nRate);
    std::string strPath = TestFilePath("ramp.wav");
    ASSERT_TRUE(WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 1, nRate, false}, rgRamp));
    CLevelGraph graph;
    ASSERT_EQ(S_OK, graph.Build(strPath));
    // Run with a start time of our own, so the stream time heard is known:
    // the graph's clock minus that start. (Wine's graph reports positions
    // about 200 ms ahead of the stream time it runs its filters at.)
    CComQIPtr<IMediaFilter> spMediaFilter(graph.m_spGraph);
    CComQIPtr<IMediaControl> spControl(graph.m_spGraph);
    CComQIPtr<IMediaEvent> spEvent(graph.m_spGraph);
    CComPtr<IReferenceClock> spClock;
    ASSERT_TRUE(SUCCEEDED(spControl->Pause()));
    OAFilterState eState;
    ASSERT_EQ(S_OK, spControl->GetState(5000, &eState));
    ASSERT_EQ(S_OK, spMediaFilter->GetSyncSource(&spClock));
    ASSERT_NE(nullptr, spClock.p);
    REFERENCE_TIME tStart = 0;
    spClock->GetTime(&tStart);
    tStart += 500000;
    ASSERT_TRUE(SUCCEEDED(spMediaFilter->Run(tStart)));
    auto StreamTime = [&] {
        REFERENCE_TIME tNow = 0;
        spClock->GetTime(&tNow);
        return tNow - tStart;
    };
    // The 50 ms window ending at stream time t reads the ramp at about t - 25 ms.
    auto ExpectedDb = [](REFERENCE_TIME t) { return -60.0 + 20.0 * (t / 1e7 - 0.025); };
    int nReadings = 0;
    long lCode = 0;
    DWORD dwStart = GetTickCount();
    while (GetTickCount() - dwStart < 10000 && lCode != EC_COMPLETE) {
        LONG_PTR lParam1 = 0, lParam2 = 0;
        if (spEvent->GetEvent(&lCode, &lParam1, &lParam2, 0) == S_OK)
            spEvent->FreeEventParams(lCode, lParam1, lParam2);
        REFERENCE_TIME tBefore = StreamTime();
        double dblLevel = -200.0;
        graph.m_spQuelmar->GetLevel(0, &dblLevel);
        REFERENCE_TIME tAfter = StreamTime();
        if (tBefore >= 1000000 && tAfter <= 23000000) {  // the first 100 ms fill the window
            nReadings++;
            EXPECT_TRUE(dblLevel > ExpectedDb(tBefore) - 1.5 && dblLevel < ExpectedDb(tAfter) + 1.5)
                << "at " << tBefore / 10000 << "-" << tAfter / 10000 << " ms: " << dblLevel
                << " dB, expected about " << ExpectedDb(tBefore);
        }
        Sleep(50);
    }
    spControl->Stop();
    EXPECT_GT(nReadings, 20);
}

// On a steady condition the event is found set at every 100 ms poll.
TEST(LevelFilterHeard, TriggerStaysSetWhileTheConditionHolds)
{
    std::string strPath = TestFilePath("steady.wav");
    ASSERT_TRUE(WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 2, 48000, false}, Sines({-26.0, -6.0}, 1000.0, 48000, 4.0)));
    CLevelGraph graph;
    ASSERT_EQ(S_OK, graph.Build(strPath));
    CComQIPtr<IMediaControl> spControl(graph.m_spGraph);
    HANDLE hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // auto-reset: each poll takes it
    ULONG dwCookie = 0;
    ASSERT_EQ(S_OK, graph.m_spQuelmar->AdviseEvent(0, 0, -40.0, 0, 1, hEvent, &dwCookie));
    ASSERT_TRUE(SUCCEEDED(spControl->Run()));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hEvent, 2000));  // the stream has started
    std::string strPolls;
    for (int nPoll = 0; nPoll < 30; nPoll++) {
        Sleep(100);
        strPolls += WaitForSingleObject(hEvent, 0) == WAIT_OBJECT_0 ? '#' : '.';
    }
    EXPECT_EQ(std::string(30, '#'), strPolls);
    EXPECT_EQ(S_OK, graph.m_spQuelmar->Unadvise(dwCookie));
    spControl->Stop();
    CloseHandle(hEvent);
}

TEST_F(LevelFilterGraph, LastReleaseOnceTheGraphIsGone)
{
    m_graph.RunToEnd(10000);
    m_graph.m_spQuelmar.Release();
    IBaseFilter* pFilter = m_graph.m_spFilter.Detach();
    m_graph.m_spGraph.Release();
    EXPECT_EQ(0u, pFilter->Release());
}

}  // namespace
