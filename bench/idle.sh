#!/usr/bin/env bash
# What the running program costs while it waits: the real kestrim, connected through Ports/com1
# to kestrim-sim (an R9 Pro that sends nothing by itself), on the offscreen platform, left alone
# for SECONDS (default 30) after it has settled. Reports the CPU it used (/proc/<pid>/stat, and
# the nanoseconds of /proc/<pid>/task/*/schedstat) and, per thread, how often it woke up
# (voluntary context switches: it had blocked, then ran again).
#   bench/idle.sh [BUILD] [SECONDS]     BUILD defaults to build-release
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-release}" && pwd)
seconds=${2:-30}
kestrim="$build/src/app/kestrim"
sim="$build/tools/kestrim-sim/kestrim-sim"
for program in "$kestrim" "$sim"; do
    [[ -x "$program" ]] || { echo "$program is not built" >&2; exit 1; }
done

work=$(mktemp -d)
sim_pid=
kestrim_pid=
cleanup() {
    local pid
    for pid in $kestrim_pid $sim_pid; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$sim" --model r9pro --mode body --link "$work/Ports/com1" >"$work/sim.out" 2>"$work/sim.log" &
sim_pid=$!
for _ in $(seq 50); do [[ -L "$work/Ports/com1" ]] && break; sleep 0.1; done
(cd "$work" && QT_QPA_PLATFORM=offscreen exec "$kestrim" --port COM1 --connect) \
    >"$work/kestrim.out" 2>"$work/kestrim.log" &
kestrim_pid=$!
# Connected once the simulator has sent its settings report.
for _ in $(seq 100); do grep -q '^tx 55 AA 0D 01' "$work/sim.log" && break; sleep 0.1; done
if ! grep -q '^tx 55 AA 0D 01' "$work/sim.log"; then
    echo "kestrim did not connect; its log:" >&2
    cat "$work/kestrim.log" >&2
    exit 1
fi
sleep 5 # the connection sentence, the speech engine's start, the first environment query

# "tid name voluntary nonvoluntary run_ns" for every thread of the program.
threads() {
    local task name voluntary nonvoluntary run
    for task in /proc/"$kestrim_pid"/task/*; do
        name=$(cat "$task/comm" 2>/dev/null) || continue
        voluntary=$(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null) || continue
        nonvoluntary=$(awk '/^nonvoluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null) || continue
        run=$(awk '{print $1}' "$task/schedstat" 2>/dev/null || echo 0)
        echo "${task##*/} ${name// /_} $voluntary $nonvoluntary $run"
    done
}
# utime + stime of the whole process, in clock ticks.
ticks() { awk '{print $14 + $15}' /proc/"$kestrim_pid"/stat; }

before_ticks=$(ticks)
threads >"$work/before"
sleep "$seconds"
after_ticks=$(ticks)
threads >"$work/after"
kill -0 "$kestrim_pid" 2>/dev/null || { echo "kestrim ended while measured" >&2; exit 1; }

hz=$(getconf CLK_TCK)
echo "kestrim, connected and idle for $seconds s (pid $kestrim_pid, $(nproc) cores):"
awk -v s="$seconds" -v dt="$((after_ticks - before_ticks))" -v hz="$hz" '
    NR == FNR { v[$1] = $3; nv[$1] = $4; run[$1] = $5; next }
    {
        dv = $3 - v[$1]; dnv = $4 - nv[$1]; drun = $5 - run[$1]
        if (!($1 in v)) { dv = $3; dnv = $4; drun = $5 }
        printf "  thread %-7s %-16s %7.2f wake-ups/s  %5.2f preempted/s  %8.3f ms CPU\n",
            $1, $2, dv / s, dnv / s, drun / 1e6
        total_v += dv; total_run += drun
    }
    END {
        printf "  all threads: %.2f wake-ups/s; CPU %.4f %% of a core (schedstat), %.3f %% (stat, %d ticks of 1/%d s)\n",
            total_v / s, total_run / 1e9 / s * 100, dt / hz / s * 100, dt, hz
    }' "$work/before" "$work/after"
