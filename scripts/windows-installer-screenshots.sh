#!/usr/bin/env bash
# Pictures of the Windows installer as a user meets it, under wine on a
# virtual X screen, for the documentation:
#   scripts/windows-installer-screenshots.sh SETUP.exe OUT_FOLDER
# The setup's pages (welcome, folder, finish), the Start menu folder and a
# project folder in wine's file manager (the shortcut, the .ptm file type's
# icon), the configurator started from the finish page and by a
# double-click on the project, and the uninstaller's first page. Needs Xvfb, xdotool and ImageMagick's import.
set -euo pipefail
SETUP="$(readlink -f "$1")"
OUT="$(mkdir -p "$2" && cd "$2" && pwd)"
WORK="$(mktemp -d)"
export WINEPREFIX="$WORK/wineprefix" WINEDEBUG=-all LC_ALL=C.UTF-8
# Wine's own windows (the file manager) in Russian, as on a Russian Windows,
# and its ANSI code page Cyrillic: the Russian locale, made privately when
# the system has none.
if localedef -i ru_RU -f UTF-8 "$WORK/ru_RU.utf8" 2>/dev/null; then
  export LOCPATH="$WORK" LC_ALL=ru_RU.UTF-8
fi
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WINEPATH LIVRA_WORKDIR
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY="$display"
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WINEPREFIX"
wineboot --init >/dev/null 2>&1 || true
wineserver -w

# Everything in one wine virtual desktop, which draws the windows' frames and
# titles as Windows does (the X screen has no window manager); keys go to it
# (the pointer rests on it).
on_desktop() { wine explorer /desktop=Livra,1024x768 "$@" 2>/dev/null & }
# After $1 seconds, and once something is drawn on the bare desktop (a
# loaded machine starts wine's windows slowly), and two seconds more.
shot() {
  sleep "$1"
  for _ in $(seq 60); do
    import -window root "$OUT/$2.png"
    [ "$(convert "$OUT/$2.png" -format %k info:)" -gt 20 ] && break
    sleep 1
  done
  sleep 2
  import -window root "$OUT/$2.png"
  echo "$OUT/$2.png" >&2
}
press() { xdotool mousemove 1000 10 key --clearmodifiers "$1"; }
stop_all() { wineserver -k 2>/dev/null || true; wineserver -w; }

on_desktop "$SETUP"
shot 15 installer-welcome
press Return
shot 4 installer-folder
press Return
# The files are copied; the finish page follows by itself.
for _ in $(seq 120); do
  [ -x "$WINEPREFIX/drive_c/Program Files/Livra/uninstall.exe" ] && break
  sleep 1
done
shot 8 installer-finish
# "Готово" with "Запустить" ticked starts the configurator.
press Return
shot 25 program-after-install
stop_all

on_desktop explorer.exe 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs'
shot 10 start-menu-shortcut
stop_all

documents="$(winepath -u "$(wine cmd /c echo %USERPROFILE% 2>/dev/null | tr -d '\r')")/Documents/Проекты ДК"
mkdir -p "$documents"
cp "$(dirname "$0")/../examples/crossroad.ptm" "$documents/Перекрёсток на Ленина 5.ptm"
on_desktop explorer.exe "$(winepath -w "$documents")"
shot 10 project-file-type
# A double-click on the project (the first entry of the list).
xdotool mousemove 230 107 click --repeat 2 --delay 80 1
shot 30 opened-by-double-click
stop_all

on_desktop 'C:\Program Files\Livra\uninstall.exe'
shot 10 uninstaller
