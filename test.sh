#!/usr/bin/env bash
# Installs what is missing, builds Kestrim with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs every test, then runs each fuzzer for 20 seconds (tests/fuzz/run-long.sh runs them
# longer). Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build="$root/build-test"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DKESTRIM_SANITIZE=ON -DKESTRIM_WERROR=ON
cmake --build "$build"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build"
ctest --output-on-failure -j2

# The fuzzers, in a clang build of their own (build-fuzz).
if command -v clang++ >/dev/null; then
    "$root/tests/fuzz/run-all.sh" 20
else
    echo "clang++ not found: the fuzzers were not run" >&2
fi
