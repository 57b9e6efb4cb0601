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
ctest --test-dir "$QUELMAR_BUILD/native" --output-on-failure --no-tests=error || status=1

echo "== Native: AddressSanitizer and UndefinedBehaviorSanitizer, and fuzzing"
CC=clang CXX=clang++ native_build native-asan -DQUELMAR_SANITIZE=address,undefined -DQUELMAR_FUZZ=ON
ctest --test-dir "$QUELMAR_BUILD/native-asan" --output-on-failure --no-tests=error || status=1
# New inputs go to the build folder's corpus, crash artefacts beside it; the
# seeds in tests/fuzz/corpus are only read.
mkdir -p "$QUELMAR_BUILD/fuzz-corpus" "$QUELMAR_BUILD/fuzz-artifacts"
"$QUELMAR_BUILD/native-asan/LevelChainFuzz" -max_total_time="$FUZZ_SECONDS" -max_len=4096 \
    -artifact_prefix="$QUELMAR_BUILD/fuzz-artifacts/" -print_final_stats=1 \
    "$QUELMAR_BUILD/fuzz-corpus" "$QUELMAR_ROOT/tests/fuzz/corpus" >"$QUELMAR_BUILD/fuzz.log" 2>&1 ||
    { tail -40 "$QUELMAR_BUILD/fuzz.log"; status=1; }
grep -E "^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units" "$QUELMAR_BUILD/fuzz.log" || tail -1 "$QUELMAR_BUILD/fuzz.log"
mkdir -p "$QUELMAR_BUILD/fuzz-corpus-saved-graph"
"$QUELMAR_BUILD/native-asan/SavedGraphFuzz" -max_total_time=15 -max_len=65536 \
    -artifact_prefix="$QUELMAR_BUILD/fuzz-artifacts/" \
    -dict="$QUELMAR_ROOT/tests/fuzz/SavedGraph.dict" "$QUELMAR_BUILD/fuzz-corpus-saved-graph" \
    "$QUELMAR_ROOT/tests/fuzz/saved-graph-seeds" \
    >"$QUELMAR_BUILD/fuzz-saved-graph.log" 2>&1 || { tail -40 "$QUELMAR_BUILD/fuzz-saved-graph.log"; status=1; }
tail -1 "$QUELMAR_BUILD/fuzz-saved-graph.log"

echo "== Native: ThreadSanitizer"
CC=clang CXX=clang++ native_build native-tsan -DQUELMAR_SANITIZE=thread -- --target DspConcurrencyTest
ctest --test-dir "$QUELMAR_BUILD/native-tsan" --output-on-failure --no-tests=error -R DspConcurrencyTest || status=1

echo "== Windows program and level filter, under Wine"
wine_env
end_wine_session  # one left running by an interrupted run
configure_and_build
ensure_display
start_wine_session
ctest --test-dir "$QUELMAR_BUILD" --output-on-failure --no-tests=error -j2 || status=1
end_wine_session
# Retries and restarts that the tests allowed themselves, shown even on success.
grep -h '^\[   NOTE   \]' "$QUELMAR_BUILD/Testing/Temporary/LastTest.log" 2>/dev/null || true

echo "== Release zip: its files, the same bytes twice, a new Wine prefix"
bash "$QUELMAR_ROOT/scripts/check-package.sh" || status=1
exit $status
