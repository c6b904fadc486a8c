#!/usr/bin/env bash
# Plays the production installed in out/dist under Wine (inside tools/harness.sh) and exits
# with its exit code. --press-run presses the setup dialog's default button once it shows.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root/out/dist"

wine demo.exe >"$root/out/dist/wine-output.txt" 2>&1 &
program=$!

if [ "${1:-}" = --press-run ]; then
  for _ in $(seq 300); do
    kill -0 "$program" 2>/dev/null || break
    dialog=$(xdotool search --onlyvisible --name '^Quorvel feat. Tessane$' 2>/dev/null | head -n 1)
    if [ -n "$dialog" ]; then
      xdotool windowfocus --sync "$dialog" key Return
      echo "Pressed Run in the setup dialog."
      break
    fi
    sleep 0.2
  done
fi

wait "$program"
status=$?
echo "The production ended with exit code $status."
exit $status
