#!/bin/sh
# Builds the libFuzzer harnesses of fuzz/ with clang and runs each for TORVANE_FUZZ_SECONDS
# (60) seconds, as many at a time as there are cores, on its seed corpus fuzz/corpus/NAME/.
# A crash, a sanitizer report or a broken promise of any harness fails the script; the
# input that caused it is kept in build-fuzz/fuzz-artifacts/ and the harness's log is shown.
set -e
cd "$(dirname "$0")/.."
build=${TORVANE_FUZZ_BUILD:-build-fuzz}
seconds=${TORVANE_FUZZ_SECONDS:-60}
names=""
targets=""
for source in fuzz/*_fuzzer.cpp; do
    name=$(basename "$source" _fuzzer.cpp)
    names="$names $name"
    targets="$targets fuzz_$name"
done
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTORVANE_FUZZ=ON -DTORVANE_TESTS=OFF >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" --target $targets

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

# New inputs go to the first folder, never into the seed corpus of the repository. An input
# that runs longer than -timeout counts as a hang and fails the run.
run() {
    mkdir -p "$build/fuzz-corpus/$1"
    "$build/bin/fuzz_$1" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$1-" "$build/fuzz-corpus/$1" "fuzz/corpus/$1" \
        >"$build/fuzz-$1.log" 2>&1
}

failed=""
# shellcheck disable=SC2086
set -- $names
while [ $# -gt 0 ]; do
    started=""
    for _ in $(seq "$(nproc)"); do
        [ $# -gt 0 ] || break
        run "$1" &
        started="$started $1:$!"
        shift
    done
    for job in $started; do
        name=${job%%:*}
        if wait "${job##*:}"; then
            runs=$(awk '/^stat::number_of_executed_units/ {print $2}' "$build/fuzz-$name.log")
            echo "fuzz_$name: $runs inputs in $seconds s, no finding"
        else
            echo "fuzz_$name FAILED:"
            tail -n 60 "$build/fuzz-$name.log"
            failed="$failed $name"
        fi
    done
done
[ -z "$failed" ] || { echo "harnesses with findings:$failed"; exit 1; }
