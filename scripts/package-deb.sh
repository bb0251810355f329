#!/usr/bin/env bash
# Builds the Debian package dist/livra_VERSION_amd64.deb from the build in
# BUILD_DIR (as ./test takes it): the three programs, the desktop entry and
# icons, AppStream metainfo, man pages, bash completion, the sample project
# with its plan pictures, and the user guide. Depends come from the binaries
# (dpkg-shlibdeps) plus what the programs load at run time. lintian checks
# the result; an error fails the script.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
DIST="${DIST_DIR:-$ROOT/dist}"

# shellcheck source=packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages dpkg-dev lintian appstream
if [ -f "$BUILD_DIR/build.ninja" ]; then
  # Only what the package holds; a build for the tests has made the rest.
  cmake --build "$BUILD_DIR" -j"$(nproc)" --target livra livra-configurator livra-emulator livra_icon_48 >&2
else
  "$ROOT/scripts/setup.sh"
fi

version="$("$BUILD_DIR/src/livra" --version | awk '{ print $2 }')"
[[ $version =~ ^[0-9][A-Za-z0-9.+~]*$ ]] || { echo "package-deb: odd version '$version'" >&2; exit 1; }
arch="$(dpkg --print-architecture)"
work="$BUILD_DIR/deb"
stage="$work/livra"
rm -rf "$work"
mkdir -p "$stage/DEBIAN" "$DIST"

DESTDIR="$stage" cmake --install "$BUILD_DIR" --prefix /usr >/dev/null

# As dh_strip does: the debugging data stays in the build.
for exe in "$stage"/usr/bin/*; do
  strip --strip-unneeded --remove-section=.comment --remove-section=.note "$exe"
done
find "$stage/usr/share/man" -name '*.[0-9]' -exec gzip -9n {} +
doc="$stage/usr/share/doc/livra"
mkdir -p "$doc"
install -m 644 "$ROOT/packaging/copyright" "$doc/copyright"
{
  echo "livra ($version) unstable; urgency=medium"
  echo
  echo "  * Build of $(git -C "$ROOT" log -1 --format=%h 2>/dev/null || echo "the source tree")."
  echo
  echo " -- Livra configurator team <support@livra.example>  $(date -R -u -d "@${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || date +%s)}")"
} | gzip -9n > "$doc/changelog.gz"
# Files installed by cmake keep its permissions; a package wants 644/755.
find "$stage/usr" -type d -exec chmod 755 {} +
find "$stage/usr" -type f ! -path '*/usr/bin/*' -exec chmod 644 {} +

appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml

# Depends: the shared libraries the binaries link, then what they load by
# name: Qt's Russian texts, the Arial-compatible fonts of the drawings.
mkdir -p "$work/debian"
printf 'Source: livra\n\nPackage: livra\nArchitecture: any\n' > "$work/debian/control"
shlibs="$(cd "$work" && dpkg-shlibdeps -O -e livra/usr/bin/livra -e livra/usr/bin/livra-configurator \
          -e livra/usr/bin/livra-emulator 2>/dev/null | sed -n 's/^shlibs:Depends=//p')"
[ -n "$shlibs" ] || { echo "package-deb: dpkg-shlibdeps found no libraries" >&2; exit 1; }
depends="$shlibs, qt6-translations-l10n, fonts-liberation"
size="$(du -sk --exclude=DEBIAN "$stage" | cut -f1)"

cat > "$stage/DEBIAN/control" <<CONTROL
Package: livra
Version: $version
Architecture: $arch
Maintainer: Livra configurator team <support@livra.example>
Installed-Size: $size
Depends: $depends
Recommends: xdg-utils
Suggests: man-db
Section: electronics
Priority: optional
Description: configurator of the Livra traffic-light controllers
 Composes, checks and transfers the configurations of the Livra road
 traffic-light controllers: signal programs, directions and output channels,
 the weekly calendar and the call-input delays. The desktop program
 livra-configurator (in Russian) edits them, plays them against a plan of the
 intersection and writes them to the controller over a USB-serial cable; the
 livra command does the same without a screen, for scripts and version
 control; livra-emulator is a virtual controller for trying the link.
CONTROL
(cd "$stage" && find usr -type f -exec md5sum {} + | sort -k2) > "$stage/DEBIAN/md5sums"
chmod 644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

deb="$DIST/livra_${version}_${arch}.deb"
rm -f "$DIST"/livra_*_"$arch".deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "$deb"

# lintian: errors fail the package; warnings are listed (see
# docs/packaging.md for the ones that stay and why).
lintian_out="$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)"
[ -n "$lintian_out" ] && echo "$lintian_out" >&2
if grep -q '^E: ' <<<"$lintian_out"; then
  echo "package-deb: lintian reports errors" >&2
  exit 1
fi
