#!/usr/bin/env bash
# Builds the level filter core's benchmarks natively (Release) and runs them
# once, printing a table (the figures in benchmarks/README.md come from it).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
QUELMAR_PACKAGES+=(libbenchmark-dev libfftw3-dev libkissfft-dev pkg-config)
install_packages
native_build native-bench -DCMAKE_BUILD_TYPE=Release -DQUELMAR_BENCHMARKS=ON >/dev/null
"$QUELMAR_BUILD/native-bench/benchmarks/DspBenchmarks" --benchmark_min_time=0.5 "$@"
