#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing) and builds.
# Used by ./run and ./test; BUILD_DIR chooses the build folder.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
          qt6-base-dev qt6-serialport-dev fonts-liberation qt6-svg-dev poppler-utils qt6-translations-l10n
          nlohmann-json3-dev sumo sumo-tools)
# Plan pictures inflate through libdeflate (src/plan/png_image.cpp).
PACKAGES+=(libdeflate-dev)
# The save tests kill a save between its renames with strace's fault injection.
PACKAGES+=(strace)
# shellcheck source=packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages "${PACKAGES[@]}"

if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
fi
cmake --build "$BUILD_DIR" -j"$(nproc)" >&2
