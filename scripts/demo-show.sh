#!/bin/sh
# Runs TorvaneScan for the demo, inside the demo's network: on the user's display when one
# is usable from here, otherwise on a virtual display of its own for one scan.
#
#   scripts/demo-show.sh PROGRAM OUT
#
# On the virtual display the program is asked (TORVANE_DEMO_DIR) to leave OUT/main-window.png
# and OUT/state-window.log and exit once its first scan has ended. If it has not done so
# within TORVANE_DEMO_TIMEOUT seconds (default 45), a picture of the whole display goes to
# OUT/screen.png instead and the program is ended.
set -eu
[ "$#" -eq 2 ] || { sed -n '5p' "$0" | sed 's/^# *//' >&2; exit 2; }
program=$1
out=$2
# Settings of its own, never the user's: as after an installation, with the shipped
# description file chosen, and the test network's adapter.
export XDG_CONFIG_HOME="$out/config"
mkdir -p "$XDG_CONFIG_HOME/Kestrelwald"
quoted() { printf '%s' "$1" | sed 's/\\/\\\\/g; s/"/\\"/g'; }
cat >"$XDG_CONFIG_HOME/Kestrelwald/registry.txt" <<SETTINGS
[software]

[software\Kestrelwald]

[software\Kestrelwald\TorvaneScan]
"SelectedAdapterIp"="$(quoted "${TORVANE_TESTNET_ADAPTER:-127.0.0.1}")"

[software\Kestrelwald\TorvaneScan\TGWConfigFileSheetCaption]
"EditTGWCurrentFilePath"="$(quoted "$(cd "$(dirname "$program")" && pwd)/gdf/Pellmar.gdf")"
SETTINGS

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "demo: TorvaneScan is on display $DISPLAY; close its window to end the demo"
    status=0
    "$program" /D >"$out/program.txt" 2>&1 || status=$?
    exit "$status"
fi

pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    for pid in $pids; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

: >"$out/display"
Xvfb -displayfd 3 -screen 0 1280x960x24 -nolisten tcp 3>"$out/display" >"$out/xvfb.txt" 2>&1 &
pids="$pids $!"
tries=0
until grep -q '^[0-9]' "$out/display"; do
    tries=$((tries + 1))
    [ "$tries" -lt 1000 ] || { echo "demo: the virtual display does not start" >&2; exit 1; }
    sleep 0.01
done
DISPLAY=":$(head -n 1 "$out/display")"
export DISPLAY
echo "demo: TorvaneScan scans once on the virtual display $DISPLAY"

TORVANE_DEMO_DIR="$out" "$program" /D >"$out/program.txt" 2>&1 &
program_pid=$!
pids="$pids $program_pid"
limit=$(( ${TORVANE_DEMO_TIMEOUT:-45} * 10 ))
ticks=0
while kill -0 "$program_pid" 2>/dev/null && [ "$ticks" -lt "$limit" ]; do
    ticks=$((ticks + 1))
    sleep 0.1
done

if kill -0 "$program_pid" 2>/dev/null; then
    import -window root "$out/screen.png"
    echo "demo: the program did not finish by itself; took screen.png of the display"
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
    exit 0
fi
status=0
wait "$program_pid" || status=$?
[ -f "$out/main-window.png" ] || import -window root "$out/screen.png"
exit "$status"
