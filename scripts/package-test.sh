#!/usr/bin/env bash
# Installs the Debian package into a fresh Debian 12 root (debootstrap
# --variant=minbase from the archive this machine's apt uses) and tries it
# there as a user would: apt resolves every dependency, the three programs
# start, the sample checks clean, the man page is found.
# Usage: scripts/package-test.sh [dist/livra_*.deb]   (as root)
# The root's tarball is kept in build-package/ so that re-runs skip the
# download.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WORK="${PACKAGE_WORK:-$ROOT/build-package}"
SUITE=bookworm
TARBALL="$WORK/$SUITE-minbase.tar"
CHROOT="$WORK/root"

# shellcheck source=packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages debootstrap

# The Debian archive the machine's apt is configured with: the first "deb"
# source (deb822 or one-line form) that carries the suite itself.
debian_mirror() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v suite="$SUITE" '
      /^[[:space:]]*$/ { if (types ~ /(^| )deb( |$)/ && suites ~ ("(^| )" suite "( |$)") && uri != "") { print uri; done = 1; exit }
                         types = ""; suites = ""; uri = ""; next }
      /^Types:/  { sub(/^Types:[[:space:]]*/, ""); types = $0 }
      /^Suites:/ { sub(/^Suites:[[:space:]]*/, ""); suites = $0 }
      /^URIs:/   { sub(/^URIs:[[:space:]]*/, ""); uri = $1 }
      END { if (!done && types ~ /(^| )deb( |$)/ && suites ~ ("(^| )" suite "( |$)") && uri != "") print uri }' "$f"
  done
  local lists=()
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do [ -f "$f" ] && lists+=("$f"); done
  [ ${#lists[@]} -eq 0 ] && return 0
  awk -v suite="$SUITE" '$1 == "deb" { i = 2; if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
                           if ($(i + 1) == suite) print $i }' "${lists[@]}"
}

make_root_tarball() {
  [ -f "$TARBALL" ] && return 0
  local mirror
  mirror="$(debian_mirror | sed -n 1p)"
  [ -n "$mirror" ] || { echo "package-test: no Debian archive for $SUITE in the apt sources" >&2; exit 2; }
  echo "debootstrap $SUITE from $mirror" >&2
  local tmp="$WORK/bootstrap.$$"
  rm -rf "$tmp"
  mkdir -p "$tmp"
  debootstrap --variant=minbase "$SUITE" "$tmp" "$mirror" >&2
  tar -C "$tmp" -cf "$TARBALL.part" .
  mv "$TARBALL.part" "$TARBALL"
  rm -rf "$tmp"
}

mkdir -p "$WORK"
make_root_tarball
[ "${1:-}" = "--root-only" ] && exit 0

deb="${1:-}"
if [ -z "$deb" ]; then
  deb="$(ls -t "$ROOT"/dist/livra_*_amd64.deb 2>/dev/null | head -n1 || true)"
fi
[ -f "$deb" ] || { echo "package-test: no package; run scripts/package-deb.sh first" >&2; exit 2; }

mounted=()
first=""
cleanup() {
  local m
  # A desktop program still running from a failed check is stopped by its id.
  [ -n "$first" ] && kill "$first" 2>/dev/null || true
  for ((m = ${#mounted[@]} - 1; m >= 0; m--)); do umount -l "${mounted[m]}" 2>/dev/null || true; done
  rm -rf "$CHROOT"
}
trap cleanup EXIT
rm -rf "$CHROOT"
mkdir -p "$CHROOT"
tar -C "$CHROOT" -xf "$TARBALL"
# Downloaded packages are kept for the next run.
mkdir -p "$WORK/apt-archives/partial"
for fs in proc sys dev dev/pts var/cache/apt/archives; do
  case $fs in
    var/cache/apt/archives) mount --bind "$WORK/apt-archives" "$CHROOT/$fs" ;;
    proc) mount -t proc proc "$CHROOT/proc" ;;
    sys) mount -t sysfs sysfs "$CHROOT/sys" ;;
    dev) mount --bind /dev "$CHROOT/dev" ;;
    dev/pts) mount --bind /dev/pts "$CHROOT/dev/pts" ;;
  esac
  mounted+=("$CHROOT/$fs")
