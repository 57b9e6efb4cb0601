// A stream processed on one thread while another changes every setting,
// arms and withdraws notifications and computes spectra; and a stream whose
// format changes while every method is called. Built under ThreadSanitizer
// in the test command.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

#include "LevelChain.h"
#include "Signals.h"

using namespace quelmar;

namespace {

// An event that must never be signalled once it has been withdrawn.
struct CWatchedEvent {
    std::atomic<bool> bRetired{false};
    std::atomic<int> nSignals{0};
};

std::atomic<int> g_nLateSignals{0};

void Signal(void* pEvent)
{
    auto* pWatched = static_cast<CWatchedEvent*>(pEvent);
    if (pWatched->bRetired.load())
        g_nLateSignals++;
    pWatched->nSignals++;
}

TEST(Concurrency, SettingsChangeWhileStreaming)
{
    CLevelChain chain(Signal);
    ASSERT_TRUE(chain.Configure({SampleType::Float32, 8, 48000}));
    std::vector<double> rgSine = quelmar_test::Sine(-6.0, 1000.0, 48000, 480 * 8);
    std::vector<float> rgBuffer(rgSine.begin(), rgSine.end());
    std::atomic<bool> bStop{false};
    std::thread streaming([&] {
        std::vector<float> rgWork(rgBuffer.size());
        while (!bStop.load()) {
            rgWork = rgBuffer;
            chain.Process(reinterpret_cast<uint8_t*>(rgWork.data()), rgWork.size() * sizeof(float));
        }
    });
    // The filter's trigger thread: the notifications at the latest frame.
    std::thread notifying([&] {
        while (!bStop.load()) {
            chain.Notify(chain.Timeline().Latest(), 5.0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });

    CWatchedEvent rgEvents[20];
    std::vector<double> rgBands(66);
    for (int nRound = 0; nRound < 20; nRound++) {
        CWatchedEvent& event = rgEvents[nRound];
        uint32_t dwCookie = chain.Detector().Advise({nRound % 2 == 0, 0, -60.0, 0, true}, &event);
        ASSERT_NE(0u, dwCookie);
        for (unsigned ch = 0; ch < 8; ch++) {
            chain.Gain().SetTarget(ch, -40.0 + nRound * 4.0, nRound * 5);
            chain.AutoGain().Set(ch, {-10.0, -(nRound % 3) * 5.0});
            EXPECT_TRUE(std::isfinite(chain.MeterAfter().LevelDb(ch)));
        }
        unsigned nBandsPerOctave = nRound % 2 ? 6 : 3;
        chain.Spectrum().SetSettings({nBandsPerOctave, static_cast<WindowType>(nRound % 5), 10u + nRound % 6});
        unsigned nFilled = 0;
        chain.Spectrum().Compute(nRound % 8, 11 * nBandsPerOctave, &nFilled, rgBands.data());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(chain.Detector().Unadvise(dwCookie));
        event.bRetired.store(true);
    }
    bStop.store(true);
    streaming.join();
    notifying.join();
    EXPECT_EQ(0, g_nLateSignals.load());
    int nSignalled = 0;
    for (CWatchedEvent& event : rgEvents)
        nSignalled += event.nSignals.load() > 0;
    EXPECT_GT(nSignalled, 10);  // the notifications did fire while armed
}

// The filter's discipline: the streaming thread changes the format (and
// flushes) under the chain lock, and processes without it; every call of the
// program takes the chain lock and checks its channel against the count of
// that moment. Formats, channel counts and rates change every few buffers.
TEST(Concurrency, FormatChangesWhileEveryMethodIsCalled)
{
    const StreamFormat rgFormats[] = {{SampleType::Int16, 2, 48000}, {SampleType::Float32, 1, 44100},
                                      {SampleType::Int24In32, 6, 96000}, {SampleType::Float64, 8, 8000},
                                      {SampleType::UInt8, 3, 22050}, {SampleType::Int24, 64, 48000}};
    std::mutex mutexChain;
    CLevelChain chain(Signal);
    ASSERT_TRUE(chain.Configure(rgFormats[0]));
    std::vector<uint8_t> rgNoise(8 * 64 * 60);
    for (size_t i = 0; i < rgNoise.size(); i++)
        rgNoise[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    std::atomic<bool> bStop{false};
    std::atomic<int> nChanges{0};
    std::thread streaming([&] {
        std::vector<uint8_t> rgWork(rgNoise.size());
        for (unsigned nBuffer = 0; !bStop.load(); nBuffer++) {
            if (nBuffer % 8 == 7) {
                std::lock_guard<std::mutex> lock(mutexChain);
                if (nBuffer % 32 == 31)
                    chain.Reset();
                else
                    chain.Configure(rgFormats[nBuffer / 8 % 6]);
                nChanges++;
            }
            rgWork = rgNoise;
            chain.MarkTime(nBuffer * 100000ll);
            chain.Process(rgWork.data(), rgWork.size());
        }
    });
    std::thread notifying([&] {  // the trigger thread
        while (!bStop.load()) {
            {
                std::lock_guard<std::mutex> lock(mutexChain);
                chain.Notify(chain.Timeline().FrameAt(chain.Timeline().Latest()), 5.0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });

    CWatchedEvent event;
    std::vector<double> rgBands(66);
    auto tDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (int nRound = 0; (nRound < 400 || nChanges.load() < 40) && std::chrono::steady_clock::now() < tDeadline;
         nRound++) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));  // the lock comes free between calls
        std::lock_guard<std::mutex> lock(mutexChain);
        unsigned nChannel = static_cast<unsigned>(nRound) % chain.Format().nChannels;
        EXPECT_FALSE(std::isnan(chain.LevelDbAt(nChannel, chain.Timeline().FrameAt(nRound * 50000ll))));
        EXPECT_FALSE(std::isnan(chain.MeterBefore().LevelDb(nChannel)));
        chain.Gain().SetTarget(nChannel, -40.0 + nRound % 80, nRound % 20);
        EXPECT_LE(chain.Gain().TargetDb(nChannel), 40.0);
        chain.AutoGain().Set(nChannel, {-10.0, -(nRound % 3) * 5.0});
        EXPECT_GE(chain.AutoGain().Get(nChannel).dblGainDb, -20.0);
        uint32_t dwCookie = chain.Detector().Advise({nRound % 2 == 0, nChannel, -60.0, 0, true}, &event);
        EXPECT_TRUE(chain.Detector().Unadvise(dwCookie));
        unsigned nBandsPerOctave = nRound % 2 ? 6 : 3;
        chain.Spectrum().SetSettings({nBandsPerOctave, static_cast<WindowType>(nRound % 5), 10u + nRound % 6});
        unsigned nFilled = 0;
        EXPECT_TRUE(chain.Spectrum().Compute(nChannel, 11 * nBandsPerOctave, &nFilled, rgBands.data(),
                                             chain.Timeline().Latest()));
    }
    bStop.store(true);
    streaming.join();
    notifying.join();
    EXPECT_GE(nChanges.load(), 40);
}

// A sine whose phase jumps when the ring is read across a write: its
// frequency puts a third of a cycle more than a whole number of cycles into
// the ring, so only an intact copy keeps the far bands quiet.
TEST(Concurrency, SpectrumIsNeverComputedFromAnOverwrittenHistory)
{
    const unsigned nRate = 48000;
    const unsigned nOrder = CSpectrumAnalyzer::c_nMaxOrder;  // the least slack in the ring
    const double dblHz = (100.0 + 1.0 / 3.0) * nRate / (1u << nOrder);
    CSpectrumAnalyzer analyzer;
    analyzer.Init(1, nRate);
    analyzer.SetSettings({3, WindowType::Hann, nOrder});
    std::atomic<bool> bStop{false};
    // Three rings' worth of the sine repeat seamlessly; the writer goes
    // round them as fast as it can.
    const std::vector<double> rgSine = quelmar_test::Sine(-6.0, dblHz, nRate, 3 * CSpectrumAnalyzer::c_nHistoryFrames);
    std::thread streaming([&] {
        const unsigned nChunk = CLevelChain::c_nChunkFrames;
        for (size_t nFrame = 0; !bStop.load(); nFrame = (nFrame + nChunk) % rgSine.size()) {
            analyzer.Append(0, &rgSine[nFrame], nChunk);
            analyzer.Publish(nChunk);
        }
    });
    std::vector<double> rgBands(33);
    int nSpectra = 0, nTorn = 0;
    auto tDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (nSpectra < 1000 && std::chrono::steady_clock::now() < tDeadline) {
        unsigned nFilled = 0;
        ASSERT_TRUE(analyzer.Compute(0, 33, &nFilled, rgBands.data()));
        if (nFilled == 0)
            continue;
        nSpectra++;
        double dblFarthest = -200.0;  // loudest band far from the tone
        for (unsigned i = 0; i < 33; i++)
            if (std::fabs(std::log2(CSpectrumAnalyzer::BandCentreHz(i, 3) / dblHz)) > 3.0)
                dblFarthest = std::max(dblFarthest, rgBands[i]);
        nTorn += dblFarthest > -90.0;
    }
    bStop.store(true);
    streaming.join();
    EXPECT_GT(nSpectra, 0);
    EXPECT_EQ(0, nTorn) << "of " << nSpectra << " spectra";
}

}  // namespace
