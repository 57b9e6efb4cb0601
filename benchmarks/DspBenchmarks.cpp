// Speed of the level filter's core: the real FFT (against FFTW and KissFFT
// in ReferenceFftBenchmarks.cpp), the level + gain pass against memcpy, and
// the whole chain as a real-time factor. Built natively with Google
// Benchmark and for the target with TargetBenchmark.h; run with
// scripts/bench.sh; figures in benchmarks/README.md.
#ifdef QUELMAR_TARGET_BENCHMARK
#include "TargetBenchmark.h"
#else
#include <benchmark/benchmark.h>
#endif

#include <cmath>
#include <cstring>
#include <vector>

#include "BenchmarkNoise.h"
#include "GainStage.h"
#include "LevelChain.h"
#include "LevelMeter.h"
#include "RealFft.h"
#include "SpectrumAnalyzer.h"

using namespace quelmar;

namespace {

void RealFft(benchmark::State& state, FftPath ePath)
{
    unsigned nOrder = static_cast<unsigned>(state.range(0));
    CRealFft fft(nOrder, ePath);
    std::vector<double> rgIn = BenchmarkNoise(fft.Size());
    std::vector<double> rgRe(fft.Size() / 2 + 1), rgIm(fft.Size() / 2 + 1);
    for (auto _ : state) {
        fft.Forward(rgIn.data(), rgRe.data(), rgIm.data());
        benchmark::DoNotOptimize(rgRe.data());
    }
    state.SetItemsProcessed(state.iterations() * fft.Size());
}

// The path the spectrum takes on this processor (AVX2 + FMA where it has them).
void BM_RealFft_Quelmar(benchmark::State& state) { RealFft(state, CRealFft::ChosenPath()); }
void BM_RealFft_QuelmarSse2(benchmark::State& state) { RealFft(state, FftPath::Sse2); }

BENCHMARK(BM_RealFft_Quelmar)->DenseRange(10, 15);
BENCHMARK(BM_RealFft_QuelmarSse2)->DenseRange(10, 15);

// A cache-resident block: 4096 doubles (32 KiB).
constexpr size_t c_nBlock = 4096;

void BM_Memcpy(benchmark::State& state)
{
    std::vector<double> rgIn = BenchmarkNoise(c_nBlock), rgOut(c_nBlock);
    for (auto _ : state) {
        memcpy(rgOut.data(), rgIn.data(), c_nBlock * sizeof(double));
        benchmark::DoNotOptimize(rgOut.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * c_nBlock * sizeof(double));
}

// The gain alternates between -6 and +6 dB (no ramp), so the block stays
// noise at the same level however many iterations run: no decay below the
// meter's floor or into zeros.
void BM_LevelAndGain(benchmark::State& state)
{
    CLevelMeter meter;
    meter.Init(1, 48000);
    CGainStage gain;
    gain.Init(1, 48000);
    std::vector<double> rgBlock = BenchmarkNoise(c_nBlock);
    double dblGainDb = 6.0;
    for (auto _ : state) {
        dblGainDb = -dblGainDb;
        gain.SetTarget(0, dblGainDb, 0);
        const CGainStage::CRun run = gain.Advance(0, c_nBlock);
        meter.AddSums(
            0, c_nBlock,
            [&run, &rgBlock](unsigned nAt, unsigned nTake) {
                return CGainStage::SumThenApply(run, rgBlock.data(), nAt, nTake);
            },
            [&run, &rgBlock, &meter](unsigned nAt, unsigned nBlocks, double* pdblSums) {
                CGainStage::BlockSumsThenApply(run, rgBlock.data(), nAt, nBlocks, meter.FramesPerBlock(), pdblSums);
            });
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
    std::vector<double> rgNoise = BenchmarkNoise(nChannels * nRate);
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

// One reading of the spectrum as the program's window takes it 20 times a
// second: 66 bands (6 a octave; 28 of them fitted) of the latest 2^12 samples
// of 44.1 kHz noise.
void BM_SpectrumReading66Bands(benchmark::State& state)
{
    constexpr unsigned nRate = 44100, nBands = 66;
    CSpectrumAnalyzer spectrum;
    spectrum.Init(1, nRate);
    spectrum.SetSettings({6, WindowType::Hann, 12});
    std::vector<double> rgNoise = BenchmarkNoise(1u << 12);
    spectrum.Append(0, rgNoise.data(), static_cast<unsigned>(rgNoise.size()));
    spectrum.Publish(static_cast<unsigned>(rgNoise.size()));
    double rgdblBands[nBands];
    unsigned nFilled = 0;
    for (auto _ : state) {
        spectrum.Compute(0, nBands, &nFilled, rgdblBands);
        benchmark::DoNotOptimize(rgdblBands);
    }
    state.counters["bands_filled"] = nFilled;  // 66, or the figure times nothing
}

BENCHMARK(BM_SpectrumReading66Bands);

}  // namespace
