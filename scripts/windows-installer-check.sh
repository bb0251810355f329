#!/usr/bin/env bash
# The Windows installer tried under wine as an administrator and a user would,
# in a fresh wine prefix (a machine without Qt: no search path to it):
#   scripts/windows-installer-check.sh SETUP.exe LINUX_DIR [INSTALLER_SOURCE]
# Silent install; the programs, Qt's plugins and Russian texts, the guide and
# the sample in Program Files\Livra; the Start menu shortcut; the program
# list's entry with the build's version; the installed livra.exe --version
# and check of the installed sample as on Linux (LINUX_DIR's livra); the
# installed configurator keeping its working files in the user's folder; a
# project in a folder with Cyrillic and spaces opened through the .ptm
# association (wine's start, which asks the registry's open command), the
# program's window then titled with the project's name; with
# INSTALLER_SOURCE (the build's packaging/windows: livra.nsi and the file
# lists of scripts/package-windows-installer.sh), an older version made from
# them, with a file this one no longer has, installed and then upgraded:
# the old file gone, the new version listed once; a second silent install
# over the installed one leaving a file it did not install; silent
# uninstall: the program folder, shortcut, file type and entry gone, the
# user's project and working folder kept. Needs an X display for the
# association (run under xvfb-run). With SCREENSHOTS=FOLDER, the desktop is
# saved there as PNG at the association step. Fails on the first fault.
set -euo pipefail
SETUP="$(readlink -f "$1")"
LINUX_DIR="$(cd "$2" && pwd)"
SOURCE="${3:+$(cd "$3" && pwd)}"
WORK="$(mktemp -d)"
export WINEPREFIX="$WORK/wineprefix" WINEDEBUG=-all LC_ALL=C.UTF-8
# No .desktop entries in the build machine's menus for the wine shortcuts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WINEPATH LIVRA_WORKDIR
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "installer check FAILED: $*" >&2; exit 1; }
ok() { echo "ok: $*" >&2; }
[ -n "${DISPLAY:-}" ] || fail "no X display (run under xvfb-run)"

