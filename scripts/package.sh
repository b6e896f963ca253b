#!/bin/sh
# Builds the Debian package of TorvaneScan: a Release build with Debian's hardening flags in
# build-package/, packed by CPack, then checked by lintian. Prints the package's path.
#
#   scripts/package.sh [--no-deps] [--build DIR]
#
# --no-deps skips installing what is missing (scripts/install-deps.sh).
set -eu
cd "$(dirname "$0")/.."
build=build-package
deps=1
while [ "$#" -gt 0 ]; do
    case "$1" in
    --no-deps) deps=0 ;;
    --build)
        [ "$#" -ge 2 ] || { echo "package: --build needs a folder" >&2; exit 2; }
        build=$2
        shift
        ;;
    *)
        sed -n '5p' "$0" | sed 's/^# *//' >&2
        exit 2
        ;;
    esac
    shift
done
[ "$deps" = 0 ] || scripts/install-deps.sh

# The dates in the change log, the metadata and the manual pages are those of the last
# commit, so that building the same sources again gives the same package.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
launcher=""
command -v ccache >/dev/null 2>&1 && launcher=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF $launcher \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build"
rm -f "$build"/torvanescan_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/torvanescan_*.deb)

if command -v lintian >/dev/null 2>&1; then
    # Errors fail the build; warnings and notes are shown.
    lintian --fail-on error --display-info "$deb"
else
    echo "package: lintian is missing (scripts/install-deps.sh installs it); not checked" >&2
fi
echo "$(pwd)/$deb"
