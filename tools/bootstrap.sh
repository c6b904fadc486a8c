#!/usr/bin/env bash
# Prepares this machine (Debian 12, x86-64) to build and test the production: installs the
# Debian packages it needs and builds the compiled Windows dependencies from Debian's own
# source packages into a cache outside the checkout. Idempotent: a second run only checks.
#
# The cache lives in $OSTREL_DEPS (default ~/.cache/ostrel-deps); each library is built
# into a folder keyed by its Debian version and by this script's recipe revision, and the
# CMake project reads their locations from $OSTREL_DEPS/deps.cmake and ogg-vorbis.cmake.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=lib/runtime-root.sh
. "$root/tools/lib/runtime-root.sh"
deps=$ostrel_deps
toolchain=$root/cmake/mingw-w64.cmake
jobs=$(nproc)

# Bump when a recipe below changes, so every cached build is made again.
recipe=1

assimp_version=5.2.5~ds0-1
imgui_version=1.86+ds-1
zlib_version=1:1.2.13.dfsg-1
ogg_version=1.3.5-3
vorbis_version=1.3.7-1
# Bump with the fixes in tools/patches/libvorbis, so that the cache builds libvorbis again.
vorbis_fixes=2

packages=(
  # toolchains and build tools
  build-essential cmake ninja-build pkg-config dpkg-dev
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
  clang-14 libclang-rt-14-dev
  # the Ogg Vorbis decoder of the native build
  libogg-dev libvorbis-dev
  # header-only libraries, used by both builds
  libspdlog-dev libfmt-dev libcereal-dev rapidjson-dev libstb-dev libutfcpp-dev libgtest-dev
  # the Debian 13 root that runs the Windows program, and the display, sound server and
  # tools that observe it from the host
  debootstrap bubblewrap xvfb xauth x11-utils xdotool imagemagick pulseaudio pulseaudio-utils
  # independent readers and content tools
  python3 python3-mido assimp-utils
  # real MIDI files from another author, read by the MIDI reader tests; the tools that
  # check the song and remake the tests' audio files
  planetblupi-music-midi sox vorbis-tools
  # the timeline picture of timeline-check: its font and the font rasteriser
  fonts-dejavu-core libfreetype-dev
  # demo-capture's video encoder and muxer, and the reader its tests check the files with
  ffmpeg
)

log() { printf '\033[1mbootstrap:\033[0m %s\n' "$*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
  local package status
  for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || printf '%s\n' "$package"
  done
}

