#!/bin/sh
# Installs, with apt-get, whichever of the build, test and demo packages are missing.
# The last line builds and checks the Debian package: dpkg-shlibdeps for its Depends, lintian,
# the validators of the desktop entry and the AppStream metadata, and man for the manual pages.
set -e
packages="cmake ninja-build g++ clang libclang-rt-dev clang-format pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
libbenchmark-dev iproute2 util-linux nftables xvfb xauth x11-utils imagemagick git
dpkg-dev lintian desktop-file-utils appstream man-db"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
