# Helpers shared by tools/soak.sh and tools/memcheck.sh: a private X server, a private
# settings folder, the built application and its demo payload. Sourced, not run.
#
# The caller sets ROOT (the source tree) and BUILD (the build folder, absolute) first.

set -euo pipefail

APP_DIR=$BUILD/vantoViewer3
APP_BIN=$APP_DIR/bin/vantoViewer3
PAYLOAD=$APP_DIR/vanto-rimal/Payload/Vanto-Rimal3.app
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vv-soak.XXXXXX")
XVFB_PID=
PIDS_TO_STOP=()

say() { echo "[$(basename "$0" .sh)] $*"; }
die() {
  echo "[$(basename "$0" .sh)] FAIL: $*" >&2
  exit 1
}

# Ends the processes this script started, by their ids, then removes the scratch folder.
finish() {
  local status=$?
  local pid
  for pid in "${PIDS_TO_STOP[@]}" $XVFB_PID; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  if [ "${KEEP_WORK:-0}" = 1 ] || [ "$status" -ne 0 ]; then
    say "scratch folder kept: $WORK"
  else
    rm -rf "$WORK"
  fi
  exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM HUP

need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || die "missing \"$tool\" (bash tools/deps.sh installs it)"
  done
}

# Polls a command every 100 ms until it succeeds or `seconds` pass.
wait_until() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# The built binary and the demo payload (made here the way `make payload` makes it).
need_app() {
  [ -x "$APP_BIN" ] || die "no built binary at $APP_BIN (make build, or set the build folder)"
  if [ ! -d "$PAYLOAD" ]; then
    say "making the demo payload in $PAYLOAD"
    rm -rf "$PAYLOAD.partial"
    "$BUILD/tools/make_payload" --out "$PAYLOAD.partial" --resources "$ROOT/Resources" >"$WORK/make_payload.log" 2>&1 ||
      die "make_payload failed: $(cat "$WORK/make_payload.log")"
    mv "$PAYLOAD.partial" "$PAYLOAD"
  fi
}

# A private environment: settings, home and runtime folder of our own, UTC, and no session
# bus (without an address, D-Bus clients in Qt and SDL would fork to start one).
private_env() {
  export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/runtime TZ=UTC
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/no-session-bus
  unset SESSION_MANAGER QT_QPA_PLATFORM FAKETIME_DONT_FAKE_MONOTONIC
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}

# Xvfb on a display it picks itself; exports DISPLAY.
start_x() {
  need Xvfb
  : >"$WORK/display"
  Xvfb -displayfd 3 -screen 0 1280x1100x24 -nolisten tcp -noreset 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  wait_until 10 grep -q '[0-9]' "$WORK/display" || die "Xvfb did not start: $(cat "$WORK/xvfb.log")"
  export DISPLAY=:$(tr -dc 0-9 <"$WORK/display")
}

faketime_lib() {
  local lib
  lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n1)
  [ -n "$lib" ] || die "libfaketime is not installed (bash tools/deps.sh)"
  echo "$lib"
}

# libfaketime keeps a shared-memory clock per process in /dev/shm and removes it only on a
# normal exit (not, for instance, under valgrind).
drop_faketime_shm() { rm -f "/dev/shm/faketime_shm_$1" "/dev/shm/sem.faketime_sem_$1"; }

# Resident memory of a process in KiB.
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }

# A finished child still answers kill -0 as a zombie; /proc tells it apart.
gone() { [ ! -e "/proc/$1" ] || grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }
