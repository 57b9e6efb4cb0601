#!/usr/bin/env bash
# Builds and runs the benchmarks once, printing their tables (the figures in
# benchmarks/README.md come from them): the level filter core's natively
# (Release; extra arguments go to Google Benchmark), then the program's own
# build and tick costs under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
QUELMAR_PACKAGES+=(libbenchmark-dev libfftw3-dev libkissfft-dev pkg-config)
install_packages

echo "== The level filter's core, native"
native_build native-bench -DCMAKE_BUILD_TYPE=Release -DQUELMAR_BENCHMARKS=ON >/dev/null
"$QUELMAR_BUILD/native-bench/benchmarks/DspBenchmarks" --benchmark_min_time=0.5 "$@"

echo "== The program, under Wine"
configure_and_build --target ProgramBenchmarks
ensure_display
wine_env
wine "$QUELMAR_BUILD/bin/ProgramBenchmarks.exe" 2>/dev/null
wineserver -k 2>/dev/null || true
