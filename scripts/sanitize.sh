#!/usr/bin/env bash
# The whole suite (desktop tests included, offscreen) built with clang's
# AddressSanitizer and UndefinedBehaviorSanitizer in its own build folder.
# Installs clang and its runtime libraries when missing; SANITIZE_DIR chooses
# the build folder. Any finding stops the program and fails its test.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SANITIZE_DIR="${SANITIZE_DIR:-$ROOT/build-sanitize}"
JOBS="${JOBS:-$(nproc)}"

PACKAGES=(clang libclang-rt-14-dev)
# shellcheck source=packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages "${PACKAGES[@]}"

if [ ! -f "$SANITIZE_DIR/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$SANITIZE_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLIVRA_SANITIZE=ON -DLIVRA_BENCH=OFF >&2
fi
cmake --build "$SANITIZE_DIR" -j"$JOBS" >&2

# Qt is not built with the sanitizers: the few findings that lie inside Qt's
# own libraries are suppressed by the files in cmake/sanitizers/ (each entry
# says why); our code is checked in full.
SUPP="$ROOT/cmake/sanitizers"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$SUPP/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$SUPP/ubsan.supp"
export QT_QPA_PLATFORM=offscreen
cd "$SANITIZE_DIR"
ctest --output-on-failure -j"$JOBS"
