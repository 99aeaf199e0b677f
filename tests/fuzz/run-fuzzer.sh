#!/usr/bin/env bash
# Runs one libFuzzer target on its seeds; exits non-zero when it finds a fault.
#   run-fuzzer.sh <fuzzer> <seed folder> <work folder> [libFuzzer options, e.g. -max_total_time=20]
# New inputs go to <work folder>/corpus (kept from run to run; the seeds are never written),
# an input that fails to <work folder>/crash-… (reproduce: <fuzzer> <that file>).
set -euo pipefail
if [[ $# -lt 3 ]]; then
    echo "usage: $0 <fuzzer> <seed folder> <work folder> [libFuzzer options]" >&2
    exit 2
fi
fuzzer=$1
seeds=$(cd "$2" && pwd) # absolute: a fuzzer may change its working folder
mkdir -p "$3/corpus"
work=$(cd "$3" && pwd)
shift 3

# libFuzzer writes new inputs into the first folder: the scratch corpus, then the seeds.
exec "$fuzzer" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/" "$@" "$work/corpus" "$seeds"
