#!/usr/bin/env bash
# dist/livra-<version>-windows-x64-setup.exe: the Windows installer (NSIS),
# made from the folder scripts/package-windows.sh stages (the zip is made on
# the way and stays). The installer's script is the build's
# packaging/windows/livra.nsi (written with the build's version from
# packaging/windows/livra.nsi.in); this script hands it the staged folder as
# two lists: the files to install, folder by folder, and the same files to
# remove on uninstall with the folders that are empty then — so the
# uninstaller removes what was installed and nothing else. The zip's
# README.txt (how to unpack) stays out.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WINDOWS_DIR="${WINDOWS_DIR:-$ROOT/build-windows}"
DIST="${DIST_DIR:-$ROOT/dist}"
PACKAGES=(nsis)
# shellcheck source=packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages "${PACKAGES[@]}"

zip="$(WINDOWS_DIR="$WINDOWS_DIR" DIST_DIR="$DIST" "$ROOT/scripts/package-windows.sh" | tail -n 1 | cut -d' ' -f1)"
stage="${zip%.zip}"
[ -d "$stage" ] || { echo "package-windows-installer: no staged folder $stage" >&2; exit 1; }
script="$WINDOWS_DIR/packaging/windows/livra.nsi"
[ -f "$script" ] || { echo "package-windows-installer: the build wrote no $script" >&2; exit 1; }

# The lists stay beside the script in the build (the installer check makes
# an older version from them).
lists="$(dirname "$script")"
# NSIS reads "$" as the start of a variable: doubled in names.
nsis_text() { local s="${1//\$/\$\$}"; echo "${s//\//\\}"; }
staged_files() { (cd "$stage" && find . -type f ! -path ./README.txt -printf '%P\n' | LC_ALL=C sort); }
{
  current="-"
  while IFS= read -r f; do
    dir="$(dirname "$f")"
    [ "$dir" = . ] && dir=""
    if [ "$dir" != "$current" ]; then
      echo "SetOutPath \"\$INSTDIR${dir:+\\$(nsis_text "$dir")}\""
      current="$dir"
    fi
    echo "File \"${stage//\$/\$\$}/${f//\$/\$\$}\""
  done < <(staged_files)
} > "$lists/files.nsh"
{
  while IFS= read -r f; do echo "Delete \"\$INSTDIR\\$(nsis_text "$f")\""; done < <(staged_files)
  # Deepest first; RMDir removes a folder only when it is empty.
  (cd "$stage" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort -r) \
    | while IFS= read -r d; do echo "RMDir \"\$INSTDIR\\$(nsis_text "$d")\""; done
} > "$lists/unfiles.nsh"

size_kb="$(staged_files | (cd "$stage" && tr '\n' '\0' | du -kc --files0-from=- | tail -n 1 | cut -f1))"
setup="$DIST/$(basename "$stage")-setup.exe"
rm -f "$setup"
# INSTALLER_FAST=1, for trying the installer: zlib, made in seconds, a
# third larger.
fast=()
[ -n "${INSTALLER_FAST:-}" ] && fast=(-X"SetCompressor /FINAL zlib")
makensis -V2 -INPUTCHARSET UTF8 "${fast[@]}" -DFILES="$lists/files.nsh" -DUNFILES="$lists/unfiles.nsh" \
  -DSIZE_KB="$size_kb" -DOUTFILE="$setup" "$script" >&2
echo "$setup ($(du -k "$setup" | cut -f1) KiB)"
