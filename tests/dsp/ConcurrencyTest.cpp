// A stream processed on one thread while another changes every setting,
// arms and withdraws notifications and computes spectra. Built under
// ThreadSanitizer in the test command.
#include <gtest/gtest.h>

#include <atomic>
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
    EXPECT_EQ(0, g_nLateSignals.load());
    int nSignalled = 0;
    for (CWatchedEvent& event : rgEvents)
        nSignalled += event.nSignals.load() > 0;
    EXPECT_GT(nSignalled, 10);  // the notifications did fire while armed
}

}  // namespace
