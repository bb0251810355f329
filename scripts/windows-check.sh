#!/usr/bin/env bash
# The Windows programs in WIN_DIR (a build's src/ or an unpacked zip) tried
# under wine against the Linux ones in LINUX_DIR (livra, livra-emulator):
#   scripts/windows-check.sh WIN_DIR LINUX_DIR
# check and a ten-minute simulation with calls equal Linux's output and exit
# status; write of the sample to the Linux virtual controller over a wine COM
# port linked to its pseudo-terminal, verified from wine and from Linux; a
# second configurator start exits at once. Uses $WINEPREFIX (a fresh one in a
# temporary folder when unset). Fails on the first difference.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WIN_DIR="$(cd "$1" && pwd)"
LINUX_DIR="$(cd "$2" && pwd)"
WORK="$(mktemp -d)"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$WORK/wineprefix"
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
fi
unset DISPLAY
export LIVRA_WORKDIR="$WORK/work" LIVRA_INSTANCE_NAME="Livra check $$"
mkdir -p "$LIVRA_WORKDIR"
EMULATOR_PID="" FIRST_PID=""
cleanup() {
  [ -n "$FIRST_PID" ] && kill "$FIRST_PID" 2>/dev/null || true
  [ -n "$EMULATOR_PID" ] && kill "$EMULATOR_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com9"
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "windows check FAILED: $*" >&2; exit 1; }
ok() { echo "ok: $*" >&2; }

# Runs a Windows program; stdout without the console's carriage returns.
win() { wine "$WIN_DIR/$1" "${@:2}" | tr -d '\r'; }

cp "$ROOT/examples/crossroad.ptm" "$WORK/crossroad.ptm"
cd "$WORK"

# The same release as the Linux program (the build part after "+" names
# the commit each build was made from).
version="$(win livra.exe --version)" || fail "livra.exe --version"
linux_version="$("$LINUX_DIR/livra" --version)"
[[ "$version" == livra\ * && "${version%%+*}" = "${linux_version%%+*}" ]] \
  || fail "livra.exe --version '$version', Linux: '$linux_version'"
ok "livra.exe --version: $version"

set +e
"$LINUX_DIR/livra" check crossroad.ptm > linux-check.txt 2>&1; linux_rc=$?
wine "$WIN_DIR/livra.exe" check crossroad.ptm > windows-check.txt 2>&1; win_rc=$?
set -e
sed -i 's/\r$//' windows-check.txt
cmp -s linux-check.txt windows-check.txt && [ "$linux_rc" = "$win_rc" ] \
  || fail "check differs: Linux ($linux_rc) '$(cat linux-check.txt)', Windows ($win_rc) '$(cat windows-check.txt)'"
ok "check: '$(cat windows-check.txt)', exit status $win_rc as on Linux"

sim=(simulate crossroad.ptm --start "09.12.2026 08:00:00" --seconds 600 --call1 30 --call2 200 --call1 400)
"$LINUX_DIR/livra" "${sim[@]}" > linux-sim.txt 2>/dev/null
win livra.exe "${sim[@]}" > windows-sim.txt 2>/dev/null
[ "$(wc -l < windows-sim.txt)" -eq 600 ] || fail "simulate printed $(wc -l < windows-sim.txt) lines, not 600"
cmp -s linux-sim.txt windows-sim.txt || { diff linux-sim.txt windows-sim.txt | head -5 >&2; fail "simulate differs"; }
ok "simulate: 600 s with calls, field by field as on Linux"

# The link: livra-emulator on a pseudo-terminal, the terminal as wine's COM9.
"$LINUX_DIR/livra-emulator" --apply-ms 0 > emulator.out 2> emulator.err &
EMULATOR_PID=$!
for _ in $(seq 100); do [ -s emulator.out ] && break; sleep 0.1; done
device="$(head -n 1 emulator.out)"
[ -c "$device" ] || fail "the virtual controller gave no terminal: $(cat emulator.err)"
ln -sf "$device" "$WINEPREFIX/dosdevices/com9"
win livra.exe --port COM9 write crossroad.ptm > write.txt 2>&1 || { cat write.txt >&2; fail "write over COM9"; }
win livra.exe --port COM9 verify crossroad.ptm > verify.txt 2>&1 || { cat verify.txt >&2; fail "verify over COM9"; }
"$LINUX_DIR/livra" --port "$device" verify crossroad.ptm > linux-verify.txt 2>&1 \
  || { cat linux-verify.txt >&2; fail "verify from Linux"; }
ok "write over COM9: $(tail -n 1 write.txt); verify from wine: $(tail -n 1 verify.txt); from Linux: $(tail -n 1 linux-verify.txt)"
kill "$EMULATOR_PID"; wait "$EMULATOR_PID" 2>/dev/null || true; EMULATOR_PID=""

# One configurator at a time: while one runs, a second start ends at once
# without showing a window ("shown after" is printed only by one that
# shows). Should the second win the race for the lock, the first has ended:
# it is started again.
start_first() {
  wine "$WIN_DIR/livra-configurator.exe" -platform offscreen crossroad.ptm > first.txt 2>&1 &
  FIRST_PID=$!
}
passed=""
for _ in $(seq 30); do
  kill -0 "$FIRST_PID" 2>/dev/null || start_first
  sleep 2  # wine starting the first one
  second="$(timeout 60 wine "$WIN_DIR/livra-configurator.exe" -platform offscreen --quit-after-show crossroad.ptm 2>&1 \
            | tr -d '\r')" || fail "second start failed: $second"
  if [ -z "$second" ] && kill -0 "$FIRST_PID" 2>/dev/null; then passed=1; break; fi
done
[ -n "$passed" ] || fail "a second configurator did not stop while one ran: $second"
ok "a second configurator start exits at once while one runs"
