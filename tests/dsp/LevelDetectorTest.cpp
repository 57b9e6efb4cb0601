#include <gtest/gtest.h>

#include <vector>

#include "LevelDetector.h"
#include "LevelMeter.h"
#include "Signals.h"

using namespace quelmar;
using namespace quelmar_test;

namespace {

std::vector<void*> g_rgSignalled;

void RecordSignal(void* pEvent)
{
    g_rgSignalled.push_back(pEvent);
}

// Two meters (before and after a -20 dB gain) fed with a steady -6 dB sine
// in 10 ms stretches; Evaluate runs after each stretch.
class LevelDetectorFixture : public testing::Test {
protected:
    void SetUp() override
    {
        g_rgSignalled.clear();
        m_before.Init(2, 48000);
        m_after.Init(2, 48000);
    }
    // Returns the stretch indexes (from 0) after which the event was set.
    std::vector<int> Run(int nStretches, void* pEvent)
    {
        std::vector<int> rgHits;
        std::vector<double> rgSine = Sine(-6.0, 1000.0, 48000, 480);
        std::vector<double> rgAfter = rgSine;
        for (double& dbl : rgAfter)
            dbl *= 0.1;
        for (int i = 0; i < nStretches; i++) {
            for (unsigned c = 0; c < 2; c++) {
                m_before.Add(c, rgSine.data(), 480);
                m_after.Add(c, rgAfter.data(), 480);
            }
            size_t nBefore = g_rgSignalled.size();
            m_detector.Evaluate(m_before, m_after, 10.0);
            for (size_t k = nBefore; k < g_rgSignalled.size(); k++)
                if (g_rgSignalled[k] == pEvent)
                    rgHits.push_back(i);
        }
        return rgHits;
    }

    CLevelMeter m_before, m_after;
    CLevelDetector m_detector{RecordSignal};
    int m_nEvent1 = 0, m_nEvent2 = 0;
};

TEST_F(LevelDetectorFixture, SignalsEveryStretchOnceTheMinimumDurationHasPassed)
{
    ASSERT_NE(0u, m_detector.Advise({true, 0, -10.0, 100, true}, &m_nEvent1));
    std::vector<int> rgHits = Run(20, &m_nEvent1);
    // The level rises above -10 dB within the first stretch; 100 ms later,
    // after the 10th stretch, every stretch signals.
    ASSERT_FALSE(rgHits.empty());
    EXPECT_EQ(9, rgHits.front());
    EXPECT_EQ(11u, rgHits.size());
}

struct CConditionCase {
    const char* pszName;
    bool bBefore, bAbove;
    double dblThresholdDb;
    bool bSignals;
};

class LevelDetectorCondition : public LevelDetectorFixture, public testing::WithParamInterface<CConditionCase> {};

TEST_P(LevelDetectorCondition, SignalsExactlyWhenTheConditionHolds)
{
    // The sine reads -6 dB before the gain and -26 dB after it.
    const CConditionCase& c = GetParam();
    m_detector.Advise({c.bBefore, 1, c.dblThresholdDb, 0, c.bAbove}, &m_nEvent1);
    EXPECT_EQ(c.bSignals, !Run(10, &m_nEvent1).empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, LevelDetectorCondition,
                         testing::Values(CConditionCase{"BeforeAbove", true, true, -10.0, true},
                                         CConditionCase{"AfterAbove", false, true, -10.0, false},
                                         CConditionCase{"AfterBelow", false, false, -10.0, true},
                                         CConditionCase{"BeforeBelow", true, false, -10.0, false},
                                         CConditionCase{"AfterAboveLow", false, true, -30.0, true}),
                         [](const testing::TestParamInfo<CConditionCase>& info) { return info.param.pszName; });

TEST_F(LevelDetectorFixture, ConditionBrokenRestartsTheMinimumDuration)
{
    // -20 dB: after silence, one 10 ms stretch of the sine already reads
    // -13 dB over the meter's 50 ms window.
    m_detector.Advise({true, 0, -20.0, 50, true}, &m_nEvent1);
    EXPECT_TRUE(Run(3, &m_nEvent1).empty());
    std::vector<double> rgSilence(4800, 0.0);  // 100 ms of silence: condition breaks
    m_before.Add(0, rgSilence.data(), 4800);
    m_after.Add(0, rgSilence.data(), 4800);
    m_detector.Evaluate(m_before, m_after, 100.0);
    std::vector<int> rgHits = Run(10, &m_nEvent1);
    ASSERT_FALSE(rgHits.empty());
    EXPECT_EQ(4, rgHits.front());  // 50 ms after the level came back
}

TEST_F(LevelDetectorFixture, UnadvisedEventIsNeverSignalledAgain)
{
    uint32_t dwCookie1 = m_detector.Advise({true, 0, -10.0, 0, true}, &m_nEvent1);
    uint32_t dwCookie2 = m_detector.Advise({true, 0, -10.0, 0, true}, &m_nEvent2);
    EXPECT_NE(dwCookie1, dwCookie2);
    EXPECT_FALSE(Run(2, &m_nEvent1).empty());
    EXPECT_TRUE(m_detector.Unadvise(dwCookie1));
    EXPECT_TRUE(Run(5, &m_nEvent1).empty());
    EXPECT_FALSE(Run(1, &m_nEvent2).empty());
    EXPECT_FALSE(m_detector.Unadvise(dwCookie1));
    EXPECT_FALSE(m_detector.Unadvise(0));
    EXPECT_FALSE(m_detector.Unadvise(12345));
}

TEST_F(LevelDetectorFixture, SixtyFourRegistrationsAtMostWithUniqueCookies)
{
    std::vector<uint32_t> rgCookies;
    for (unsigned i = 0; i < CLevelDetector::c_nMaxRegistrations; i++) {
        uint32_t dwCookie = m_detector.Advise({true, 0, -10.0, 0, true}, &m_nEvent1);
        ASSERT_NE(0u, dwCookie);
        for (uint32_t dwEarlier : rgCookies)
            ASSERT_NE(dwEarlier, dwCookie);
        rgCookies.push_back(dwCookie);
    }
    EXPECT_EQ(0u, m_detector.Advise({true, 0, -10.0, 0, true}, &m_nEvent1));
    EXPECT_TRUE(m_detector.Unadvise(rgCookies[10]));
    uint32_t dwNew = m_detector.Advise({true, 0, -10.0, 0, true}, &m_nEvent1);
    EXPECT_NE(0u, dwNew);
    for (uint32_t dwEarlier : rgCookies)
        EXPECT_NE(dwEarlier, dwNew);
    EXPECT_EQ(64u, m_detector.Count());
}

TEST_F(LevelDetectorFixture, ChannelBeyondTheStreamNeverSignals)
{
    m_detector.Advise({true, 5, -100.0, 0, true}, &m_nEvent1);
    EXPECT_TRUE(Run(5, &m_nEvent1).empty());
}

}  // namespace
