#!/bin/sh
# The scan benchmark: builds a Release build (build-release/) and runs, inside a private
# network namespace that holds only loopback, one scan of the real main window against
# torvane-sim --generate N for N = 100, 1000, 10000: as root, and as an ordinary user (an
# unprivileged uid in a user namespace of its own, the receive buffer asked for as a stock
# desktop caps it, 212992 bytes); then with the state window shown; then taking the same
# answers into the device list alone, the program's way (the engine's device set and the
# list) and with a naive list. Prints Markdown tables. Run it as root, for the ordinary
# user's row too.
#
# Then the command line's section: torvane-cli's scan of 50 and 1,000 generated gateways
# (every other one with a short answer), a 50-row plan applied, and 10 gateways on one
# factory address given addresses of their own, each with --parallel 1 and the default.
# "scripts/benchmark.sh cli" runs this section alone, "window" the window's alone.
#
# Environment: TORVANE_BENCH_BUILD (build folder, default build-release),
# TORVANE_BENCH_SCAN_MS (the scan period, TimerScan; default 2500 as shipped),
# TORVANE_BENCH_SIZES (default "100 1000 10000"), TORVANE_BENCH_USER (the unprivileged uid,
# default 65534).
set -e
cd "$(dirname "$0")/.."
build=${TORVANE_BENCH_BUILD:-build-release}
scan_ms=${TORVANE_BENCH_SCAN_MS:-2500}
sizes=${TORVANE_BENCH_SIZES:-"100 1000 10000"}
user=${TORVANE_BENCH_USER:-65534}
# What net.core.rmem_max grants an ordinary user on a stock Debian or Ubuntu desktop.
desktop_buffer=212992

part=${1:-all}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF >/dev/null
# The command line's section alone needs neither the window nor its benchmark.
if [ "$part" = cli ]; then
    cmake --build "$build" --target torvane-cli torvane-sim >/dev/null
else
    cmake --build "$build" --target scan_benchmark torvane-cli torvane-sim >/dev/null
fi

bench() {
    scripts/netns-run.sh "$build/bin/scan_benchmark" "$@" 2>/dev/null
}
# The same as an ordinary user: without CAP_NET_ADMIN the endpoint's large request falls
# back to the plain one, which the system caps.
bench_as_user() {
    setpriv --reuid="$user" --regid="$user" --clear-groups \
        scripts/netns-run.sh "$build/bin/scan_benchmark" "$@" --receive-buffer "$desktop_buffer" \
        2>/dev/null
}
# value KEY: the value of "KEY=value" in $out
value() {
    printf '%s\n' "$out" | sed -n "s/^$1=//p"
}
mib() {
    awk -v kib="$1" 'BEGIN { printf "%.1f", kib / 1024 }'
}
# The command line against the simulator: wall time with one device after the other and
# with many at once, and the least it could take with many at once. A scan cannot end
# before its period; a plan is a scan, the changes and a closing scan; a change of a device
# takes five steps of 200 ms between its six requests, 32 devices at once, devices on one
# address one after the other.
cli_case() {
    out=$(scripts/netns-run.sh scripts/cli-benchmark-run.sh "$build/bin" "$@")
}
seconds() {
    awk -v ms="$1" 'BEGIN { printf "%.1f s", ms / 1000 }'
}
cli_section() {
    echo "The command line (torvane-cli), scan period $scan_ms ms, load before: $(cut -d' ' -f1-3 /proc/loadavg):"
    echo
    echo "| case | --parallel 1 | default (32 at once) | floor | what the devices ended with (one / default) |"
    echo "|---|---:|---:|---:|---|"
    for n in 50 1000; do
        cli_case scan "$n"
        echo "| scan of $n, $((n / 2)) short answers | $(seconds "$(value one_ms)") |" \
            "$(seconds "$(value parallel_ms)") | $(seconds "$scan_ms") |" \
            "listed $(value one_listed) / $(value parallel_listed), netmask unread $(value one_unread) / $(value parallel_unread) |"
    done
    cli_case apply 50
    echo "| 50-row plan applied | $(seconds "$(value one_ms)") | $(seconds "$(value parallel_ms)") |" \
        "$(seconds $((2 * scan_ms + 2 * 1000))) |" \
        "stored $(value one_stored) / $(value parallel_stored) of 50, rows done $(value one_done) / $(value parallel_done) |"
    cli_case shared 10
    echo "| 10 on one factory address given their own | $(seconds "$(value one_ms)") |" \
        "$(seconds "$(value parallel_ms)") | $(seconds $((2 * scan_ms + 10 * 1000))) |" \
        "stored $(value one_stored) / $(value parallel_stored) of 10, rows done $(value one_done) / $(value parallel_done) |"
}
if [ "$part" = cli ]; then
    cli_section
    exit 0
fi

scan_row() {
    echo "| $n | $1 | $(value listed) of $n | $(value dropped) ($(value kernel_drops)) |" \
        "$(value intake_per_answer_us) µs | $(value last_listed_ms) / $(value sending_ms) ms |" \
        "$(mib "$(value peak_rss_kib)") MiB |"
}

echo "Scan of N simulated devices answering in one burst, scan period $scan_ms ms:"
echo
echo "| N | run as | listed at the end of the scan period | dropped by the system (namespace's RcvbufErrors) | UI-thread time per answer | last answer listed / simulator sent the burst, from its first answer | peak RSS |"
echo "|---:|---|---:|---:|---:|---:|---:|"
for n in $sizes; do
    out=$(bench scan --devices "$n" --scan-ms "$scan_ms") || true
    scan_row root
    out=$(bench_as_user scan --devices "$n" --scan-ms "$scan_ms") || true
    scan_row "ordinary user"
done

echo
echo "The same with the state window shown (/D on the command line), as root:"
echo
echo "| N | listed at the end of the scan period | UI-thread time per answer | last answer listed / simulator sent the burst |"
echo "|---:|---:|---:|---:|"
for n in $sizes; do
    out=$(bench scan --devices "$n" --scan-ms "$scan_ms" --state-window) || true
    echo "| $n | $(value listed) of $n | $(value intake_per_answer_us) µs |" \
        "$(value last_listed_ms) / $(value sending_ms) ms |"
done

echo
echo "Taking answers into the device list per answer (no drawing), the engine's device set and the program's list against a naive list:"
echo
echo "| N | order | device set and program's list: mean / p99 | naive list: mean / p99 | naive list, whole burst |"
echo "|---:|---|---:|---:|---:|"
for n in $sizes; do
    for order in sent shuffled; do
        out=$(bench list --devices "$n" --list indexed --order "$order")
        indexed="$(value answer_mean_us) / $(value answer_p99_us) µs"
        out=$(bench list --devices "$n" --list naive --order "$order")
        echo "| $n | $order | $indexed | $(value answer_mean_us) / $(value answer_p99_us) µs |" \
            "$(value answer_total_ms) ms |"
    done
done
if [ "$part" = all ]; then
    echo
    cli_section
fi
