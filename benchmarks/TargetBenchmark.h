// The part of Google Benchmark's interface that DspBenchmarks.cpp uses, for
// the target build (there is no Google Benchmark for mingw-w64 here), so the
// figures under Wine come from the code QuelmarFilter.dll ships. Wall-clock
// time only; each case runs until it has taken --benchmark_min_time seconds
// (0.5 by default), --benchmark_repetitions times (1), and the median is
// printed; --benchmark_filter=TEXT keeps the cases whose name contains TEXT.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace benchmark {

enum TimeUnit { kNanosecond, kMillisecond };

struct Counter {
    enum Flags { kDefaults, kIsRate };
    Counter(double dblValue = 0.0, Flags eFlags = kDefaults) : value(dblValue), flags(eFlags) {}
    double value;
    Flags flags;
};

class State {
public:
    using Clock = std::chrono::steady_clock;

    State(int64_t nRange, uint64_t nIterations) : m_nRange(nRange), m_nIterations(nIterations) {}

    // for (auto _ : state): the timer runs from the first to the last
    // iteration. The loop variable's type has a destructor of its own, so an
    // unused _ draws no warning.
    struct CIteration {
        ~CIteration() {}
    };
    struct CIterator {
        State* pState;
        uint64_t nLeft;
        bool operator!=(const CIterator&)
        {
            if (nLeft != 0)
                return true;
            pState->PauseTiming();
            return false;
        }
        void operator++() { nLeft--; }
        CIteration operator*() const { return {}; }
    };
    CIterator begin()
    {
        ResumeTiming();
        return {this, m_nIterations};
    }
    CIterator end() { return {this, 0}; }

    int64_t range(int) const { return m_nRange; }
    uint64_t iterations() const { return m_nIterations; }
    void PauseTiming() { m_elapsed += Clock::now() - m_started; }
    void ResumeTiming() { m_started = Clock::now(); }
    void SetItemsProcessed(uint64_t n) { m_nItems = n; }
    void SetBytesProcessed(uint64_t n) { m_nBytes = n; }
    double Seconds() const { return std::chrono::duration<double>(m_elapsed).count(); }

    std::map<std::string, Counter> counters;
    uint64_t m_nItems = 0, m_nBytes = 0;

private:
    int64_t m_nRange;
    uint64_t m_nIterations;
    Clock::time_point m_started;
    Clock::duration m_elapsed{};
};

using Function = void (*)(State&);

class CCase {
public:
    CCase(const char* szName, Function pfn) : m_strName(szName), m_pfn(pfn) {}
    CCase* DenseRange(int64_t nFirst, int64_t nLast);
    CCase* Unit(TimeUnit eUnit);
    CCase* UseRealTime() { return this; }  // wall-clock time is all there is

    std::string m_strName;
    Function m_pfn;
    std::vector<int64_t> m_rgRanges;  // empty: one run without an argument
    TimeUnit m_eUnit = kNanosecond;
};

CCase* Register(const char* szName, Function pfn);

template <class T>
void DoNotOptimize(T const& value)
{
    asm volatile("" : : "r,m"(value) : "memory");
}

inline void ClobberMemory()
{
    asm volatile("" : : : "memory");
}

}  // namespace benchmark

#define QUELMAR_BENCHMARK_NAME2(line) s_pBenchmark##line
#define QUELMAR_BENCHMARK_NAME(line) QUELMAR_BENCHMARK_NAME2(line)
#define BENCHMARK(fn) \
    [[maybe_unused]] benchmark::CCase* QUELMAR_BENCHMARK_NAME(__LINE__) = benchmark::Register(#fn, fn)
