#!/usr/bin/env bash
# The fuzzers for longer than ./test.sh runs them: SECONDS each (default 1800), side by side.
# New inputs they find stay in build-fuzz/tests/fuzz/<fuzzer>-work/corpus, where the next run
# starts from; copy small, interesting ones into tests/fuzz/seeds/<name> to keep them.
#   tests/fuzz/run-long.sh [SECONDS]
set -euo pipefail
exec "$(dirname "$0")/run-all.sh" "${1:-1800}"