done
cp /etc/resolv.conf "$CHROOT/etc/resolv.conf"
cp "$deb" "$CHROOT/tmp/"
in_root() { chroot "$CHROOT" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
# The desktop program runs as a user: one who cannot write /usr/bin, so its
# working folder is the per-user one, as on an engineer's computer.
in_user() {
  chroot --userspec=1000:1000 "$CHROOT" /usr/bin/env -i HOME=/home/engineer USER=engineer \
    PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=/tmp/runtime-engineer "$@"
}

# apt resolves every dependency of the package from the archive alone; man-db
# only for the man page check.
in_root sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq man-db "./tmp/$(basename "$1")" >/dev/null' sh "$deb" </dev/null
echo "installed: $(in_root dpkg-query -W -f='${Package} ${Version}' livra)"
in_root useradd --uid 1000 --create-home engineer
in_root install -d -m 700 -o engineer /tmp/runtime-engineer

fail() { echo "package-test: $*" >&2; exit 1; }
in_root livra --version | grep -q '^livra [0-9]' || fail "livra --version"
in_root livra --version
in_root livra-emulator --version | grep -q '^livra-emulator [0-9]' || fail "livra-emulator --version"
in_root livra-configurator --version | grep -q '^livra-configurator [0-9]' || fail "livra-configurator --version"
sample=/usr/share/livra/examples/crossroad.ptm
verdict="$(in_root livra check "$sample")"
echo "livra check $sample: $verdict"
[ "$verdict" = "Ошибок не обнаружено" ] || fail "livra check on the sample"
in_root man -w livra | grep -q '/usr/share/man/man1/livra.1.gz' || fail "man -w livra"
echo "man -w livra: $(in_root man -w livra)"
[ -f "$CHROOT/usr/share/bash-completion/completions/livra" ] || fail "bash completion"
[ -f "$CHROOT/usr/share/qt6/translations/qtbase_ru.qm" ] || fail "Qt's Russian translations"
[ -f "$CHROOT/usr/share/icons/hicolor/48x48/apps/livra-configurator.png" ] || fail "48 px icon"

# The desktop program starts offscreen with the sample and stays up; a second
# start ends at once (one instance at a time). The first one is stopped by
# its own process id.
in_user sh -c 'livra-configurator "$1" >/tmp/first.log 2>&1 & echo $! >/tmp/first.pid; wait' sh "$sample" &
waiter=$!
for _ in $(seq 1 100); do
  first="$(cat "$CHROOT/tmp/first.pid" 2>/dev/null || true)"
  [ -n "$first" ] && grep -q livra-configurator "/proc/$first/cmdline" 2>/dev/null &&
    ls "$CHROOT"/tmp/*.lock >/dev/null 2>&1 && break
  sleep 0.1
done
[ -n "$first" ] && kill -0 "$first" 2>/dev/null || { cat "$CHROOT/tmp/first.log" >&2; fail "livra-configurator did not start"; }
sleep 2
kill -0 "$first" 2>/dev/null || { cat "$CHROOT/tmp/first.log" >&2; fail "livra-configurator ended by itself"; }
# Its per-user working folder got the sample's plan picture.
[ -s "$CHROOT/home/engineer/.local/share/livra/shem/crossroad.png" ] || fail "the sample's plan picture in the working folder"
started=$(date +%s%N)
in_user timeout 20 livra-configurator "$sample" ||
  fail "the second livra-configurator did not end at once"
echo "second start ended after $(( ($(date +%s%N) - started) / 1000000 )) ms"
kill "$first"
wait "$waiter" 2>/dev/null || true
echo "package-test: all checks passed"
