#!/usr/bin/env bash
# Installs what is missing, builds Kestrim and starts it with a simulated thermometer.
#
#   ./run.sh             Kestrim and kestrim-sim (an R9 Pro in body mode, a reading every 5 s
#                        once connected), the simulator on the first free COM port. Without a
#                        display: a scripted demonstration under Xvfb that saves screenshots
#                        and prints the day's files.
#   ./run.sh --no-sim    Kestrim alone, for a real thermometer (needs a display)
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

display=0
[[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]] && display=1
if [[ $display -eq 0 && $simulate -eq 0 ]]; then
    echo "Kestrim is a desktop program and needs a display; this session has none" >&2
    echo "(neither DISPLAY nor WAYLAND_DISPLAY is set). Run it on the desktop, or run" >&2
    echo "./run.sh without --no-sim for a scripted demonstration under Xvfb." >&2
    exit 1
fi

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(kestrim kestrim-sim)
[[ $display -eq 0 ]] && targets+=(kestrim-demo)
cmake --build "$build" --target "${targets[@]}"

home=${KESTRIM_HOME:-$HOME/Kestrim}
umask 077 # the records are health data: the folder and all in it are the user's alone
mkdir -p "$home"
cd "$home"
echo "Data folder: $home"

# The first COM number that names nothing yet: kestrim says which device stands behind each
# (an entry of Ports/, or the system's own device), and the simulator takes one that is free.
port=""
for n in $(seq 1 20); do
    device=$("$build/src/app/kestrim" --port "$n" --device)
    if [[ ! -e "$device" && ! -L "$device" && ! -e "Ports/com$n" ]]; then
        port=$n
        break
    fi
done

if [[ $display -eq 0 ]]; then
    if [[ -z "$port" ]]; then
        echo "Every COM port names a device here; there is none left for the simulator." >&2
        exit 1
    fi
    echo "No display: running the scripted demonstration under Xvfb instead."
    shots="$home/screenshots"
    status=0
    xvfb-run -a "$build/tools/kestrim-demo/kestrim-demo" \
        --sim "$build/tools/kestrim-sim/kestrim-sim" --port "$port" --shots "$shots" || status=$?
    echo
    echo "Screenshots: $shots"
    echo "Records:     $home/TempData, index in $home/Ini (simulator log: $home/kestrim-sim.log)"
    exit $status
fi

if [[ $simulate -eq 1 && -n "$port" ]]; then
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

"$build/src/app/kestrim" "$@"
