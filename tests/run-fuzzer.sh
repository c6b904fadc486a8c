#!/usr/bin/env bash
# Runs a libFuzzer target for a bounded time over a copy of its seed corpus (libFuzzer adds
# what it finds to the copy, never to the committed seeds). Fails when the fuzzer finds a
# crash, a leak, undefined behaviour or an input that takes too long.
#   run-fuzzer.sh FUZZER SEED_DIR WORK_DIR SECONDS [LIBFUZZER_OPTION...]
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4
shift 4
rm -rf "$work"
mkdir -p "$work/corpus"
cp "$seeds"/* "$work/corpus/"
cd "$work"
exec "$fuzzer" corpus -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$@"
