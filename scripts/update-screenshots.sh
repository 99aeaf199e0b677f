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

# The history picture lists the recorded days: two earlier days of a screening desk (COM1, a
# reading every few minutes, a fever now and then) lie in the scratch folder before the
# demonstration records today's readings.
earlier_day() { # earlier_day <days ago> <port>
    local day month year
    day=$(date -d "-$1 days" +%Y%m%d)
    year=${day:0:4}
    month=${day:4:2}
    mkdir -p "TempData/$year/$month"
    awk -v seed="$1" 'BEGIN {
        srand(seed); n = 0
        for (m = 8 * 60; m <= 16 * 60; m += 4 + int(rand() * 6)) {
            t = 36.2 + rand() * 0.7; fever = rand() < 0.04
            if (fever) t = 37.6 + rand() * 1.0
            line = sprintf("%d,%02d:%02d:%02d,%.1fC,23.%dC", ++n, m / 60, m % 60, int(rand() * 60), t, int(rand() * 9))
            printf "%s\r\n", line > "day"
            if (fever) printf "%s\r\n", line > "warning"
        }
    }'
    mv day "TempData/$year/$month/$day-$(printf %02d "$2").txt"
    [[ -f warning ]] && mv warning "TempData/$year/$month/$day-warning.txt"
    return 0
}
earlier_day 1 1
earlier_day 2 1

QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='kestrim.*.info=false' \
    "$build/tools/kestrim-demo/kestrim-demo" --sim "$build/tools/kestrim-sim/kestrim-sim" \
    --shots "$root/docs" >/dev/null
echo "Pictures written to $root/docs"
