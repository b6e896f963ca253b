#!/bin/sh
# One command-line benchmark case, run by scripts/benchmark.sh inside a private network
# namespace (it refuses to run outside one): starts torvane-sim, runs torvane-cli with
# --parallel 1 and with the default, each against simulated devices fresh from the start,
# and prints "key=value" lines: the wall times in ms and what the devices ended with.
#
#   cli-benchmark-run.sh BIN_DIR scan N        N generated devices, every other one short
#   cli-benchmark-run.sh BIN_DIR apply N       a plan giving N generated devices new values
#   cli-benchmark-run.sh BIN_DIR shared N      N devices on one factory address, a plan
#                                              giving each its own
# Environment: TORVANE_BENCH_SCAN_MS, the scan period (default 2500).
set -e
bin=$1
kind=$2
n=$3
scan_ms=${TORVANE_BENCH_SCAN_MS:-2500}
if ip -o link show up | grep -qv ' lo:'; then
    echo "cli-benchmark-run.sh: an interface other than loopback is up; run me through" \
        "scripts/benchmark.sh" >&2
    exit 3
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

# The plan and, for the shared case, the device file.
mac_of() { printf '02-54-56-%02X-%02X-%02X' $(($1 / 65536)) $(($1 / 256 % 256)) $(($1 % 256)); }
new_ip_of() { echo "127.0.$((2 + $1 / 250)).$(($1 % 250 + 1))"; }
: >"$work/devices.ini"
echo "mac,ip,netmask,gateway" >"$work/plan.csv"
i=1
while [ "$i" -le "$n" ]; do
    echo "$(mac_of "$i"),$(new_ip_of "$i"),255.255.0.0,127.0.2.254" >>"$work/plan.csv"
    printf '[gw%d]\nmac = %s\nip = 127.0.0.100\nnetmask = 255.0.0.0\n' "$i" "$(mac_of "$i")" \
        >>"$work/devices.ini"
    i=$((i + 1))
done
if [ "$kind" = shared ]; then
    devices="$work/devices.ini"
else
    devices="--generate=$n"
fi

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# run MODE ARGS...: one torvane-cli run against a fresh simulator; its output and the
# simulator's report stay in $work/MODE.*
run() {
    mode=$1
    shift
    rm -f "$work/ready"
    mkfifo "$work/ready"
    "$bin/torvane-sim" --ready-fd=3 "$devices" 3>"$work/ready" 2>"$work/$mode.report" &
    sim=$!
    read -r _ <"$work/ready"
    start=$(now_ms)
    status=0
    "$bin/torvane-cli" --scan-ms "$scan_ms" "$@" >"$work/$mode.out" 2>"$work/$mode.err" || status=$?
    echo "${mode}_ms=$(($(now_ms) - start))"
    echo "${mode}_exit=$status"
    kill "$sim"
    wait "$sim" || true
}

# stored MODE: how many planned devices hold every value of their row as stored values,
# by what the simulator reported of each device's permanent writes (the last one counts).
stored() {
    sed -n 's/.*\[\([0-9A-F-]*\) [0-9.]*\]: stores \(IP address\|netmask\|gateway\) \([0-9.]*\).*/\1 \2 \3/p' \
        "$work/$1.report" | sed 's/IP address/ip/' |
        awk -v plan="$work/plan.csv" '
            BEGIN {
                while ((getline line < plan) > 0) {
                    split(line, f, ",")
                    if (f[1] != "mac") { ip[f[1]] = f[2]; mask[f[1]] = f[3]; gw[f[1]] = f[4] }
                }
            }
            { last[$1 " " $2] = $3 }
            END {
                count = 0
                for (mac in ip)
                    if (last[mac " ip"] == ip[mac] && last[mac " netmask"] == mask[mac] &&
                        last[mac " gateway"] == gw[mac]) count++
                print count
            }'
}

case $kind in
scan)
    for mode in one parallel; do
        if [ "$mode" = one ]; then parallel=1; else parallel=32; fi
        run "$mode" --format csv --parallel "$parallel" scan
        echo "${mode}_listed=$(($(wc -l <"$work/$mode.out") - 1))"
        # Short answers without netmask after the reads (the CSV leaves it empty).
        echo "${mode}_unread=$(awk -F, 'NR > 1 && $3 == ""' "$work/$mode.out" | wc -l)"
    done
    ;;
apply | shared)
    for mode in one parallel; do
        if [ "$mode" = one ]; then parallel=1; else parallel=32; fi
        run "$mode" --format csv --parallel "$parallel" apply "$work/plan.csv"
        echo "${mode}_done=$(grep -c ',done,' "$work/$mode.out" || true)"
        echo "${mode}_stored=$(stored "$mode")"
    done
    ;;
esac
