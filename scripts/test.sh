#!/bin/sh
# The whole test run on a fresh machine: installs what is missing, builds a Debug build
# with AddressSanitizer, UndefinedBehaviorSanitizer and warnings as errors, runs every
# test, then runs each libFuzzer harness for a minute (scripts/fuzz.sh). Tests that open
# sockets run inside private network namespaces (scripts/netns-run.sh).
set -e
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-format.sh
build=${TORVANE_TEST_BUILD:-build-asan}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTORVANE_SANITIZE=ON >/dev/null
cmake --build "$build"
# The leak suppressions are in LeakSanitizer syntax, which ASan cannot parse.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$build" && ctest --output-on-failure -j"$(nproc)")
scripts/fuzz.sh
