#include "TargetBenchmark.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace benchmark {

namespace {

struct COptions {
    double dblMinSeconds = 0.5;
    int nRepetitions = 1;
    std::string strFilter;
};

std::vector<std::unique_ptr<CCase>>& Cases()
{
    static std::vector<std::unique_ptr<CCase>> s_rgCases;
    return s_rgCases;
}

COptions ReadOptions(int argc, char** argv)
{
    COptions options;
    for (int i = 1; i < argc; i++) {
        const char* sz = argv[i];
        if (std::strncmp(sz, "--benchmark_min_time=", 21) == 0)
            options.dblMinSeconds = std::atof(sz + 21);
        else if (std::strncmp(sz, "--benchmark_repetitions=", 24) == 0)
            options.nRepetitions = std::max(1, std::atoi(sz + 24));
        else if (std::strncmp(sz, "--benchmark_filter=", 19) == 0)
            options.strFilter = sz + 19;
    }
    return options;
}

struct CRun {
    double dblSeconds;
    uint64_t nIterations;
    State state;
};

// Doubles the iteration count (at least) until a run takes the minimum time.
CRun Measure(const CCase& benchCase, int64_t nRange, double dblMinSeconds)
{
    uint64_t nIterations = 1;
    for (;;) {
        State state(nRange, nIterations);
        benchCase.m_pfn(state);
        double dblSeconds = state.Seconds();
        if (dblSeconds >= dblMinSeconds || nIterations >= (uint64_t{1} << 40))
            return {dblSeconds, nIterations, state};
        double dblFactor = dblSeconds > 0.0 ? 1.4 * dblMinSeconds / dblSeconds : 10.0;
        nIterations = static_cast<uint64_t>(static_cast<double>(nIterations) * std::clamp(dblFactor, 2.0, 10.0));
    }
}

void Print(const CCase& benchCase, const std::string& strName, const CRun& run)
{
    double dblPerIteration = run.dblSeconds / static_cast<double>(run.nIterations);
    bool bMs = benchCase.m_eUnit == kMillisecond;
    std::printf("%-40s %12.*f %s %12llu", strName.c_str(), bMs ? 3 : 0, dblPerIteration * (bMs ? 1e3 : 1e9),
                bMs ? "ms" : "ns",
                static_cast<unsigned long long>(run.nIterations));
    if (run.state.m_nItems)
        std::printf(" items_per_second=%.1fM/s", static_cast<double>(run.state.m_nItems) / run.dblSeconds / 1e6);
    if (run.state.m_nBytes)
        std::printf(" bytes_per_second=%.3fG/s", static_cast<double>(run.state.m_nBytes) / run.dblSeconds / 1e9);
    for (const auto& counter : run.state.counters) {
        double dblValue = counter.second.value;
        if (counter.second.flags == Counter::kIsRate)
            dblValue /= run.dblSeconds;
        std::printf(" %s=%.1f", counter.first.c_str(), dblValue);
    }
    std::printf("\n");
}

void RunCase(const CCase& benchCase, const std::string& strName, int64_t nRange, const COptions& options)
{
    if (strName.find(options.strFilter) == std::string::npos)
        return;
    std::vector<CRun> rgRuns;
    for (int i = 0; i < options.nRepetitions; i++)
        rgRuns.push_back(Measure(benchCase, nRange, options.dblMinSeconds));
    std::sort(rgRuns.begin(), rgRuns.end(), [](const CRun& a, const CRun& b) {
        return a.dblSeconds / static_cast<double>(a.nIterations) < b.dblSeconds / static_cast<double>(b.nIterations);
    });
    Print(benchCase, strName + (options.nRepetitions > 1 ? "_median" : ""), rgRuns[rgRuns.size() / 2]);
}

}  // namespace

CCase* CCase::DenseRange(int64_t nFirst, int64_t nLast)
{
    for (int64_t n = nFirst; n <= nLast; n++)
        m_rgRanges.push_back(n);
    return this;
}

CCase* CCase::Unit(TimeUnit eUnit)
{
    m_eUnit = eUnit;
    return this;
}

CCase* Register(const char* szName, Function pfn)
{
    Cases().push_back(std::make_unique<CCase>(szName, pfn));
    return Cases().back().get();
}

}  // namespace benchmark

int main(int argc, char** argv)
{
    benchmark::COptions options = benchmark::ReadOptions(argc, argv);
    std::printf("%-40s %15s %12s\n", "Benchmark", "Time", "Iterations");
    for (const auto& pCase : benchmark::Cases()) {
        if (pCase->m_rgRanges.empty())
            benchmark::RunCase(*pCase, pCase->m_strName, 0, options);
        for (int64_t nRange : pCase->m_rgRanges)
            benchmark::RunCase(*pCase, pCase->m_strName + "/" + std::to_string(nRange), nRange, options);
    }
    return 0;
}
