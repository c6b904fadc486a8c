#!/usr/bin/env bash
# Configures and builds the named configurations (native, windows; both by default) in out/.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

for preset in "${@:-native windows}"; do
  for name in $preset; do
    cmake --preset "$name" >/dev/null
    cmake --build --preset "$name"
  done
done
