#!/usr/bin/env bash
# Runs every test of the project with one summary: prepares the machine if needed, builds
# the native configuration (portable core under ASan and UBSan) and the Windows one, then
# runs both test sets inside the harness (own display, sound server and Wine prefix).
# Arguments go to ctest, e.g. tools/test.sh -R Resources
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/bootstrap.sh
tools/build.sh native windows

# One CTest tree over both builds, so one run reports one summary.
cat >out/CTestTestfile.cmake <<'TESTS'
subdirs("native" "windows")
TESTS

exec tools/harness.sh ctest --test-dir out --output-on-failure -j 2 "$@"
