#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/*_fuzz.cpp) with clang and libFuzzer in their
# own build folder, the code they reach instrumented for coverage and under
# AddressSanitizer and UndefinedBehaviorSanitizer, then runs each for
# FUZZ_SECONDS (30) from its saved inputs in fuzz/corpus/<name>/ with a fixed
# seed. A crash, a leak, a timeout (FUZZ_TIMEOUT seconds for one input) or
# running out of memory (FUZZ_RSS_MB) fails the stage; the input that did it
# is left in FUZZ_DIR/findings/ to go into fuzz/corpus/<name>/ with the mend.
# Installs clang and its fuzzer runtime (libclang-rt-14-dev) when missing.
# FUZZ_TARGETS names a subset. Prints the executions of each target.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
FUZZ_DIR="${FUZZ_DIR:-$ROOT/build-fuzz}"
FUZZ_SECONDS="${FUZZ_SECONDS:-30}"
FUZZ_TIMEOUT="${FUZZ_TIMEOUT:-10}"
FUZZ_RSS_MB="${FUZZ_RSS_MB:-2048}"
JOBS="${JOBS:-$(nproc)}"

PACKAGES=(clang libclang-rt-14-dev)
# shellcheck source=packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages "${PACKAGES[@]}"

if [ -z "${FUZZ_TARGETS:-}" ]; then
  FUZZ_TARGETS="$(cd "$ROOT/fuzz" && ls -1 ./*_fuzz.cpp | sed 's|^\./||; s|\.cpp$||' | tr '\n' ' ')"
fi
if [ ! -f "$FUZZ_DIR/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$FUZZ_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLIVRA_FUZZ=ON -DLIVRA_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    -DLIVRA_GUI=OFF -DLIVRA_TESTS=OFF -DLIVRA_BENCH=OFF >&2
fi
# shellcheck disable=SC2086
cmake --build "$FUZZ_DIR" -j"$JOBS" --target $FUZZ_TARGETS >&2

rm -rf "$FUZZ_DIR/findings" "$FUZZ_DIR/work"
mkdir -p "$FUZZ_DIR/findings" "$FUZZ_DIR/work"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
failed=()
for target in $FUZZ_TARGETS; do
  work="$FUZZ_DIR/work/$target"
  log="$FUZZ_DIR/work/$target.log"
  mkdir -p "$work"
  started=$(date +%s)
  # New inputs go into the work folder; the saved ones are only read.
  if "$FUZZ_DIR/fuzz/$target" -seed=1 -max_total_time="$FUZZ_SECONDS" -timeout="$FUZZ_TIMEOUT" \
       -rss_limit_mb="$FUZZ_RSS_MB" -detect_leaks=1 -print_final_stats=1 \
       -artifact_prefix="$FUZZ_DIR/findings/$target-" "$work" "$ROOT/fuzz/corpus/$target" >"$log" 2>&1; then
    verdict=ok
  else
    verdict=FAILED
    failed+=("$target")
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "$target: $verdict, ${runs:-?} executions in $(( $(date +%s) - started )) s"
  if [ "$verdict" = FAILED ]; then
    grep -E "ERROR|SUMMARY|Test unit written|deadly signal|timeout|out-of-memory" "$log" | head -20 || true
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]} (inputs in $FUZZ_DIR/findings/)" >&2
  exit 1
fi