install_packages() {
  local missing
  missing=$(missing_packages)
  if [ -z "$missing" ]; then
    log "Debian packages present"
    return
  fi
  log "installing Debian packages:" $missing
  as_root apt-get update -q
  # shellcheck disable=SC2086
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

# apt-get source needs source entries; copy the machine's main pocket (not security, whose
# sources are not served) as a deb-src list once.
enable_source_packages() {
  local list=${OSTREL_SOURCE_LIST:-/etc/apt/sources.list.d/ostrel-deb-src.sources}
  [ -f "$list" ] && return
  log "enabling Debian source packages"
  awk 'BEGIN { RS=""; ORS="\n\n" } !/security/ { sub(/Types: deb/, "Types: deb-src"); print }' \
    /etc/apt/sources.list.d/debian.sources | as_root tee "$list" >/dev/null
  as_root apt-get update -q >&2
}

# Unpacks a Debian source package at an exact version into $deps/src; patches are applied
# by the recipes, not by dpkg-source, so that only the ones we choose are used.
# Its standard output is the path alone: everything the work prints goes to standard error.
unpack_source() {
  local package=$1 version=$2
  local dir="$deps/src/${package}_${version#*:}"
  if [ ! -f "$dir/.unpacked" ]; then
    fetch_source "$package" "$version" "$dir" >&2
  fi
  printf '%s\n' "$dir/tree"
}

fetch_source() {
  local package=$1 version=$2 dir=$3
  enable_source_packages
  rm -rf "$dir" && mkdir -p "$dir"
  (cd "$dir" && apt-get source -q --download-only "$package=$version" >/dev/null 2>&1 ||
    { echo "apt-get source $package=$version failed" >&2; exit 1; })
  (cd "$dir" && dpkg-source --skip-patches -x ./*.dsc tree >/dev/null 2>&1)
  touch "$dir/.unpacked"
}

prefix_of() { printf '%s\n' "$deps/mingw/$1-${2#*:}-r$recipe"; }
is_built() { [ -f "$1/.built" ]; }

# Only the header folders we use, so the cross compiler never sees the rest of /usr/include.
link_debian_headers() {
  local dir=$deps/debian-include
  mkdir -p "$dir"
  ln -sfn /usr/include/spdlog "$dir/spdlog"
  ln -sfn /usr/include/fmt "$dir/fmt"
  ln -sfn /usr/include/cereal "$dir/cereal"
  ln -sfn /usr/include/rapidjson "$dir/rapidjson"
  ln -sfn /usr/include/stb "$dir/stb"
  ln -sfn /usr/include/utf8cpp/utf8.h "$dir/utf8.h"
  ln -sfn /usr/include/utf8cpp/utf8 "$dir/utf8"
}

build_minizip() {
  local prefix; prefix=$(prefix_of minizip "$zlib_version")
  is_built "$prefix" && return
  log "building minizip $zlib_version for MinGW"
  local source; source=$(unpack_source zlib "$zlib_version")/contrib/minizip
  local work; work=$(mktemp -d)
  for file in ioapi unzip zip iowin32 mztools; do
    x86_64-w64-mingw32-gcc-posix -O2 -c "$source/$file.c" -o "$work/$file.o"
  done
  rm -rf "$prefix" && mkdir -p "$prefix/lib/pkgconfig" "$prefix/include/minizip"
  x86_64-w64-mingw32-gcc-ar-posix rcs "$prefix/lib/libminizip.a" "$work"/*.o
  cp "$source"/{ioapi,unzip,zip,iowin32,mztools,crypt}.h "$prefix/include/minizip/"
  cat >"$prefix/lib/pkgconfig/minizip.pc" <<EOF
prefix=$prefix
Name: minizip
Description: zip and unzip on zlib, built from Debian's zlib source
Version: ${zlib_version#*:}
Libs: -L\${prefix}/lib -lminizip -lz
Cflags: -I\${prefix}/include/minizip
EOF
  rm -rf "$work"
  touch "$prefix/.built"
}

# A copy of a Debian source package's tree in a fresh folder, with the patches of its series
# and then our own fixes (tools/patches/PACKAGE); the unpacked source stays as Debian ships it.
patched_copy() {
  local package=$1 source=$2 copy=$3 patch
  rm -rf "$copy" && cp -a "$source" "$copy"
  if [ -f "$copy/debian/patches/series" ]; then
    while read -r patch _; do
      case $patch in '' | '#'*) continue ;; esac
      patch -d "$copy" -p1 -s <"$copy/debian/patches/$patch" >&2
    done <"$copy/debian/patches/series"
  fi
  for patch in "$root/tools/patches/$package"/*.patch; do
    if [ -f "$patch" ]; then patch -d "$copy" -p1 -s <"$patch" >&2; fi
  done
}

# The Ogg fuzzer's copies of the decoder, built with clang, its coverage instrumentation and
# the sanitizers, so that the fuzzer sees inside the decoder and not only our side of it.
fuzz_prefix_of() { printf '%s\n' "$deps/fuzz/$1-${2#*:}-r$recipe"; }

# What configures a CMake build of one variant: the Windows program's, or the fuzzer's. The
# fuzzer's counts coverage without tracing comparisons, which would make each input about
# three times as slow in the bit reader and the codebook set-up (the page checksums that
# tracing would help to pass are mended by the fuzzer's mutator). It leaves out one check,
# shift-base: libogg's bit reader shifts bytes into the sign bit of an int on every file,
# which GCC (the Windows program's compiler) defines.
variant_cmake_arguments() {
  case $1 in
    mingw) printf '%s\n' "-DCMAKE_TOOLCHAIN_FILE=$toolchain" -DCMAKE_BUILD_TYPE=Release ;;
    fuzz)
      local flags="-O1 -fno-omit-frame-pointer -fsanitize=address,undefined"
      flags+=" -fsanitize-coverage=inline-8bit-counters,indirect-calls,pc-table"
      flags+=" -fno-sanitize=shift-base -fno-sanitize-recover=undefined"
      printf '%s\n' -DCMAKE_C_COMPILER=clang-14 -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_C_FLAGS=$flags" ;;
  esac
}

# Configures, builds and installs a static library with its own CMake files; its output goes
# to a log, whose end is shown when a step fails.
cmake_build_static() {
  local name=$1 source=$2 prefix=$3; shift 3
  local build=$deps/build/$name build_log=$deps/build/$name.log
  rm -rf "$build" "$prefix"
  { cmake -S "$source" -B "$build" -G Ninja -Wno-dev -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DBUILD_SHARED_LIBS=OFF "$@" &&
    cmake --build "$build" -j "$jobs" &&
    cmake --install "$build"; } >"$build_log" 2>&1 ||
    { tail -30 "$build_log" >&2; exit 1; }
  rm -rf "$build"
  touch "$prefix/.built"
}

# libogg and libvorbis (with vorbisfile) from Debian's sources with Debian's patches and our
# fixes, for one variant: mingw (the Windows program) or fuzz (the Ogg fuzzer). libvorbis is
# given the Ogg library explicitly: the MinGW toolchain file looks only in the MinGW sysroot.
build_ogg_vorbis() {
  local variant=$1 prefix_function=prefix_of
  [ "$variant" = fuzz ] && prefix_function=fuzz_prefix_of
  local ogg vorbis arguments source
  ogg=$($prefix_function ogg "$ogg_version")
  vorbis=$($prefix_function vorbis "$vorbis_version+fix$vorbis_fixes")
  mapfile -t arguments < <(variant_cmake_arguments "$variant")
  if ! is_built "$ogg"; then
    log "building libogg $ogg_version ($variant)"
    source=$(unpack_source libogg "$ogg_version")
    patched_copy libogg "$source" "$deps/build/ogg-$variant-source"
    cmake_build_static "ogg-$variant" "$deps/build/ogg-$variant-source" "$ogg" "${arguments[@]}" \
      -DINSTALL_DOCS=OFF -DINSTALL_PKG_CONFIG_MODULE=OFF
    rm -rf "$deps/build/ogg-$variant-source"
  fi
  if ! is_built "$vorbis"; then
    log "building libvorbis $vorbis_version with our fixes ($variant)"
    source=$(unpack_source libvorbis "$vorbis_version")
    patched_copy libvorbis "$source" "$deps/build/vorbis-$variant-source"
    cmake_build_static "vorbis-$variant" "$deps/build/vorbis-$variant-source" "$vorbis" \
      "${arguments[@]}" -DOGG_INCLUDE_DIR="$ogg/include" -DOGG_LIBRARY="$ogg/lib/libogg.a"
    rm -rf "$deps/build/vorbis-$variant-source"
  fi
}

# Where the Ogg libraries live, in a list of their own beside deps.cmake.
write_ogg_vorbis_list() {
  local file=$deps/ogg-vorbis.cmake
  cat >"$file.new" <<EOF
# Written by tools/bootstrap.sh: libogg and libvorbis for the Windows build and the Ogg fuzzer.
set(OSTREL_OGG_PREFIX "$(prefix_of ogg "$ogg_version")")
set(OSTREL_VORBIS_PREFIX "$(prefix_of vorbis "$vorbis_version+fix$vorbis_fixes")")
set(OSTREL_FUZZ_OGG_PREFIX "$(fuzz_prefix_of ogg "$ogg_version")")
set(OSTREL_FUZZ_VORBIS_PREFIX "$(fuzz_prefix_of vorbis "$vorbis_version+fix$vorbis_fixes")")
EOF
  mv "$file.new" "$file"
}

build_assimp() {
  local prefix; prefix=$(prefix_of assimp "$assimp_version")
  is_built "$prefix" && return
  log "building assimp $assimp_version (Collada importer only) for MinGW"
  local source; source=$(unpack_source assimp "$assimp_version")
  if [ ! -f "$source/.patched" ]; then
    # Debian's draco patch would make draco mandatory; the two below only point at
    # Debian's stb and utfcpp.
    for patch in use-system-stb_image use-system-utf8cpp; do
      patch -d "$source" -p1 -s <"$source/debian/patches/$patch.patch"
    done
    touch "$source/.patched"
  fi
  local build=$deps/build/assimp
  rm -rf "$build"
  PKG_CONFIG_LIBDIR=$(prefix_of minizip "$zlib_version")/lib/pkgconfig \
  cmake -S "$source" -B "$build" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_CXX_FLAGS="-I$deps/debian-include" -DCMAKE_C_FLAGS="-I$deps/debian-include" \
    -DBUILD_SHARED_LIBS=OFF \
    -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_COLLADA_IMPORTER=ON \
    -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_ALL_EXPORTERS_BY_DEFAULT=OFF \
    -DASSIMP_BUILD_TESTS=OFF -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_SAMPLES=OFF \
    -DASSIMP_BUILD_ZLIB=OFF -DASSIMP_WARNINGS_AS_ERRORS=OFF -DASSIMP_INSTALL_PDB=OFF \
    -DASSIMP_BUILD_DRACO=OFF >"$deps/build/assimp.log" 2>&1 ||
    { tail -30 "$deps/build/assimp.log"; exit 1; }
  cmake --build "$build" -j "$jobs" >>"$deps/build/assimp.log" 2>&1 ||
    { tail -30 "$deps/build/assimp.log"; exit 1; }
  cmake --install "$build" >/dev/null
  rm -rf "$build"
  touch "$prefix/.built"
}

build_imgui() {
  local prefix; prefix=$(prefix_of imgui "$imgui_version")
  is_built "$prefix" && return
  log "building Dear ImGui $imgui_version with its Win32 and Direct3D 11 backends for MinGW"
  local source; source=$(unpack_source imgui "$imgui_version")
  local work; work=$(mktemp -d)
  local file
  for file in imgui imgui_draw imgui_tables imgui_widgets backends/imgui_impl_win32 \
              backends/imgui_impl_dx11; do
    x86_64-w64-mingw32-g++-posix -O2 -w -std=c++17 -I"$source" -c "$source/$file.cpp" \
      -o "$work/$(basename "$file").o"
  done
  rm -rf "$prefix" && mkdir -p "$prefix/lib" "$prefix/include/imgui"
  x86_64-w64-mingw32-gcc-ar-posix rcs "$prefix/lib/libimgui.a" "$work"/*.o
  cp "$source"/{imgui.h,imconfig.h,imgui_internal.h,imstb_textedit.h} \
     "$source"/backends/imgui_impl_{win32,dx11}.h "$prefix/include/imgui/"
  rm -rf "$work"
  touch "$prefix/.built"
}

build_googletest() {
  local version; version=$(dpkg-query -W -f='${Version}' googletest)
  local prefix; prefix=$(prefix_of googletest "$version")
  is_built "$prefix" && return
  log "building GoogleTest $version for MinGW"
  local build=$deps/build/googletest
  rm -rf "$build"
  cmake -S /usr/src/googletest -B "$build" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" >"$deps/build/googletest.log" 2>&1
  cmake --build "$build" -j "$jobs" >>"$deps/build/googletest.log" 2>&1 ||
    { tail -30 "$deps/build/googletest.log"; exit 1; }
  cmake --install "$build" >/dev/null
  rm -rf "$build"
  touch "$prefix/.built"
}

# The first Debian mirror this machine uses, for the root's own package lists.
debian_mirror() {
  local uri
  uri=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null)
  [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $0 !~ /security/ { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
  printf '%s\n' "${uri:-http://deb.debian.org/debian}"
}

# Runs a command inside the root being made, as root, with the network of the host.
in_new_root() {
  as_root bwrap --bind "$runtime_root" / --proc /proc --dev-bind /dev /dev \
    --ro-bind /etc/resolv.conf /etc/resolv.conf --setenv DEBIAN_FRONTEND noninteractive "$@"
}

make_runtime_root() {
  [ -f "$runtime_root/.ready" ] && return
  log "making the Debian 13 runtime root (Wine 10, Mesa, DXVK; about 2 GB, a few minutes) in $runtime_root"
  local build_log=$deps/build/runtime-root.log
  as_root rm -rf "$runtime_root"
  mkdir -p "$(dirname "$runtime_root")"
  as_root debootstrap --variant=minbase --include=ca-certificates "$runtime_suite" \
    "$runtime_root" "$(debian_mirror)" >"$build_log" 2>&1 ||
    { tail -30 "$build_log" >&2; exit 1; }
  { in_new_root apt-get update -q &&
    in_new_root apt-get install -y -q --no-install-recommends "${runtime_packages[@]}" &&
    in_new_root apt-get clean; } >>"$build_log" 2>&1 ||
    { tail -30 "$build_log" >&2; exit 1; }
  as_root touch "$runtime_root/.ready"
  log "runtime root ready: $(du -sh "$runtime_root" 2>/dev/null | cut -f1) in $runtime_root;" \
      "remove it with: rm -rf $runtime_root"
}

write_dependency_list() {
  local file=$deps/deps.cmake
  cat >"$file.new" <<EOF
# Written by tools/bootstrap.sh: where the dependencies of the Windows build live.
set(OSTREL_DEBIAN_INCLUDE "$deps/debian-include")
set(OSTREL_ASSIMP_PREFIX "$(prefix_of assimp "$assimp_version")")
set(OSTREL_MINIZIP_PREFIX "$(prefix_of minizip "$zlib_version")")
set(OSTREL_IMGUI_PREFIX "$(prefix_of imgui "$imgui_version")")
set(OSTREL_GOOGLETEST_PREFIX "$(prefix_of googletest "$(dpkg-query -W -f='${Version}' googletest)")")
EOF
  mv "$file.new" "$file"
}

main() {
  install_packages
  mkdir -p "$deps/build" "$deps/src" "$deps/mingw"
  link_debian_headers
  build_minizip
  build_ogg_vorbis mingw
  build_ogg_vorbis fuzz
  write_ogg_vorbis_list
  build_assimp
  build_imgui
  build_googletest
  make_runtime_root
  write_dependency_list
  log "dependencies ready in $deps"
}

# Sourced by the set-up's own tests for its functions; run, it does the work.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  main "$@"
fi
