#!/usr/bin/env bash
# Makes the README's pictures anew with the scripted demonstration (kestrim-demo), so that they
# always show the program as it is. Needs a build in build-release (./run.sh makes one).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-release"
cmake --build "$build" --target kestrim-demo kestrim-sim
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='kestrim.*.info=false' \
    "$build/tools/kestrim-demo/kestrim-demo" --sim "$build/tools/kestrim-sim/kestrim-sim" \
    --shots "$root/docs" >/dev/null
echo "Pictures written to $root/docs"
