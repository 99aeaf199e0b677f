#!/usr/bin/env bash
# Installs what is missing, builds Kestrim and starts it with a simulated thermometer.
#
#   ./run.sh             Kestrim and kestrim-sim (an R9 Pro in body mode, a reading every 5 s
#                        once connected), the simulator on the first free COM port
#   ./run.sh --no-sim    Kestrim alone, for a real thermometer
#   KESTRIM_SIM_ARGS="--mode count --every 2" ./run.sh    other simulator settings
#
# Records go to $KESTRIM_HOME (default ~/Kestrim): TempData/, Ini/ and Ports/ live there.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build="$root/build-release"

simulate=1
if [[ "${1:-}" == "--no-sim" ]]; then
    simulate=0
    shift
fi

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target kestrim kestrim-sim

home=${KESTRIM_HOME:-$HOME/Kestrim}
mkdir -p "$home"
cd "$home"

if [[ $simulate -eq 1 ]]; then
    # The first COM number that names no device and no link of its own.
    port=""
    for n in $(seq 1 20); do
        if ((n <= 10)); then device=/dev/ttyUSB$((n - 1)); else device=/dev/ttyACM$((n - 11)); fi
        if [[ ! -e "$device" && ! -L "Ports/com$n" ]]; then
            port=$n
            break
        fi
    done
    if [[ -n "$port" ]]; then
        # shellcheck disable=SC2086
        "$build/tools/kestrim-sim/kestrim-sim" --link "Ports/com$port" \
            ${KESTRIM_SIM_ARGS:---mode body --every 5} </dev/null >/dev/null 2>"$home/kestrim-sim.log" &
        sim=$!
        trap 'kill $sim 2>/dev/null || true; wait $sim 2>/dev/null || true' EXIT
        for _ in $(seq 1 50); do
            [[ -L "Ports/com$port" ]] && break
            sleep 0.1
        done
        echo "Simulated thermometer on COM$port (log: $home/kestrim-sim.log)"
    fi
fi

"$build/src/kestrim" "$@"
