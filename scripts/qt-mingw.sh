#!/usr/bin/env bash
# Prints the prefix of Qt 6 for Windows x86_64 (mingw-w64) that the Windows
# build links against, providing it first when this machine has none:
#   1. $LIVRA_QT_MINGW when set;
#   2. /opt/qt6-mingw when present;
#   3. the prebuilt archive in $QT_MINGW_SHARED (default: shared/qt6-mingw
#      beside the clone, or beside the main checkout of a git worktree),
#      unpacked into /opt (its CMake files name that path);
#   4. else built from the sources with scripts/qt-mingw/build.sh (about
#      40 minutes on 2 cores), the module sources taken from $QT_MINGW_SHARED
#      when it has them, else from Debian.
# Messages go to stderr; stdout carries only the prefix.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SHARED="${QT_MINGW_SHARED:-$ROOT/../shared/qt6-mingw}"
# A git worktree elsewhere: shared/ beside the main checkout.
if [ -z "${QT_MINGW_SHARED:-}" ] && [ ! -d "$SHARED" ] \
   && common="$(git -C "$ROOT" rev-parse --path-format=absolute --git-common-dir 2>/dev/null)"; then
  SHARED="$(dirname "$common")/../shared/qt6-mingw"
fi
ARCHIVE="qt6-mingw-6.4.2-x86_64.tar.xz"
PREFIX=/opt/qt6-mingw

usable() { [ -x "$1/bin/qt-cmake" ] && [ -f "$1/lib/cmake/Qt6/Qt6Config.cmake" ]; }

if [ -n "${LIVRA_QT_MINGW:-}" ]; then
  usable "$LIVRA_QT_MINGW" || { echo "LIVRA_QT_MINGW=$LIVRA_QT_MINGW holds no Qt for mingw" >&2; exit 1; }
  echo "$LIVRA_QT_MINGW"
  exit 0
fi
if usable "$PREFIX"; then
  echo "$PREFIX"
  exit 0
fi

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ -f "$SHARED/$ARCHIVE" ]; then
  echo "Unpacking $SHARED/$ARCHIVE into /opt" >&2
  $sudo mkdir -p /opt
  $sudo tar -xJf "$SHARED/$ARCHIVE" -C /opt
else
  echo "No prebuilt Qt for mingw: building it into $PREFIX (about 40 minutes on 2 cores)" >&2
  start=$(date +%s)
  module_sources="$ROOT/scripts/qt-mingw"
  [ -f "$SHARED/qtserialport-6.4.2-src.tar.xz" ] && module_sources="$SHARED"
  $sudo env QT_MINGW_PREFIX="$PREFIX" MODULE_SOURCES="$module_sources" JOBS="${JOBS:-$(nproc)}" \
    nice "$ROOT/scripts/qt-mingw/build.sh" >&2
  echo "Qt for mingw built in $(( ($(date +%s) - start) / 60 )) min" >&2
fi
usable "$PREFIX" || { echo "Qt for mingw did not land in $PREFIX" >&2; exit 1; }
echo "$PREFIX"
