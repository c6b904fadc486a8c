#!/usr/bin/env bash
# Captures the production to a video with its music, frame by frame at a fixed step: builds
# demo-capture if needed and runs tools/capture/capture.py inside tools/harness.sh (its own
# display for the window; no sound card is needed).
#
#   tools/capture.sh out/quorvel.mp4                               # the whole production, 1080p60
#   tools/capture.sh --size 640x360 --from 25 --to 35 out/buildup.mp4
#   tools/capture.sh --from 28 --to 29 --hashes out/hashes.csv     # hashes only
#
# tools/capture.sh --help lists the options. Run tools/bootstrap.sh once before (ffmpeg, the
# Windows dependencies, the runtime root that Wine runs from).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Paths on the command line stay relative to the caller's folder.
(cd "$root" && cmake --preset windows >/dev/null &&
  cmake --build --preset windows --target demo-capture >/dev/null)
exec "$root/tools/harness.sh" /usr/bin/python3 -B "$root/tools/capture/capture.py" "$@"
