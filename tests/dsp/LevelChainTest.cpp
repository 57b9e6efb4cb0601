#include <gtest/gtest.h>

#include <cstring>

#include "LevelChain.h"
#include "SampleCodec.h"
#include "Signals.h"

using namespace quelmar;
using namespace quelmar_test;

namespace {

void NoSignal(void*) {}

template <SampleType t_eType>
std::vector<uint8_t> EncodeAll(const std::vector<double>& rgInterleaved)
{
    std::vector<uint8_t> rgBytes(rgInterleaved.size() * BytesPerSample(t_eType));
    for (size_t i = 0; i < rgInterleaved.size(); i++)
        SampleCodec<t_eType>::Encode(rgInterleaved[i], &rgBytes[i * BytesPerSample(t_eType)]);
    return rgBytes;
}

std::vector<uint8_t> Encode(SampleType eType, const std::vector<double>& rg)
{
    switch (eType) {
    case SampleType::UInt8: return EncodeAll<SampleType::UInt8>(rg);
    case SampleType::Int16: return EncodeAll<SampleType::Int16>(rg);
    case SampleType::Int24: return EncodeAll<SampleType::Int24>(rg);
    case SampleType::Int32: return EncodeAll<SampleType::Int32>(rg);
    case SampleType::Float32: return EncodeAll<SampleType::Float32>(rg);
    case SampleType::Float64: return EncodeAll<SampleType::Float64>(rg);
    case SampleType::Int24In32: return EncodeAll<SampleType::Int24In32>(rg);
    }
    return {};
}

struct CFormatCase {
    const char* pszName;
    SampleType eType;
    unsigned nRate;
    unsigned nChannels;
};

class LevelChainFormat : public testing::TestWithParam<CFormatCase> {};

// Unity gain passes every format bit for bit, and each channel's level reads
// what was put in (-6 dB on even channels, -20 dB on odd ones).
TEST_P(LevelChainFormat, PassesUnchangedAndMeasuresEachChannel)
{
    const CFormatCase& c = GetParam();
    CLevelChain chain(NoSignal);
    ASSERT_TRUE(chain.Configure({c.eType, c.nChannels, c.nRate}));
    std::vector<std::vector<double>> rgChannels;
    for (unsigned ch = 0; ch < c.nChannels; ch++)
        rgChannels.push_back(Sine(ch % 2 ? -20.0 : -6.0, 1000.0, c.nRate, c.nRate / 5, ch));
    std::vector<uint8_t> rgBytes = Encode(c.eType, Interleave(rgChannels));
    std::vector<uint8_t> rgOriginal = rgBytes;
    size_t nFrameBytes = BytesPerSample(c.eType) * c.nChannels;
    size_t nPiece = nFrameBytes * 997;  // buffers of odd frame counts
    for (size_t i = 0; i < rgBytes.size(); i += nPiece)
        chain.Process(&rgBytes[i], std::min(nPiece, rgBytes.size() - i));
    EXPECT_TRUE(rgBytes == rgOriginal);
    for (unsigned ch = 0; ch < c.nChannels; ch++) {
        EXPECT_NEAR(ch % 2 ? -20.0 : -6.0, chain.MeterAfter().LevelDb(ch), 0.05) << "channel " << ch;
        EXPECT_NEAR(ch % 2 ? -20.0 : -6.0, chain.MeterBefore().LevelDb(ch), 0.05) << "channel " << ch;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LevelChainFormat,
    testing::Values(CFormatCase{"UInt8Mono8k", SampleType::UInt8, 8000, 1},
                    CFormatCase{"Int16Stereo44k", SampleType::Int16, 44100, 2},
                    CFormatCase{"Int24Stereo48k", SampleType::Int24, 48000, 2},
                    CFormatCase{"Int32Six96k", SampleType::Int32, 96000, 6},
                    CFormatCase{"Int24In32Stereo48k", SampleType::Int24In32, 48000, 2},
                    CFormatCase{"Float32Stereo48k", SampleType::Float32, 48000, 2},
                    CFormatCase{"Float64Mono384k", SampleType::Float64, 384000, 1},
                    CFormatCase{"Float32Eight48k", SampleType::Float32, 48000, 8},
                    CFormatCase{"Float32SixtyFour48k", SampleType::Float32, 48000, 64}),
    [](const testing::TestParamInfo<CFormatCase>& info) { return info.param.pszName; });

TEST(LevelChain, RefusesFormatsOutsideTheRange)
{
    CLevelChain chain(NoSignal);
    EXPECT_FALSE(chain.Configure({SampleType::Int16, 0, 48000}));
    EXPECT_FALSE(chain.Configure({SampleType::Int16, 65, 48000}));
    EXPECT_FALSE(chain.Configure({SampleType::Int16, 2, 7999}));
    EXPECT_FALSE(chain.Configure({SampleType::Int16, 2, 384001}));
    EXPECT_FALSE(chain.IsConfigured());
    uint8_t rgBytes[4] = {1, 2, 3, 4};
    chain.Process(rgBytes, 4);  // unconfigured: untouched
    EXPECT_EQ(1, rgBytes[0]);
}

TEST(LevelChain, GainSaturatesIntegersInsteadOfWrapping)
{
    CLevelChain chain(NoSignal);
    ASSERT_TRUE(chain.Configure({SampleType::Int16, 1, 48000}));
    chain.Gain().SetTarget(0, 40.0, 0);
    std::vector<double> rgSine = Sine(-6.0, 1000.0, 48000, 4800);
    std::vector<uint8_t> rgBytes = Encode(SampleType::Int16, rgSine);
    chain.Process(rgBytes.data(), rgBytes.size());
    const int16_t* pn = reinterpret_cast<const int16_t*>(rgBytes.data());
    for (size_t i = 0; i < rgSine.size(); i++) {
        if (std::fabs(rgSine[i]) > 0.01) {
            ASSERT_EQ(rgSine[i] > 0 ? INT16_MAX : INT16_MIN, pn[i]) << i;
        }
    }
    EXPECT_GT(chain.MeterAfter().LevelDb(0), 2.5);  // nearly a full-scale square
}

TEST(LevelChain, GainChangesTheLevelAfterButNotBefore)
{
    CLevelChain chain(NoSignal);
    ASSERT_TRUE(chain.Configure({SampleType::Float32, 2, 48000}));
    chain.Gain().SetTarget(1, -12.0, 0);
    std::vector<double> rgSine = Sine(-6.0, 1000.0, 48000, 4800);
    std::vector<uint8_t> rgBytes = Encode(SampleType::Float32, Interleave({rgSine, rgSine}));
    chain.Process(rgBytes.data(), rgBytes.size());
    EXPECT_NEAR(-6.0, chain.MeterAfter().LevelDb(0), 0.05);
    EXPECT_NEAR(-18.0, chain.MeterAfter().LevelDb(1), 0.05);
    EXPECT_NEAR(-6.0, chain.MeterBefore().LevelDb(1), 0.05);
}

TEST(LevelChain, NonFiniteFloatSamplesPassWithoutPoisoningTheMeters)
{
    CLevelChain chain(NoSignal);
    ASSERT_TRUE(chain.Configure({SampleType::Float32, 1, 48000}));
    std::vector<double> rgSine = Sine(-20.0, 1000.0, 48000, 4800);
    rgSine[10] = NAN;
    rgSine[20] = -INFINITY;
    std::vector<uint8_t> rgBytes = Encode(SampleType::Float32, rgSine);
    chain.Process(rgBytes.data(), rgBytes.size());
    EXPECT_NEAR(-20.0, chain.MeterAfter().LevelDb(0), 0.1);
    std::vector<double> rgBands(33);
    unsigned nFilled = 0;
    ASSERT_TRUE(chain.Spectrum().Compute(0, 33, &nFilled, rgBands.data()));
    for (double dbl : rgBands)
        EXPECT_TRUE(std::isfinite(dbl));
}

// While the spectrum is off the chain stores nothing for it: once it is on
// again, a spectrum waits for 2^order new samples and is theirs alone.
TEST(LevelChain, SpectrumOffStoresNothingAndOnAgainStartsAFreshHistory)
{
    constexpr unsigned nOrder = 10, nSize = 1u << nOrder;
    const CSpectrumAnalyzer::CSettings on{3, WindowType::Hann, nOrder}, off{0, WindowType::Hann, nOrder};
    CLevelChain chain(NoSignal);
    ASSERT_TRUE(chain.Configure({SampleType::Float64, 1, 48000}));
    auto Feed = [&chain](const std::vector<double>& rg) {
        std::vector<uint8_t> rgBytes = Encode(SampleType::Float64, rg);
        chain.Process(rgBytes.data(), rgBytes.size());
    };
    chain.Spectrum().SetSettings(on);
    Feed(Sine(-6.0, 1000.0, 48000, 2 * nSize));
    chain.Spectrum().SetSettings(off);
    Feed(Sine(-6.0, 5000.0, 48000, 777));
    chain.Spectrum().SetSettings(on);
    const std::vector<double> rgNew = WhiteNoise(0.5, nSize, 7);
    Feed(std::vector<double>(rgNew.begin(), rgNew.end() - 1));
    std::vector<double> rgBands(33);
    unsigned nFilled = 99;
    ASSERT_TRUE(chain.Spectrum().Compute(0, 33, &nFilled, rgBands.data()));
    EXPECT_EQ(0u, nFilled);  // one sample short
    Feed({rgNew.back()});
    ASSERT_TRUE(chain.Spectrum().Compute(0, 33, &nFilled, rgBands.data()));
    ASSERT_EQ(33u, nFilled);
    CSpectrumAnalyzer alone;  // the new samples and nothing before them
    alone.Init(1, 48000);
    alone.SetSettings(on);
    alone.Append(0, rgNew.data(), nSize);
    alone.Publish(nSize);
    std::vector<double> rgExpected(33);
    ASSERT_TRUE(alone.Compute(0, 33, &nFilled, rgExpected.data()));
    EXPECT_EQ(rgExpected, rgBands);
}

// Unity gain passes what a float conversion under flush-to-zero would change
// (the chain processes with the flags set): denormals, NaN payloads,
// signalling NaNs, negative zero; between them a sine, so meters and
// spectrum run.
// Buffers of 61 frames: chunks whose frame counts are not multiples of four.
template <class TStored>
void ExpectSpecialFloatsPass(SampleType eType, unsigned nChannels, std::initializer_list<TStored> rgSpecial)
{
    CLevelChain chain(NoSignal);
    ASSERT_TRUE(chain.Configure({eType, nChannels, 48000}));
    std::vector<uint8_t> rgBytes = Encode(eType, Sine(-20.0, 1000.0, 48000, 6405 * nChannels));
    // Each value twice: close together, and 509 samples apart (more than a
    // buffer of 8 channels), each alone in its buffer and off its last frame.
    size_t k = 0;
    for (TStored n : rgSpecial) {
        memcpy(&rgBytes[k * 97 * sizeof(n)], &n, sizeof(n));
        memcpy(&rgBytes[(2000 + k * 509) * sizeof(n)], &n, sizeof(n));
        k++;
    }
    std::vector<uint8_t> rgOriginal = rgBytes;
    const size_t nPiece = 61 * nChannels * sizeof(TStored);
    for (size_t nDone = 0; nDone < rgBytes.size(); nDone += nPiece)
        chain.Process(&rgBytes[nDone], std::min(nPiece, rgBytes.size() - nDone));
    EXPECT_TRUE(rgBytes == rgOriginal) << nChannels << " channels";
}

TEST(LevelChain, UnityGainPassesDenormalsAndNanPayloads)
{
    for (unsigned nChannels : {1u, 8u}) {
        ExpectSpecialFloatsPass<uint32_t>(SampleType::Float32, nChannels,
                                          {0x00000001u, 0x807FFFFFu, 0x00012345u, 0x7F800001u, 0xFFA00005u,
                                           0x7FC12345u, 0x80000000u, 0x7F800000u, 0x00800000u});
        ExpectSpecialFloatsPass<uint64_t>(SampleType::Float64, nChannels,
                                          {0x0000000000000001ull, 0x800FFFFFFFFFFFFFull, 0x7FF0000000000001ull,
                                           0xFFF80000DEADBEEFull, 0x8000000000000000ull});
    }
}

// Many-channel float streams are taken apart and put back four channels by
// four frames at a time: each channel must stay in its place, in whole
// groups of four and in the frames left over.
TEST(LevelChain, EveryChannelOfAWideFloatStreamKeepsItsPlace)
{
    for (unsigned nChannels : {4u, 8u, 12u}) {
        CLevelChain chain(NoSignal);
        ASSERT_TRUE(chain.Configure({SampleType::Float32, nChannels, 48000}));
        std::vector<std::vector<double>> rgChannels;
        for (unsigned ch = 0; ch < nChannels; ch++)
            rgChannels.push_back(Sine(-3.0 - 4.0 * ch, 1000.0, 48000, 9600, ch));
        const unsigned nGained = nChannels - 3;  // the second of a group of four
        chain.Gain().SetTarget(nGained, -6.0, 0);
        std::vector<uint8_t> rgBytes = Encode(SampleType::Float32, Interleave(rgChannels));
        std::vector<uint8_t> rgOriginal = rgBytes;
        const size_t nPiece = 61 * nChannels * sizeof(float);
        for (size_t nDone = 0; nDone < rgBytes.size(); nDone += nPiece)
            chain.Process(&rgBytes[nDone], std::min(nPiece, rgBytes.size() - nDone));
        for (unsigned ch = 0; ch < nChannels; ch++) {
            EXPECT_NEAR(-3.0 - 4.0 * ch, chain.MeterBefore().LevelDb(ch), 0.05) << ch << " of " << nChannels;
            double dblAfterDb = -3.0 - 4.0 * ch - (ch == nGained ? 6.0 : 0.0);
            EXPECT_NEAR(dblAfterDb, chain.MeterAfter().LevelDb(ch), 0.05) << ch << " of " << nChannels;
        }
        for (size_t i = 0; i < rgBytes.size(); i += sizeof(float)) {
            unsigned ch = static_cast<unsigned>(i / sizeof(float) % nChannels);
            double dblIn = SampleCodec<SampleType::Float32>::Decode(&rgOriginal[i]);
            double dblOut = SampleCodec<SampleType::Float32>::Decode(&rgBytes[i]);
            ASSERT_NEAR(ch == nGained ? dblIn * DbToGain(-6.0) : dblIn, dblOut, 1e-7)
                << "sample " << i / sizeof(float) << " of " << nChannels << " channels";
        }
    }
}

// 24-in-32 audio is processed at 24 bits: a gain rounds to 24 bits and the
// padding byte of every sample stays as the stream had it.
TEST(LevelChain, TwentyFourInThirtyTwoGainKeepsThePadding)
{
    CLevelChain chain(NoSignal);
    ASSERT_TRUE(chain.Configure({SampleType::Int24In32, 2, 48000}));
    chain.Gain().SetTarget(0, -6.0206, 0);
    chain.Gain().SetTarget(1, -6.0206, 0);
    std::vector<uint8_t> rgBytes = Encode(SampleType::Int24In32, Interleave({Sine(-6.0, 1000.0, 48000, 4800),
                                                                             Sine(-6.0, 1000.0, 48000, 4800)}));
    for (size_t i = 0; i < rgBytes.size(); i += 4)
        rgBytes[i] = static_cast<uint8_t>(i / 4 * 37 + 1);  // padding the chain must not touch
    std::vector<uint8_t> rgOriginal = rgBytes;
    chain.Process(rgBytes.data(), rgBytes.size());
    for (size_t i = 0; i < rgBytes.size(); i += 4) {
        ASSERT_EQ(rgOriginal[i], rgBytes[i]) << "padding of sample " << i / 4;
        double dblIn = SampleCodec<SampleType::Int24In32>::Decode(&rgOriginal[i]);
        double dblOut = SampleCodec<SampleType::Int24In32>::Decode(&rgBytes[i]);
        ASSERT_NEAR(dblIn * DbToGain(-6.0206), dblOut, 0x1p-24) << "sample " << i / 4;
    }
    EXPECT_NEAR(-12.0, chain.MeterAfter().LevelDb(0), 0.05);
}

// A stream of 100 ms buffers time-stamped as an upstream would, buffer k at
// stream time k * 100 ms (from tFirst) with a sine at -10 - 3k dB; the level
// is read at a stream time, as the filter reads it at the heard position.
class LevelChainTimeline : public testing::Test {
protected:
    static constexpr int64_t c_tBuffer = CStreamTimeline::c_nUnitsPerSecond / 10;
    static double BufferDb(unsigned k) { return -10.0 - 3.0 * k; }

    void SetUp() override { ASSERT_TRUE(m_chain.Configure({SampleType::Float32, 1, 48000})); }
    void Deliver(unsigned nFirst, unsigned nCount, bool bStamped = true, double dblDb = 0.0)
    {
        for (unsigned k = nFirst; k < nFirst + nCount; k++) {
            std::vector<uint8_t> rgBytes =
                Encode(SampleType::Float32, Sine(dblDb != 0.0 ? dblDb : BufferDb(k), 1000.0, 48000, 4800));
            if (bStamped)
                m_chain.MarkTime(k * c_tBuffer);
            m_chain.Process(rgBytes.data(), rgBytes.size());
        }
    }
    double LevelAtMs(int64_t nMs) const
    {
        return m_chain.LevelDbAt(0, m_chain.Timeline().FrameAt(nMs * CStreamTimeline::c_nUnitsPerSecond / 1000));
    }

    CLevelChain m_chain{NoSignal};
};

// The audio ahead of the heard position (delivered early) does not show.
TEST_F(LevelChainTimeline, ReadsTheBufferHeardAtTheStreamTime)
{
    Deliver(0, 10);
    const struct {
        int64_t nMs;
        double dblExpectedDb;
    } rgCases[] = {{90, BufferDb(0)}, {150, BufferDb(1)}, {399, BufferDb(3)}, {650, BufferDb(6)}, {990, BufferDb(9)},
                   {5000, BufferDb(9)}};  // beyond what was processed: the latest
    for (const auto& c : rgCases)
        EXPECT_NEAR(c.dblExpectedDb, LevelAtMs(c.nMs), 0.05) << c.nMs << " ms";
}

// Paused, the heard stream time stands still: its value does not change
// while audio keeps arriving.
TEST_F(LevelChainTimeline, AStillHeardTimeKeepsItsValueWhileAudioArrives)
{
    Deliver(0, 5);
    double dblPaused = LevelAtMs(250);
    Deliver(5, 20);
    EXPECT_EQ(dblPaused, LevelAtMs(250));
    EXPECT_NEAR(BufferDb(2), dblPaused, 0.05);
}

// A seek: the chain is reset and the time stamps start again; what is read
// describes only the new stream, the floor until it has arrived.
TEST_F(LevelChainTimeline, AfterASeekOnlyTheNewStreamIsRead)
{
    Deliver(0, 10);
    m_chain.Reset();
    EXPECT_EQ(-120.0, LevelAtMs(50));
    Deliver(0, 3, true, -50.0);
    EXPECT_NEAR(-50.0, LevelAtMs(60), 0.05);
    EXPECT_NEAR(-50.0, LevelAtMs(290), 0.05);
}

// Samples without time stamps (and so every read without a clock): the
// latest processed.
TEST_F(LevelChainTimeline, WithoutTimeStampsTheLatestIsRead)
{
    Deliver(0, 4, false);
    for (int64_t nMs : {0, 150, 10000})
        EXPECT_NEAR(BufferDb(3), LevelAtMs(nMs), 0.05) << nMs << " ms";
    EXPECT_EQ(m_chain.Timeline().Latest(), m_chain.Timeline().FrameAt(0));
}

TEST(LevelChain, PartialFrameAtTheEndIsLeftAlone)
{
    CLevelChain chain(NoSignal);
    ASSERT_TRUE(chain.Configure({SampleType::Int16, 2, 48000}));
    chain.Gain().SetTarget(0, -6.0206, 0);
    chain.Gain().SetTarget(1, -6.0206, 0);
    uint8_t rgBytes[7] = {0x00, 0x40, 0x00, 0x40, 0x11, 0x22, 0x33};  // one frame of 0.5, 0.5 and 3 stray bytes
    chain.Process(rgBytes, sizeof(rgBytes));
    EXPECT_EQ(0x20, rgBytes[1]);  // halved
    EXPECT_EQ(0x20, rgBytes[3]);
    EXPECT_EQ(0x11, rgBytes[4]);
    EXPECT_EQ(0x33, rgBytes[6]);
}

}  // namespace
