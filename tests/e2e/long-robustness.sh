#!/usr/bin/env bash
# The long variants of tst_robustness_sim: 100 kills during a flood and 100 unplugs, against a
# release build of kestrim (a sanitizer build is slower and holds memory back). About 10 minutes.
#   tests/e2e/long-robustness.sh [build-test folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tests=${1:-$root/build-test}
release="$root/build-release"
cmake -S "$root" -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$release" --target kestrim
cmake --build "$tests" --target tst_robustness_sim
KESTRIM_APP="$release/src/app/kestrim" KESTRIM_KILL_CYCLES=${KESTRIM_KILL_CYCLES:-100} \
    KESTRIM_UNPLUG_CYCLES=${KESTRIM_UNPLUG_CYCLES:-100} QT_LOGGING_RULES='kestrim.*.info=false' \
    "$tests/tests/e2e/tst_robustness_sim"
