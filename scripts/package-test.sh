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
