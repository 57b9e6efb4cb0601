// The reference FFTs the core's is measured against (native build only):
// FFTW in double and float precision, and KissFFT (float).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include <fftw3.h>
#include <kissfft/kiss_fftr.h>

#include "BenchmarkNoise.h"

namespace {

// Planned with FFTW_MEASURE outside the timed loop (planning overwrites the input).
template <class Real, class Complex, class Plan, Real* (*AllocReal)(size_t), Complex* (*AllocComplex)(size_t),
          Plan (*MakePlan)(int, Real*, Complex*, unsigned), void (*Execute)(const Plan),
          void (*DestroyPlan)(Plan), void (*Free)(void*)>
void FftwMeasure(benchmark::State& state)
{
    int n = 1 << state.range(0);
    Real* pIn = AllocReal(n);
    Complex* pOut = AllocComplex(n / 2 + 1);
    Plan plan = MakePlan(n, pIn, pOut, FFTW_MEASURE);
    std::vector<double> rgIn = BenchmarkNoise(n);
    std::copy(rgIn.begin(), rgIn.end(), pIn);
    for (auto _ : state) {
        Execute(plan);
        benchmark::DoNotOptimize(pOut);
    }
    state.SetItemsProcessed(state.iterations() * n);
    DestroyPlan(plan);
    Free(pOut);
    Free(pIn);
}

void BM_RealFft_FftwMeasure(benchmark::State& state)
{
    FftwMeasure<double, fftw_complex, fftw_plan, fftw_alloc_real, fftw_alloc_complex, fftw_plan_dft_r2c_1d,
                fftw_execute, fftw_destroy_plan, fftw_free>(state);
}

void BM_RealFft_FftwfMeasure(benchmark::State& state)
{
    FftwMeasure<float, fftwf_complex, fftwf_plan, fftwf_alloc_real, fftwf_alloc_complex, fftwf_plan_dft_r2c_1d,
                fftwf_execute, fftwf_destroy_plan, fftwf_free>(state);
}

void BM_RealFft_KissFftFloat(benchmark::State& state)
{
    int n = 1 << state.range(0);
    kiss_fftr_cfg cfg = kiss_fftr_alloc(n, 0, nullptr, nullptr);
    std::vector<double> rgNoise = BenchmarkNoise(n);
    std::vector<kiss_fft_scalar> rgIn(rgNoise.begin(), rgNoise.end());
    std::vector<kiss_fft_cpx> rgOut(n / 2 + 1);
    for (auto _ : state) {
        kiss_fftr(cfg, rgIn.data(), rgOut.data());
        benchmark::DoNotOptimize(rgOut.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
    kiss_fftr_free(cfg);
}

BENCHMARK(BM_RealFft_FftwMeasure)->DenseRange(10, 15);
BENCHMARK(BM_RealFft_FftwfMeasure)->DenseRange(10, 15);
BENCHMARK(BM_RealFft_KissFftFloat)->DenseRange(10, 15);

}  // namespace
