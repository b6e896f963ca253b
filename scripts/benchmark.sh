#!/bin/sh
# The scan benchmark: builds a Release build (build-release/) and runs, inside a private
# network namespace that holds only loopback, one scan of the real main window against
# torvane-sim --generate N for N = 100, 1000, 10000 (also with the state window shown), then
# the device list's own work for the same answers, with the program's list and with a naive
# one. Prints Markdown tables.
#
# Environment: TORVANE_BENCH_BUILD (build folder, default build-release),
# TORVANE_BENCH_SCAN_MS (the scan period, TimerScan; default 2500 as shipped),
# TORVANE_BENCH_SIZES (default "100 1000 10000").
set -e
cd "$(dirname "$0")/.."
build=${TORVANE_BENCH_BUILD:-build-release}
scan_ms=${TORVANE_BENCH_SCAN_MS:-2500}
sizes=${TORVANE_BENCH_SIZES:-"100 1000 10000"}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF >/dev/null
cmake --build "$build" --target scan_benchmark >/dev/null

bench() {
    scripts/netns-run.sh "$build/bin/scan_benchmark" "$@" 2>/dev/null
}
# value KEY: the value of "KEY=value" in $out
value() {
    printf '%s\n' "$out" | sed -n "s/^$1=//p"
}
mib() {
    awk -v kib="$1" 'BEGIN { printf "%.1f", kib / 1024 }'
}

echo "Scan of N simulated devices answering in one burst, scan period $scan_ms ms:"
echo
echo "| N | listed at the end of the scan period | last answer taken in after | UI-thread time per answer: mean / p99 / max | peak RSS (before the scan) | dropped by the kernel |"
echo "|---:|---:|---:|---:|---:|---:|"
for n in $sizes; do
    out=$(bench scan --devices "$n" --scan-ms "$scan_ms") || true
    echo "| $n | $(value listed) of $n | $(value last_answer_after_ms) ms |" \
        "$(value intake_mean_us) / $(value intake_p99_us) / $(value intake_max_us) µs |" \
        "$(mib "$(value peak_rss_kib)") MiB ($(mib "$(value rss_before_scan_kib)") MiB) |" \
        "$(value kernel_drops) |"
done

echo
echo "The same with the state window shown (/D on the command line):"
echo
echo "| N | listed at the end of the scan period | last answer taken in after | UI-thread time per answer: mean / p99 / max |"
echo "|---:|---:|---:|---:|"
for n in $sizes; do
    out=$(bench scan --devices "$n" --scan-ms "$scan_ms" --state-window) || true
    echo "| $n | $(value listed) of $n | $(value last_answer_after_ms) ms |" \
        "$(value intake_mean_us) / $(value intake_p99_us) / $(value intake_max_us) µs |"
done

echo
echo "The device list's own work per answer (no drawing), the program's list against a naive one:"
echo
echo "| N | order | program's list: mean / p99 | naive list: mean / p99 | naive list, whole burst |"
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
