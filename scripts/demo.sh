#!/bin/sh
# The first thing to try: builds TorvaneScan and its gateway simulator, starts about twenty
# simulated gateways of every kind in a private network and shows TorvaneScan finding them.
#
#   scripts/demo.sh [--no-build] [--build DIR]
#
# As root the network has two adapters and device segments of their own (tier 2); otherwise
# it is loopback only (tier 1). With a usable display the program is shown there until you
# close it; otherwise it runs on a virtual display for one scan. The folder with the results
# (traffic log, simulator report, picture, state-window log) is printed at the end.
# --no-build uses the existing build as it is, without installing or building.
# Environment: TORVANE_DEMO_OUT (results folder), TORVANE_DEMO_TIMEOUT (seconds, default 45).
set -eu
cd "$(dirname "$0")/.."
build=build
prepare=1
while [ "$#" -gt 0 ]; do
    case "$1" in
    --no-build) prepare=0 ;;
    --build)
        [ "$#" -ge 2 ] || { echo "demo: --build needs a folder" >&2; exit 2; }
        build=$2
        shift
        ;;
    *)
        sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//' >&2
        exit 2
        ;;
    esac
    shift
done

if [ "$prepare" = 1 ]; then
    scripts/install-deps.sh
    if [ -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    else
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF >/dev/null
    fi
    cmake --build "$build"
fi
build=$(cd "$build" && pwd)
for binary in torvanescan torvane-sim; do
    [ -x "$build/bin/$binary" ] || { echo "demo: $build/bin/$binary is missing" >&2; exit 1; }
done

out=${TORVANE_DEMO_OUT:-$(pwd)/demo-out-$(date +%Y%m%d-%H%M%S)}
mkdir -p "$out"
out=$(cd "$out" && pwd)

if [ "$(id -u)" = 0 ]; then
    tier=tier2
    devices=data/demo/devices.ini
    set -- --other-devices data/demo/devices-other.ini
else
    # Without root there is only loopback: the PC's subnet becomes 127.0.0.x.
    tier=tier1
    devices=$out/devices.ini
    sed 's/\<10\.77\.0\./127.0.0./g' data/demo/devices.ini >"$devices"
    set --
fi

echo "demo: $tier network with the gateways of $devices; results in $out"
status=0
scripts/testnet.sh "$tier" --devices "$devices" "$@" --sim "$build/bin/torvane-sim" \
    --log "$out/traffic.log" --output "$out/simulator.txt" -- \
    scripts/demo-show.sh "$build/bin/torvanescan" "$out" || status=$?
echo "demo: finished (status $status); results in $out:"
ls -1 "$out" | sed 's/^/  /'
exit "$status"
