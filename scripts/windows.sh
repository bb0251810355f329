#!/usr/bin/env bash
# The whole program cross-built for 64-bit Windows with mingw-w64 against Qt
# for mingw (scripts/qt-mingw.sh), in its own build folder (WINDOWS_DIR), and
# tried under wine without a display:
#   - every test program (core, commands, desktop offscreen, fuzz replays);
#   - the zip of scripts/package-windows.sh, unzipped, its programs alone:
#     check and a ten-minute simulation of the sample equal to Linux's;
#     livra.exe against the Linux virtual controller through a wine COM port
#     linked to its pseudo-terminal (write of the sample, verify from wine and
#     from Linux); one configurator at a time (the named mutex);
#   - the installer of scripts/package-windows-installer.sh in a fresh wine
#     prefix under xvfb-run (scripts/windows-installer-check.sh): silent
#     install, the installed programs, the .ptm file type, silent uninstall.
# Benchmarks are not built. Installs what it needs when missing.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WINDOWS_DIR="${WINDOWS_DIR:-$ROOT/build-windows}"
LINUX_DIR="${BUILD_DIR:-$ROOT/build}"
export JOBS="${JOBS:-$(nproc)}"
PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 googletest libz-mingw-w64-dev dpkg-dev zip unzip
          qt6-base-dev qt6-base-dev-tools qt6-translations-l10n fonts-liberation fonts-dejavu-core
          nsis xvfb xauth xdotool)
# shellcheck source=packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages "${PACKAGES[@]}"
# shellcheck source=windows-env.sh
source "$ROOT/scripts/windows-env.sh"

step() { echo "-- $1 ($(date -u +%H:%M:%S))" >&2; }
step "build"
QT_MINGW="$(windows_build "$WINDOWS_DIR")"

wine_setup "$WINDOWS_DIR" "$QT_MINGW"
cd "$WINDOWS_DIR"
step "tests under wine"
ctest --output-on-failure --timeout 900

# The Linux side of the link: the virtual controller and `livra` of the
# normal build (stage "tests" has built them; built here when missing).
if [ ! -x "$LINUX_DIR/src/livra-emulator" ] || [ ! -x "$LINUX_DIR/src/livra" ]; then
  [ -f "$LINUX_DIR/build.ninja" ] || cmake -S "$ROOT" -B "$LINUX_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
  cmake --build "$LINUX_DIR" -j"$JOBS" --target livra livra-emulator >&2
fi
step "the installer and the zip"
setup="$("$ROOT/scripts/package-windows-installer.sh" | tail -n 1 | cut -d' ' -f1)"
zip="${setup%-setup.exe}.zip"
unpacked="$(mktemp -d)"
unzip -q "$zip" -d "$unpacked"
# The unzipped programs alone: no search path to Qt or the compiler's DLLs,
# so a DLL missing from the zip fails here.
step "the unzipped programs under wine"
(unset WINEPATH; "$ROOT/scripts/windows-check.sh" "$unpacked"/livra-*-windows-x64 "$LINUX_DIR/src")
rm -rf "$unpacked"
step "the installer under wine"
xvfb-run -a -s '-screen 0 1280x800x24' "$ROOT/scripts/windows-installer-check.sh" "$setup" "$LINUX_DIR/src" \
  "$WINDOWS_DIR/packaging/windows"
step "windows done"
