#!/usr/bin/env bash
# The harness leaves nothing behind: after a run that starts its display, sound server and
# Wine 10 from the runtime root, the host has the same mounts as before and no process of
# that run. Runs its own harness on a scratch Wine prefix, so that it can run beside another.
set -uo pipefail

checkout=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix

mounts() { cut -d' ' -f2,3 /proc/mounts | sort; }
# Processes of this run: its Wine processes carry the scratch prefix in their environment,
# its Xvfb and PulseAudio their state folder on the command line.
processes_of_run() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}; pid=${pid%/environ}
    if tr '\0' '\n' 2>/dev/null <"$environ" | grep -qxF "WINEPREFIX=$prefix" ||
       tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline" | grep -qF "$state_folder"; then
      printf '%s %s\n' "$pid" "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)"
    fi
  done
}

before=$(mounts)
output=$(OSTREL_WINEPREFIX=$prefix TMPDIR=$scratch "$checkout/tools/harness.sh" \
  sh -c 'wine cmd /c echo hello from Wine && wine --version' 2>&1)
status=$?
state_folder=$scratch/ostrel-harness.

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
[ "$status" -eq 0 ] || fail "the harness run failed ($status): $output"
grep -q "hello from Wine" <<<"$output" || fail "Wine did not run: $output"
grep -q "^wine-10" <<<"$output" || fail "not Wine 10: $output"
[ "$(mounts)" = "$before" ] || fail "mounts changed: $(diff <(echo "$before") <(mounts))"
left=$(processes_of_run)
[ -z "$left" ] || fail "processes left behind: $left"
[ -z "$(ls -A "$scratch" | grep ostrel-harness)" ] || fail "the harness's state folder was left"

[ "$failures" -eq 0 ] && echo "harness: Wine 10 ran; no mount or process left behind"
exit "$failures"
