#!/usr/bin/env bash
# The set-up's helpers that return a value on standard output print nothing else there, also
# on a machine's first run, when unpacking a source package first enables Debian's source
# lists and updates them. Runs the helpers against an empty scratch cache and an absent
# source list, with apt-get and dpkg-source replaced by stand-ins that are as noisy on
# standard output as the real ones.
set -euo pipefail

checkout=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export OSTREL_DEPS=$scratch/deps OSTREL_SOURCE_LIST=$scratch/sources.list.d/ostrel-deb-src.sources
mkdir -p "$scratch/sources.list.d"

# shellcheck source=../../tools/bootstrap.sh
. "$checkout/tools/bootstrap.sh"
set +e  # the checks below report failures themselves

as_root() { "$@"; }
apt-get() {
  echo "Hit:1 http://deb.debian.org/debian bookworm InRelease"
  echo "Reading package lists..."
  if [ "$1" = source ]; then touch "zlib_1.2.13.dfsg-1.dsc"; fi
}
dpkg-source() {
  echo "dpkg-source: info: extracting zlib in tree"
  mkdir -p tree/contrib/minizip
}

failures=0
check() {
  local what=$1 expected=$2 actual=$3
  if [ "$expected" != "$actual" ]; then
    printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$what" "$expected" "$actual"
    failures=$((failures + 1))
  fi
}

expected=$OSTREL_DEPS/src/zlib_1.2.13.dfsg-1/tree
first=$(unpack_source zlib 1:1.2.13.dfsg-1 2>/dev/null)
check "first run: the path alone on standard output" "$expected" "$first"
[ -f "$OSTREL_SOURCE_LIST" ] || { echo "FAIL: the source list was not written"; failures=$((failures + 1)); }
again=$(unpack_source zlib 1:1.2.13.dfsg-1 2>/dev/null)
check "second run: the same path from the cache" "$expected" "$again"
check "prefix_of names a keyed folder" "$OSTREL_DEPS/mingw/minizip-1.2.13.dfsg-1-r$recipe" \
  "$(prefix_of minizip 1:1.2.13.dfsg-1 2>/dev/null)"

[ "$failures" -eq 0 ] && echo "source unpacking: the path alone on standard output"
exit "$failures"
