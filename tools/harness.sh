#!/usr/bin/env bash
# Runs a command inside a private world for the Windows program: its own Xvfb display, its
# own PulseAudio server with a null sink (real-time playback, no sound card needed), and a
# Wine prefix of its own under out/. Wine is Wine 10 from the Debian 13 runtime root that
# tools/bootstrap.sh makes: the command finds `wine`, `wineserver` and `wineboot` on its PATH
# as commands that run inside the root (tools/in-root). Every service it starts is stopped by
# its process id when the command ends, whether it passed or failed. Nothing of the user's is
# touched: HOME and XDG_RUNTIME_DIR point into a temporary folder for the duration.
#
#   tools/harness.sh [--user-session] COMMAND [ARGS...]
#
# The command sees DISPLAY, PULSE_SERVER, WINEPREFIX and OSTREL_HARNESS=1. With
# --user-session the user's own display and sound are used instead (only Wine is private).
# Windows programs draw with Wine's own Direct3D 11; OSTREL_D3D=dxvk, for the whole command
# or for one program, gives them DXVK's instead (tools/lib/wine-d3d).
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The runtime root is found through the real HOME, before it is replaced below.
# shellcheck source=lib/runtime-root.sh
. "$root/tools/lib/runtime-root.sh"
export OSTREL_DEPS=$ostrel_deps
prefix=${OSTREL_WINEPREFIX:-$root/out/wine10-prefix}
state=$(mktemp -d "${TMPDIR:-/tmp}/ostrel-harness.XXXXXX")
pids=()

say() { printf 'harness: %s\n' "$*" >&2; }

# Wine's service processes (services.exe, winedevice.exe, ...) outlive a killed server now
# and then; they are found by the prefix in their environment.
kill_wine_processes_of_prefix() {
  local prefix=$1 environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}; pid=${pid%/environ}
    if tr '\0' '\n' 2>/dev/null <"$environ" | grep -qxF "WINEPREFIX=$prefix"; then
      kill -9 "$pid" 2>/dev/null
    fi
  done
}

stop_wine_of_prefix() {
  WINEPREFIX=$1 wineserver -k >/dev/null 2>&1
  WINEPREFIX=$1 timeout 10 wineserver -w >/dev/null 2>&1
  kill_wine_processes_of_prefix "$1"
}

stop_services() {
  # Wine first (its processes talk to X and PulseAudio), then the services, newest first.
  if [ -n "${wineserver_pid:-}" ]; then
    stop_wine_of_prefix "$prefix"
    [ -d "$OSTREL_DXVK_PREFIX" ] && stop_wine_of_prefix "$OSTREL_DXVK_PREFIX"
  fi
  local index
  for ((index = ${#pids[@]} - 1; index >= 0; index--)); do
    kill "${pids[index]}" 2>/dev/null
  done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$state"
}
trap stop_services EXIT
trap 'exit 130' INT TERM

wait_until() {
  local what=$1; shift
  for _ in $(seq 100); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  say "$what did not come up"
  exit 1
}

start_display() {
  exec 3>"$state/display"
  setpriv --pdeathsig KILL Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset >"$state/xvfb.log" 2>&1 &
  pids+=($!)
  exec 3>&-
  wait_until "Xvfb" test -s "$state/display"
  export DISPLAY=":$(head -n 1 "$state/display")"
  wait_until "the X display $DISPLAY" xdpyinfo
}

start_sound() {
  local socket=$state/pulse/native
  mkdir -p "$state/pulse"
  setpriv --pdeathsig KILL pulseaudio --daemonize=no -n --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    --system=no --log-target=file:"$state/pulseaudio.log" \
    --load="module-null-sink sink_name=ostrel_null sink_properties=device.description=Null" \
    --load="module-native-protocol-unix socket=$socket auth-anonymous=1" &
  pids+=($!)
  export PULSE_SERVER=unix:$socket
  wait_until "PulseAudio" pactl info
  pactl set-default-sink ostrel_null
}

# Wine's commands, run inside the runtime root; `wine` with the Direct3D 11 of OSTREL_D3D.
put_wine_on_path() {
  local command
  mkdir -p "$state/bin"
  for command in wineserver wineboot; do
    printf '#!/bin/sh\nexec "%s/tools/in-root" %s "$@"\n' "$root" "$command" >"$state/bin/$command"
  done
  printf '#!/bin/sh\nexec "%s/tools/lib/wine-d3d" "$@"\n' "$root" >"$state/bin/wine"
  chmod +x "$state/bin/"*
  export PATH=$state/bin:$PATH OSTREL_DXVK_FOLDERS=$state/dxvk OSTREL_DXVK_PREFIX=$prefix-dxvk
}

start_wine() {
  put_wine_on_path
  export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
  # No Mono or Gecko: the program needs neither, and asking for them would stall set-up. No
  # debugger either: a program that crashes ends at once, with its code, rather than waiting
  # on a debugger nobody is at.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  if [ ! -f "$prefix/.ready" ]; then
    say "creating the Wine prefix $prefix"
    rm -rf "$prefix" && mkdir -p "$(dirname "$prefix")"
    timeout 300 wineboot -i >"$state/wineboot.log" 2>&1 || { cat "$state/wineboot.log" >&2; exit 1; }
    wineserver -w
    touch "$prefix/.ready"
  fi
  # One server for the whole run, so each test does not pay for starting Wine afresh.
  setpriv --pdeathsig KILL wineserver -f -p >"$state/wineserver.log" 2>&1 &
  wineserver_pid=$!
  pids+=("$wineserver_pid")
}

if [ "${1:-}" = --user-session ]; then
  shift
else
  export HOME=$state/home XDG_RUNTIME_DIR=$state/runtime
  mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  start_display
  start_sound
fi
start_wine
export OSTREL_HARNESS=1

"$@"
