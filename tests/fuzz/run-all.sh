#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz and runs them side by side, each for SECONDS (default 20), on its seeds. Exits
# non-zero when a fuzzer finds a fault; the failing input is left in
# build-fuzz/tests/fuzz/<fuzzer>-work/.
#   tests/fuzz/run-all.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-fuzz"
seconds=${1:-20}

# -O1 with line tables and assertions: quick to build, quick to run, readable stack traces.
CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -gline-tables-only" \
    -DKESTRIM_FUZZ=ON -DKESTRIM_WERROR=ON -DKESTRIM_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build "$build" --target kestrim_fuzzers

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" -L fuzz -j3 --output-on-failure
