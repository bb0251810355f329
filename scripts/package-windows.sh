#!/usr/bin/env bash
# dist/livra-<version>-windows-x64.zip: one folder a user unpacks and runs.
# Cross-builds the three programs (scripts/windows.sh's build folder), then
# stages in dist/livra-<version>-windows-x64/ (kept: the installer of
# scripts/package-windows-installer.sh is made from it) what they need on a
# Windows without Qt or the compiler: the DLLs they import, found by reading
# the import tables of the programs and of every DLL and plugin taken along
# (not by a list), Qt's platform, image and icon plugins, Qt's Russian
# translations, the fonts we draw with, the plan pictures, the sample
# project, the user guide and a README.txt in Russian. Binaries are stripped.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WINDOWS_DIR="${WINDOWS_DIR:-$ROOT/build-windows}"
DIST="${DIST_DIR:-$ROOT/dist}"
export JOBS="${JOBS:-$(nproc)}"
PACKAGES=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev dpkg-dev qt6-base-dev qt6-base-dev-tools
          qt6-translations-l10n fonts-liberation fonts-dejavu-core zip)
# shellcheck source=packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages "${PACKAGES[@]}"
# shellcheck source=windows-env.sh
source "$ROOT/scripts/windows-env.sh"

QT="$(windows_build "$WINDOWS_DIR" livra livra-configurator livra-emulator)"

# The version the build computed (its generated header, which the programs'
# --version, their resources and the installer's script carry too).
version="$(sed -nE 's/^#define LIVRA_VERSION "(.*)"$/\1/p' "$WINDOWS_DIR/generated/livra_version.h")"
[ -n "$version" ] || { echo "package-windows: no version in $WINDOWS_DIR/generated/livra_version.h" >&2; exit 1; }
name="livra-$version-windows-x64"
stage="$DIST/$name"
rm -rf "$stage" "$DIST/$name.zip"
mkdir -p "$stage"

cp "$WINDOWS_DIR/src/livra.exe" "$WINDOWS_DIR/src/livra-configurator.exe" "$WINDOWS_DIR/src/livra-emulator.exe" "$stage/"
# Each program carries the icon and this build's version (packaging/windows/livra.rc).
for exe in "$stage"/*.exe; do
  resources="$(x86_64-w64-mingw32-windres -J coff -i "$exe" -O rc 2>/dev/null || true)"
  grep -q 'RT_GROUP_ICON' <<< "$resources" && grep -qF "VALUE \"FileVersion\", \"$version\"" <<< "$resources" \
    || { echo "package-windows: $(basename "$exe") lacks the icon or the version $version" >&2; exit 1; }
done
for plugin in platforms/qwindows.dll platforms/qoffscreen.dll imageformats/qsvg.dll imageformats/qico.dll \
              iconengines/qsvgicon.dll; do
  mkdir -p "$stage/$(dirname "$plugin")"
  cp "$QT/plugins/$plugin" "$stage/$plugin"
done

# Every DLL imported by a binary in the folder, searched where Qt and the
# compiler keep theirs; the system's own (KERNEL32, USER32, ...) are found in
# neither and stay out.
search=("$QT/bin" $(mingw_runtime_dirs))
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p'; }
find_dll() {
  local d f
  for d in "${search[@]}"; do
    f="$(find "$d" -maxdepth 1 -iname "$1" -print -quit)"
    [ -n "$f" ] && { echo "$f"; return 0; }
  done
  return 0  # a system DLL
}
queue=("$stage"/*.exe "$stage"/*/*.dll)
while [ ${#queue[@]} -gt 0 ]; do
  binary="${queue[0]}"
  queue=("${queue[@]:1}")
  for dll in $(imports "$binary"); do
    [ -e "$stage/$dll" ] && continue
    found="$(find_dll "$dll")"
    [ -n "$found" ] || continue
    cp "$found" "$stage/$dll"
    queue+=("$stage/$dll")
  done
done
find "$stage" -iname '*.exe' -o -iname '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded

mkdir -p "$stage/translations"
cp /usr/share/qt6/translations/qtbase_ru.qm "$stage/translations/"
# Liberation Sans stands in for Arial where Windows lacks it (and serves the
# offscreen platform, which reads lib/fonts only); DejaVu Sans for symbols.
provide_offscreen_fonts "$stage"
for f in "$stage"/lib/fonts/*; do cp --remove-destination "$(readlink -f "$f")" "$f"; done

cp -r "$ROOT/docs/guide" "$stage/guide"
mkdir -p "$stage/examples/shem"
cp "$ROOT/examples/crossroad.ptm" "$stage/examples/"
[ -f "$ROOT/examples/crossroad.safety.json" ] && cp "$ROOT/examples/crossroad.safety.json" "$stage/examples/"
cp "$ROOT"/examples/shem/*.png "$stage/examples/shem/"
# The plan pictures beside the program as well: the configurator looks for
# them in shem/ of its folder.
cp -r "$stage/examples/shem" "$stage/shem"
sed "s/@VERSION@/$version/" "$ROOT/scripts/windows-readme.txt" | sed 's/$/\r/' > "$stage/README.txt"

(cd "$DIST" && zip -qr9 "$name.zip" "$name")
echo "$DIST/$name.zip ($(du -k "$DIST/$name.zip" | cut -f1) KiB)"
