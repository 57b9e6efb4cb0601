// Speed of the level filter's core: the real FFT against FFTW and KissFFT,
// the level + gain pass against memcpy, and the whole chain as a real-time
// factor. Run with scripts/bench.sh; figures in benchmarks/README.md.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include <fftw3.h>
#include <kissfft/kiss_fftr.h>

#include "GainStage.h"
#include "LevelChain.h"
#include "LevelMeter.h"
#include "RealFft.h"

using namespace quelmar;

namespace {

std::vector<double> Noise(size_t n)
{
    std::mt19937 generator(42);
    std::uniform_real_distribution<double> distribution(-0.5, 0.5);
    std::vector<double> rg(n);
    for (double& d : rg)
        d = distribution(generator);
    return rg;
}

void BM_RealFft_Quelmar(benchmark::State& state)
{
    unsigned nOrder = static_cast<unsigned>(state.range(0));
    CRealFft fft(nOrder);
    std::vector<double> rgIn = Noise(fft.Size());
    std::vector<double> rgRe(fft.Size() / 2 + 1), rgIm(fft.Size() / 2 + 1);
    for (auto _ : state) {
        fft.Forward(rgIn.data(), rgRe.data(), rgIm.data());
        benchmark::DoNotOptimize(rgRe.data());
    }
    state.SetItemsProcessed(state.iterations() * fft.Size());
}

void BM_RealFft_FftwMeasure(benchmark::State& state)
{
    int n = 1 << state.range(0);
    double* pdblIn = fftw_alloc_real(n);
    fftw_complex* pOut = fftw_alloc_complex(n / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, pdblIn, pOut, FFTW_MEASURE);  // planning overwrites the input
    std::vector<double> rgIn = Noise(n);
    memcpy(pdblIn, rgIn.data(), n * sizeof(double));
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(pOut);
    }
    state.SetItemsProcessed(state.iterations() * n);
    fftw_destroy_plan(plan);
    fftw_free(pOut);
    fftw_free(pdblIn);
}

void BM_RealFft_KissFftFloat(benchmark::State& state)
{
    int n = 1 << state.range(0);
    kiss_fftr_cfg cfg = kiss_fftr_alloc(n, 0, nullptr, nullptr);
    std::vector<double> rgNoise = Noise(n);
    std::vector<kiss_fft_scalar> rgIn(rgNoise.begin(), rgNoise.end());
    std::vector<kiss_fft_cpx> rgOut(n / 2 + 1);
    for (auto _ : state) {
        kiss_fftr(cfg, rgIn.data(), rgOut.data());
        benchmark::DoNotOptimize(rgOut.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
    kiss_fftr_free(cfg);
}

BENCHMARK(BM_RealFft_Quelmar)->DenseRange(10, 15);
BENCHMARK(BM_RealFft_FftwMeasure)->DenseRange(10, 15);
BENCHMARK(BM_RealFft_KissFftFloat)->DenseRange(10, 15);

// A cache-resident block: 4096 doubles (32 KiB).
constexpr size_t c_nBlock = 4096;

void BM_Memcpy(benchmark::State& state)
{
    std::vector<double> rgIn = Noise(c_nBlock), rgOut(c_nBlock);
    for (auto _ : state) {
        memcpy(rgOut.data(), rgIn.data(), c_nBlock * sizeof(double));
        benchmark::DoNotOptimize(rgOut.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * c_nBlock * sizeof(double));
}

void BM_LevelAndGain(benchmark::State& state)
{
    CLevelMeter meter;
    meter.Init(1, 48000);
    CGainStage gain;
    gain.Init(1, 48000);
    gain.SetTarget(0, -6.0, 0);
    std::vector<double> rgBlock = Noise(c_nBlock);
    for (auto _ : state) {
        meter.Add(0, rgBlock.data(), c_nBlock);
        gain.Apply(0, rgBlock.data(), c_nBlock);
        benchmark::DoNotOptimize(rgBlock.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * c_nBlock * sizeof(double));
}

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_LevelAndGain);

void IgnoreSignal(void*) {}

// One second of 8-channel 48 kHz float audio per iteration, in 10 ms
// buffers, with gain ramps, auto gain, a notification and the spectrum on.
void BM_WholeChain8x48kFloat(benchmark::State& state)
{
    constexpr unsigned nChannels = 8, nRate = 48000, nBufferFrames = 480;
    CLevelChain chain(IgnoreSignal);
    chain.Configure({SampleType::Float32, nChannels, nRate});
    for (unsigned c = 0; c < nChannels; c++) {
        chain.AutoGain().Set(c, {-20.0, -10.0});
    }
    chain.Detector().Advise({false, 0, -30.0, 10, true}, nullptr);
    chain.Spectrum().SetSettings({6, WindowType::Hann, 12});
    std::vector<double> rgNoise = Noise(nChannels * nRate);
    std::vector<float> rgSecond(rgNoise.begin(), rgNoise.end());
    std::vector<float> rgWork(rgSecond.size());
    int nRound = 0;
    for (auto _ : state) {
        state.PauseTiming();
        rgWork = rgSecond;
        for (unsigned c = 0; c < nChannels; c++)
            chain.Gain().SetTarget(c, (nRound % 2) ? -6.0 : 6.0, 500);  // a ramp under way all the time
        nRound++;
        state.ResumeTiming();
        for (size_t nFrame = 0; nFrame < nRate; nFrame += nBufferFrames)
            chain.Process(reinterpret_cast<uint8_t*>(&rgWork[nFrame * nChannels]),
                          nBufferFrames * nChannels * sizeof(float));
        benchmark::DoNotOptimize(rgWork.data());
    }
    // Seconds of audio per second of processing.
    state.counters["realtime_factor"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_WholeChain8x48kFloat)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
