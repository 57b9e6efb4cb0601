#!/usr/bin/env bash
# Builds and runs the benchmarks once, printing their tables (the figures in
# benchmarks/README.md come from them): the level filter core's natively
# (Release, beside FFTW and KissFFT) and from the target build under Wine
# (the core as QuelmarFilter.dll ships it), then the program's own build and
# tick costs under Wine. Extra arguments go to both core benchmarks (e.g.
# --benchmark_repetitions=5; the target's --benchmark_filter is a substring).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
QUELMAR_PACKAGES+=(libbenchmark-dev libfftw3-dev libkissfft-dev pkg-config)
install_packages

echo "== The level filter's core, native"
native_build native-bench -DCMAKE_BUILD_TYPE=Release -DQUELMAR_BENCHMARKS=ON >/dev/null
"$QUELMAR_BUILD/native-bench/benchmarks/DspBenchmarks" --benchmark_min_time=0.5 "$@"

echo "== The level filter's core, target build under Wine"
configure_and_build --target DspBenchmarks ProgramBenchmarks
wine_env
wine "$QUELMAR_BUILD/bin/DspBenchmarks.exe" --benchmark_min_time=0.5 "$@"

echo "== The program, under Wine"
ensure_display
wine "$QUELMAR_BUILD/bin/ProgramBenchmarks.exe" 2>/dev/null
wineserver -k 2>/dev/null || true