mkdir -p "$WINEPREFIX"
wineboot --init >/dev/null 2>&1 || true
wineserver -w
# Output of a Windows program without the console's carriage returns.
win() { wine "$@" 2>/dev/null | tr -d '\r'; }
# A registry value's text as stored, $2 its name (empty: the key's default).
# Read through reg export, which writes UTF-16: reg query's output loses what
# the console's code page lacks (Cyrillic).
reg_value() {
  local file="$WORK/value.reg" want='@'
  [ -n "$2" ] && want="\"$2\""
  rm -f "$file"
  wine reg export "$1" "$(winepath -w "$file" 2>/dev/null)" /y >/dev/null 2>&1 || return 1
  iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' \
    | awk -v want="$want=\"" '/^\[/ { n++; next } n == 1 && index($0, want) == 1 { print substr($0, length(want) + 1); exit }' \
    | sed -e 's/"$//' -e 's/\\"/"/g' -e 's/\\\\/\\/g'
}
unix_path() { winepath -u "$1" 2>/dev/null; }

program_dir="$(unix_path 'C:\Program Files\Livra')"
program_win='C:\Program Files\Livra'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Livra'
shortcut="$(unix_path 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')/Конфигуратор ДК 'Ливра'.lnk"
local_appdata="$(unix_path "$(win cmd /c echo %LOCALAPPDATA%)")"
documents="$(unix_path "$(win cmd /c echo %USERPROFILE%)")/Documents"
[ -d "$documents" ] || fail "no Documents folder in the prefix"
linux_version="$("$LINUX_DIR/livra" --version)"

# A project of the user's before the program is installed: it must outlive
# the uninstaller.
project_dir="$documents/Проекты ДК"
project="$project_dir/Перекрёсток на Ленина 5.ptm"
mkdir -p "$project_dir"
cp "$(dirname "$0")/../examples/crossroad.ptm" "$project"
project_win="$(win winepath -w "$project")"

step() { echo "-- installer: $1 ($(date -u +%H:%M:%S))" >&2; }
if [ -n "$SOURCE" ]; then
  step "an older version, then the upgrade"
  # The same installer as version 1.01, carrying one file more; uncompressed,
  # made in seconds.
  echo "только в 1.01" > "$WORK/old-only.txt"
  sed 's/^!define VERSION .*/!define VERSION "1.01"/' "$SOURCE/livra.nsi" > "$WORK/older.nsi"
  { cat "$SOURCE/files.nsh"; echo 'SetOutPath "$INSTDIR"'; echo "File \"$WORK/old-only.txt\""; } > "$WORK/older-files.nsh"
  { echo 'Delete "$INSTDIR\old-only.txt"'; cat "$SOURCE/unfiles.nsh"; } > "$WORK/older-unfiles.nsh"
  makensis -V1 -INPUTCHARSET UTF8 -X"SetCompress off" -DFILES="$WORK/older-files.nsh" \
    -DUNFILES="$WORK/older-unfiles.nsh" -DSIZE_KB=1 -DOUTFILE="$WORK/older-setup.exe" "$WORK/older.nsi" >&2 \
    || fail "the older version's installer could not be made"
  wine "$WORK/older-setup.exe" /S 2>/dev/null || fail "the older setup.exe /S exited with $?"
  wineserver -w
  [ "$(reg_value "$uninstall_key" DisplayVersion)" = 1.01 ] && [ -f "$program_dir/old-only.txt" ] \
    || fail "the older version did not install"
  ok "version 1.01 installed, with old-only.txt"
fi

step "silent install"
wine "$SETUP" /S 2>/dev/null || fail "setup.exe /S exited with $?"
wineserver -w
if [ -n "$SOURCE" ]; then
  [ ! -e "$program_dir/old-only.txt" ] || fail "the upgrade left the older version's file behind"
  [ "$(win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' | grep -ci 'Livra')" = 1 ] \
    || fail "the program list has more than one entry after the upgrade"
  ok "upgraded from 1.01: its own file gone, one entry"
fi
for f in livra.exe livra-configurator.exe livra-emulator.exe uninstall.exe platforms/qwindows.dll \
         imageformats/qsvg.dll translations/qtbase_ru.qm guide/index.html examples/crossroad.ptm shem; do
  [ -e "$program_dir/$f" ] || fail "$f is not in the program folder"
done
[ ! -e "$program_dir/README.txt" ] || fail "the zip's unpacking note was installed"
ok "installed into $program_win ($(find "$program_dir" -type f | wc -l) files)"

[ -f "$shortcut" ] || fail "no Start menu shortcut $shortcut"
strings -a -el "$shortcut" | grep -q 'livra-configurator.exe' \
  || strings -a "$shortcut" | grep -q 'livra-configurator.exe' || fail "the shortcut does not start livra-configurator.exe"
ok "Start menu: $(basename "$shortcut")"

version="$(win "$program_win\\livra.exe" --version)" || fail "installed livra.exe --version"
[[ "$version" == livra\ * && "${version%%+*}" = "${linux_version%%+*}" ]] \
  || fail "installed livra.exe --version '$version', Linux: '$linux_version'"
listed="$(reg_value "$uninstall_key" DisplayVersion)"
[ "livra $listed" = "$version" ] || fail "the program list shows version '$listed', the program '$version'"
[ "$(reg_value "$uninstall_key" DisplayName)" = "Конфигуратор ДК 'Ливра'" ] || fail "the program list's name"
ok "livra.exe --version: $version, the program list: $listed"

set +e
"$LINUX_DIR/livra" check "$(dirname "$0")/../examples/crossroad.ptm" > "$WORK/linux-check.txt" 2>&1; linux_rc=$?
wine "$program_win\\livra.exe" check "$program_win\\examples\\crossroad.ptm" > "$WORK/windows-check.txt" 2>/dev/null; win_rc=$?
set -e
sed -i 's/\r$//' "$WORK/windows-check.txt"
cmp -s "$WORK/linux-check.txt" "$WORK/windows-check.txt" && [ "$linux_rc" = "$win_rc" ] \
  || fail "check of the installed sample: '$(cat "$WORK/windows-check.txt")' ($win_rc), Linux: '$(cat "$WORK/linux-check.txt")' ($linux_rc)"
ok "check of the installed sample: '$(cat "$WORK/windows-check.txt")'"

# Started from Program Files, the configurator writes nothing beside itself:
# the plan file and the plan pictures go to the user's folder.
before="$(cd "$program_dir" && find . | sort)"
timeout 120 wine "$program_win\\livra-configurator.exe" -platform offscreen --quit-after-show "$project_win" \
  > "$WORK/shown.txt" 2>&1 || fail "the installed configurator did not start: $(cat "$WORK/shown.txt")"
wineserver -w
[ "$(cd "$program_dir" && find . | sort)" = "$before" ] || fail "the configurator wrote into the program folder"
ls "$local_appdata/Livra/shem/"*.png >/dev/null 2>&1 || fail "no plan pictures in $local_appdata/Livra/shem"
ok "working folder: %LOCALAPPDATA%\\Livra ($(ls "$local_appdata/Livra" | tr '\n' ' '))"

step "the .ptm file type"
[ "$(reg_value 'HKCR\.ptm' '')" = "Livra.Project" ] || fail ".ptm is not the program's file type"
command="$(reg_value 'HKCR\Livra.Project\shell\open\command' '')"
[ "$command" = "\"$program_win\\livra-configurator.exe\" \"%1\"" ] || fail "open command '$command'"
icon="$(reg_value 'HKCR\Livra.Project\DefaultIcon' '')"
[ "$icon" = "$program_win\\livra-configurator.exe,0" ] || fail "file type icon '$icon'"
# A double-click: the shell's start of the document (ShellExecute). The
# title carries the project's name only once the project opened.
title="Конфигуратор ДК 'Ливра'  -  $(basename "$project")"
wine start "$project_win" 2>/dev/null &
opened=""
for _ in $(seq 90); do
  if xdotool search --name "$title" >/dev/null 2>&1; then opened=1; break; fi
  sleep 1
done
[ -n "$opened" ] || fail "no window '$title' after opening the project by its file type"
if [ -n "${SCREENSHOTS:-}" ]; then
  sleep 3
  mkdir -p "$SCREENSHOTS"
  import -window root "$SCREENSHOTS/opened-by-double-click.png"
fi
wineserver -k 2>/dev/null || true
wait 2>/dev/null || true
wineserver -w
ok "opened by its file type: '$project_win' in a window titled '$title'"

step "silent install over the installed one"
# The installed version's uninstaller runs first and removes its own files
# only: a file someone put into the program folder stays.
echo "не из установки" > "$program_dir/заметки.txt"
wine "$SETUP" /S 2>/dev/null || fail "the second setup.exe /S exited with $?"
wineserver -w
[ -x "$program_dir/livra.exe" ] || fail "the program is gone after installing over it"
[ -f "$program_dir/заметки.txt" ] || fail "installing over the installed version removed a file it had not installed"
rm "$program_dir/заметки.txt"
[ "$(win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' | grep -ci 'Livra')" = 1 ] \
  || fail "the program list has more than one entry"
ok "installed over the installed version: one entry, $(find "$program_dir" -type f | wc -l) files"

step "silent uninstall"
wine "$program_win\\uninstall.exe" /S 2>/dev/null || fail "uninstall.exe /S exited with $?"
# The uninstaller runs on from a copy of itself in the temporary folder.
wineserver -w
[ ! -e "$program_dir" ] || fail "the program folder stays: $(cd "$program_dir" && find . | head -n 5 | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start menu shortcut stays"
! win reg query "$uninstall_key" >/dev/null || fail "the program list's entry stays"
! win reg query 'HKCR\Livra.Project' >/dev/null || fail "the file type stays"
! win reg query 'HKCR\.ptm' >/dev/null || fail "the .ptm extension stays"
cmp -s "$project" "$(dirname "$0")/../examples/crossroad.ptm" || fail "the user's project is gone or changed"
[ -d "$local_appdata/Livra/shem" ] || fail "the user's working folder is gone"
ok "uninstalled: program folder, shortcut, file type and entry gone; the user's project and working folder kept"
