#!/usr/bin/env bash
# Builds /opt/qt6-mingw and its archive qt6-mingw-6.4.2-x86_64.tar.xz (in $OUT or the work folder): Qt 6.4.2 for Windows x86_64, cross-built
# on Debian 12 with mingw-w64 (posix threads) against the host Qt tools of the same version.
#   qtbase:       Debian's qt6-base 6.4.2+dfsg-10 source package, with qtbase-6.4.2-dfsg-mingw.patch
#                 (three guards for a build without Direct2D, and the pen-tablet code only where
#                 Debian's source still has its 3rdparty folder);
#   qtserialport, qtsvg: the 6.4.2 release source archives in $MODULE_SOURCES (default: beside this
#                 script), else Debian's qt6-serialport / qt6-svg source packages.
# About 40 minutes on 2 cores (qtbase is 1,222 steps, ~62 CPU-minutes). Prefix: /opt/qt6-mingw.
set -euo pipefail
HERE=$(cd "$(dirname "$(realpath "$0")")" && pwd)
P=${QT_MINGW_PREFIX:-/opt/qt6-mingw}
W=${WORK:-$(mktemp -d)}
JOBS=${JOBS:-$(nproc)}
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq mingw-w64 g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools \
    qt6-tools-dev-tools cmake ninja-build dpkg-dev xz-utils >/dev/null
# A deb-src entry for the archive this machine already uses.
if ! apt-cache showsrc qt6-base >/dev/null 2>&1 || [ -z "$(apt-cache showsrc qt6-base 2>/dev/null)" ]; then
  M=$(grep -rhoE '^(deb|URIs:)[^#]*https?://[^ ]+' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null \
      | grep -oE 'https?://[^ ]+' | grep -E '/debian/?$' | head -n 1)
  printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$M" > /etc/apt/sources.list.d/qt-mingw-src.sources
  apt-get update -qq
fi
cd "$W"
apt-get source --download-only qt6-base >/dev/null
dpkg-source -x qt6-base_6.4.2+dfsg-10.dsc qtbase-src >/dev/null
(cd qtbase-src && patch -p1 < "$HERE/qtbase-6.4.2-dfsg-mingw.patch")
MODULE_SOURCES=${MODULE_SOURCES:-$HERE}
for m in serialport svg; do
  if [ -f "$MODULE_SOURCES/qt$m-6.4.2-src.tar.xz" ]; then
    tar -xJf "$MODULE_SOURCES/qt$m-6.4.2-src.tar.xz"
  else
    apt-get source --download-only "qt6-$m" >/dev/null
    dpkg-source -x "$(ls qt6-${m}_6.4.2*.dsc | head -n 1)" "qt$m-6.4.2" >/dev/null
  fi
done
sed "s#/opt/qt6-mingw#$P#" "$HERE/mingw-toolchain.cmake" > "$W/mingw-toolchain.cmake"
mkdir -p build-qtbase && cd build-qtbase
cmake -G Ninja "$W/qtbase-src" -DCMAKE_TOOLCHAIN_FILE="$W/mingw-toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$P" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF -DFEATURE_pkg_config=OFF \
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_icu=OFF -DFEATURE_opengl=OFF -DINPUT_opengl=no \
  -DFEATURE_vulkan=OFF -DFEATURE_zstd=OFF -DFEATURE_openssl=OFF -DFEATURE_schannel=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF \
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF \
  -DFEATURE_direct2d=OFF -DFEATURE_androiddeployqt=OFF -DFEATURE_macdeployqt=OFF -DFEATURE_windeployqt=OFF \
  -DFEATURE_concurrent=ON -DFEATURE_xml=ON -DFEATURE_printsupport=ON -DFEATURE_testlib=ON \
  -DFEATURE_widgets=ON -DFEATURE_network=ON -DFEATURE_gui=ON >/dev/null
ninja -j"$JOBS" && cmake --install . >/dev/null
cp "$W/mingw-toolchain.cmake" "$P/lib/cmake/Qt6/"
sed -i "s#\"$W/mingw-toolchain.cmake\"#\"\${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake\"#" "$P/lib/cmake/Qt6/qt.toolchain.cmake"
for m in qtserialport qtsvg; do
  mkdir -p "$W/build-$m" && cd "$W/build-$m"
  "$P/bin/qt-cmake" -G Ninja "$W/$m-6.4.2" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$P" \
      -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF >/dev/null
  ninja -j"$JOBS" && cmake --install . >/dev/null
done
tar -C "$(dirname "$P")" -cJf "${OUT:-$W}/qt6-mingw-6.4.2-x86_64.tar.xz" --exclude="$(basename "$P")/doc" "$(basename "$P")"
echo "done: $P and ${OUT:-$W}/qt6-mingw-6.4.2-x86_64.tar.xz"
