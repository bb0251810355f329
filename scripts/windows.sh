#!/usr/bin/env bash
# The toolkit-free core and its tests cross-built for 64-bit Windows with
# mingw-w64 (GoogleTest from Debian's sources), run under wine without a
# display, in their own build folder (WINDOWS_DIR). The Windows-only files of
# the Qt parts are compiled for syntax where they need no Qt.
# Installs the cross compiler, wine and GoogleTest's sources when missing.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WINDOWS_DIR="${WINDOWS_DIR:-$ROOT/build-windows}"
JOBS="${JOBS:-$(nproc)}"

PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 googletest)
# shellcheck source=packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages "${PACKAGES[@]}"

if [ ! -f "$WINDOWS_DIR/build.ninja" ]; then
  cmake -S "$ROOT" -B "$WINDOWS_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DLIVRA_GTEST_SOURCE=/usr/src/googletest \
    -DLIVRA_QT=OFF -DLIVRA_GUI=OFF -DLIVRA_BENCH=OFF >&2
fi
cmake --build "$WINDOWS_DIR" -j"$JOBS" >&2

# Windows files of the Qt parts: those that need no Qt header (neither
# themselves nor through a header of ours) are compiled for syntax; a Qt for
# mingw is not at hand here.
needs_qt() {
  local h
  grep -qE '#include <Q' "$1" && return 0
  for h in $(grep -oE '#include "[a-z_/]+\.h"' "$1" | sed 's/#include "//; s/"$//'); do
    grep -qE '#include <Q' "$ROOT/src/$h" 2>/dev/null && return 0
  done
  return 1
}
for f in "$ROOT"/src/*/*_windows.cpp "$ROOT"/src/ui/*/*_windows.cpp; do
  [ -f "$f" ] || continue
  if needs_qt "$f"; then
    echo "not checked (needs Qt): ${f#"$ROOT"/}" >&2
  else
    x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Wall -Wextra -I"$ROOT/src" "$f"
    echo "syntax checked: ${f#"$ROOT"/}" >&2
  fi
done

export WINEPREFIX="$WINDOWS_DIR/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
unset DISPLAY
cd "$WINDOWS_DIR"
ctest --output-on-failure
