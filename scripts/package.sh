#!/usr/bin/env bash
# Builds the Debian package varsik_<version>_<arch>.deb in build-package/ (a build for
# /usr, without tests and benchmarks) and checks it: lintian, the installed desktop
# entry with desktop-file-validate and the installed metainfo with appstreamcli.
# Installs what it needs first (only what is missing). Prints the package's path last.
# CMAKE_ARGS may add to the build's configuration (a compiler launcher, say).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-package}

EXTRA_PACKAGES="dpkg-dev lintian desktop-file-utils appstream" BUILD_DIR=$BUILD_DIR \
CMAKE_ARGS="-DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_BUILD_TYPE=Release -DVARSIK_BUILD_TESTS=OFF
  -DVARSIK_BUILD_BENCH=OFF ${CMAKE_ARGS:-}" scripts/setup.sh >&2
rm -f "$BUILD_DIR"/varsik_*.deb
(cd "$BUILD_DIR" && cpack -G DEB > /dev/null)
deb=$(ls "$BUILD_DIR"/varsik_*.deb)

# Errors and warnings fail the package; none is passed over (a tag that had to be would
# go into --suppress-tags here, with its reason). lintian's infos are left: the
# programs are built with the project's own flags, not with dpkg-buildflags' hardening
# (hardening-no-bindnow, hardening-no-fortify-functions), and keep the compiler's
# .comment section (binary-has-unneeded-section).
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >&2

contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
desktop-file-validate "$contents/usr/share/applications/varsik.desktop" >&2
# The component's id is the program's name: Varsik has no domain of its own to make a
# reverse-DNS id from, and an id once published is not to be changed.
appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
  "$contents/usr/share/metainfo/varsik.metainfo.xml" >&2
echo "$deb"
