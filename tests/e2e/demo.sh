#!/usr/bin/env bash
# The scripted demonstration that ./run.sh runs without a display: it must get through every
# step and leave its pictures and the day's files behind.
#   demo.sh <kestrim-demo> <kestrim-sim>
set -euo pipefail
demo=$1
sim=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

QT_QPA_PLATFORM=offscreen "$demo" --sim "$sim" --port 4 --shots shots >demo.log 2>&1 || {
    cat demo.log
    echo "the demonstration failed" >&2
    exit 1
}
for picture in reading-normal reading-abnormal chinese delete-data history history-chinese; do
    [[ -s "shots/$picture.png" ]] || { echo "no picture $picture.png" >&2; exit 1; }
done
day=$(find TempData -name '*-04.txt')
[[ $(grep -c . "$day") -eq 5 ]] || { echo "the day file $day does not hold 5 readings" >&2; exit 1; }
grep -q ',37.9C,' TempData/*/*/*-warning.txt || { echo "the abnormal reading is not in the warning file" >&2; exit 1; }
grep -q 'TOTAL_NUM=5' Ini/*.ini || { echo "the index does not count 5" >&2; exit 1; }
[[ -s demo-export.csv ]] || { echo "nothing exported" >&2; exit 1; }
echo "demonstration complete"
