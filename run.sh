#!/usr/bin/env bash
# Installs what is missing, builds Kestrim and starts it.
# Records go to $KESTRIM_HOME (default ~/Kestrim): TempData/, Ini/ and Ports/ live there.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build="$root/build"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"

home=${KESTRIM_HOME:-$HOME/Kestrim}
mkdir -p "$home"
cd "$home"
exec "$build/src/kestrim" "$@"
