#!/usr/bin/env bash
# Builds everything and runs every test: the program and the level filter
# under Wine and Xvfb, and the filter's portable core natively, plain and
# under AddressSanitizer/UndefinedBehaviorSanitizer and ThreadSanitizer, with
# a short fuzzing run. Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

FUZZ_SECONDS="${QUELMAR_FUZZ_SECONDS:-30}"

install_packages
status=0

echo "== Native: the portable core"
native_build native
ctest --test-dir "$QUELMAR_BUILD/native" --output-on-failure || status=1

echo "== Native: AddressSanitizer and UndefinedBehaviorSanitizer, and fuzzing"
CC=clang CXX=clang++ native_build native-asan -DQUELMAR_SANITIZE=address,undefined -DQUELMAR_FUZZ=ON
ctest --test-dir "$QUELMAR_BUILD/native-asan" --output-on-failure || status=1
mkdir -p "$QUELMAR_BUILD/fuzz-corpus"
"$QUELMAR_BUILD/native-asan/LevelChainFuzz" -max_total_time="$FUZZ_SECONDS" -max_len=65536 \
    "$QUELMAR_BUILD/fuzz-corpus" >"$QUELMAR_BUILD/fuzz.log" 2>&1 || { tail -40 "$QUELMAR_BUILD/fuzz.log"; status=1; }
tail -1 "$QUELMAR_BUILD/fuzz.log"

echo "== Native: ThreadSanitizer"
CC=clang CXX=clang++ native_build native-tsan -DQUELMAR_SANITIZE=thread
ctest --test-dir "$QUELMAR_BUILD/native-tsan" --output-on-failure -R DspConcurrencyTest || status=1

echo "== Windows program and level filter, under Wine"
configure_and_build
ensure_display
wine_env
ctest --test-dir "$QUELMAR_BUILD" --output-on-failure -j2 || status=1
wineserver -k 2>/dev/null || true

echo "== Release zip: its files, the same bytes twice, a new Wine prefix"
bash "$QUELMAR_ROOT/scripts/check-package.sh" || status=1
exit $status
