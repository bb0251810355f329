# Sourced by the Windows scripts: the libpng sources for the cross build, and
# a wine prefix in which the cross-built programs find Qt, the compiler's
# runtime DLLs and fonts.

# Debian's libpng1.6 source (with Debian's fixes) unpacked under $1; prints
# its folder. apt needs a deb-src entry: one for the archive this machine
# already uses is added when there is none.
fetch_png_source() {
  local deps="$1" dir="$1/libpng"
  if [ ! -f "$dir/png.c" ]; then
    if [ -z "$(apt-cache showsrc libpng1.6 2>/dev/null)" ]; then
      local mirror sudo=""
      [ "$(id -u)" -ne 0 ] && sudo="sudo"
      mirror=$(grep -rhoE '^(deb|URIs:)[^#]*https?://[^ ]+' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null \
        | grep -oE 'https?://[^ ]+' | grep -E '/debian/?$' | head -n 1)
      printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "${mirror:-http://deb.debian.org/debian}" "$(. /etc/os-release && echo "$VERSION_CODENAME")" \
        | $sudo tee /etc/apt/sources.list.d/livra-src.sources >/dev/null
      $sudo apt-get update -qq >&2
    fi
    local tmp
    tmp="$(mktemp -d)"
    (cd "$tmp" && apt-get source --download-only libpng1.6 >/dev/null 2>&1 \
       && dpkg-source -x libpng1.6_*.dsc src >/dev/null) >&2
    mkdir -p "$deps"
    rm -rf "$dir"
    mv "$tmp/src" "$dir"
    rm -rf "$tmp"
  fi
  echo "$dir"
}

# The compiler's runtime DLLs that the programs and Qt import.
mingw_runtime_dirs() {
  echo /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib
}

# Fonts for Qt's offscreen platform, which on Windows reads them from
# lib/fonts beside the program (wine hands no QT_* variable over).
provide_offscreen_fonts() {
  local folder="$1" f
  mkdir -p "$folder/lib/fonts"
  for f in /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf; do
    [ -f "$f" ] && ln -sf "$f" "$folder/lib/fonts/"
  done
}

# A wine prefix of the build ($1) with Qt ($2) and the runtime DLLs on the
# program search path; exports WINEPREFIX, WINEPATH, WINEDEBUG.
wine_setup() {
  local build="$1" qt="$2" path="" d
  export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  for d in "$qt/bin" $(mingw_runtime_dirs); do
    path="$path;Z:${d//\//\\}"
  done
  export WINEPATH="${path#;}"
  mkdir -p "$WINEPREFIX"
  unset DISPLAY
  for d in "$build/src" "$build/tests" "$build/fuzz"; do
    [ -d "$d" ] && provide_offscreen_fonts "$d"
  done
  # What the zip puts beside the programs: Qt's Russian texts and the guide
  # (a path of the build machine in the program means nothing to Windows).
  local root
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  for d in "$build/src" "$build/tests"; do
    mkdir -p "$d/translations"
    ln -sf /usr/share/qt6/translations/qtbase_ru.qm "$d/translations/"
    ln -sfn "$root/docs/guide" "$d/guide"
  done
  wineboot --init >/dev/null 2>&1 || true
}

# Configures the cross build in $1 (once) with Qt for mingw and builds the
# targets named after it (all but the benchmarks when none); prints Qt's
# prefix.
windows_build() {
  local build="$1" root qt png
  shift
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  qt="$("$root/scripts/qt-mingw.sh")"
  png="$(fetch_png_source "$build/deps")"
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DLIVRA_QT_MINGW="$qt" \
      -DLIVRA_GTEST_SOURCE=/usr/src/googletest -DLIVRA_PNG_SOURCE="$png" -DLIVRA_BENCH=OFF >&2
  fi
  local targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  cmake --build "$build" -j"${JOBS:-$(nproc)}" "${targets[@]}" >&2
  echo "$qt"
}
