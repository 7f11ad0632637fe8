# Shell helpers shared by the end-to-end tests (tests/e2e/lib.sh), the simulated day
# (tools/soak.sh) and the memory check (tools/memcheck.sh): a scratch folder, a private
# environment, a private X server, libfaketime, waiting on a condition, and an exit that ends
# every process the script started and removes the scratch folder. Sourced, not run.
#
# The sourcing script defines fail MESSAGE (report, then exit 1). It may start processes of
# its own: APP_PID (the clock) and those in STOP_PIDS are ended at exit, before Xvfb.
# The scratch folder stays after a failure, or always with KEEP_SCRATCH=1.

HARNESS_NAME=$(basename "$0" .sh)
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/vv-$HARNESS_NAME.XXXXXX")
APP_PID=
XVFB_PID=
STOP_PIDS=()

need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || fail "missing tool \"$tool\" (bash tools/deps.sh test soak installs it)"
  done
}

# Polls a command every 50 ms until it succeeds or `seconds` pass. Status 1 on timeout.
wait_until() {
  local seconds=$1
  shift
  local deadline=$(($(date +%s%N) + seconds * 1000000000))
  while ! "$@"; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# The parent of a process, from /proc (its name may hold spaces, so after the last ")").
parent_of() { sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f2; }

# A finished child still answers kill -0 as a zombie; /proc tells it apart.
gone() { [ ! -e "/proc/$1" ] || grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }

# Ends one process this script started; a finished one's id may already be someone else's.
stop_pid() {
  local pid=$1
  [ -n "$pid" ] && [ "$(parent_of "$pid")" = "$$" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  wait_until 2 gone "$pid" || kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true  # its status is not ours (and would stop a set -e script)
}

faketime_lib() {
  local lib
  lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n1)
  [ -n "$lib" ] || fail "libfaketime is not installed (bash tools/deps.sh test)"
  echo "$lib"
}

# libfaketime keeps a shared-memory clock per process in /dev/shm and removes it only on a
# normal exit: after a process ended by a signal (or run under valgrind), its files go here.
# drop_faketime_shm [PID]: the clock's (APP_PID) by default.
drop_faketime_shm() {
  local pid=${1:-$APP_PID}
  [ -n "$pid" ] && rm -f "/dev/shm/faketime_shm_$pid" "/dev/shm/sem.faketime_sem_$pid"
  return 0
}

# A private environment: settings, home and runtime folder of our own, UTC, and no session
# bus (without an address, D-Bus clients in Qt and SDL would fork to start one).
private_env() {
  export HOME=$SCRATCH/home XDG_CONFIG_HOME=$SCRATCH/config XDG_RUNTIME_DIR=$SCRATCH/runtime TZ=UTC
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$SCRATCH/no-session-bus
  unset SESSION_MANAGER QT_QPA_PLATFORM FAKETIME_DONT_FAKE_MONOTONIC
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}

# Xvfb on a free display (the server picks it: -displayfd); exports DISPLAY.
start_xvfb() {
  need Xvfb
  : >"$SCRATCH/display"
  Xvfb -displayfd 3 -screen 0 1280x1100x24 -nolisten tcp -noreset 3>"$SCRATCH/display" \
    >"$SCRATCH/xvfb.log" 2>&1 &
  XVFB_PID=$!
  wait_until 10 grep -q '[0-9]' "$SCRATCH/display" || fail "Xvfb did not start: $(cat "$SCRATCH/xvfb.log")"
  export DISPLAY=:$(tr -dc 0-9 <"$SCRATCH/display")
}

harness_exit() {
  local status=$?
  local pid
  stop_pid "$APP_PID"
  drop_faketime_shm "$APP_PID"
  for pid in "${STOP_PIDS[@]}"; do stop_pid "$pid"; done
  stop_pid "$XVFB_PID"
  if [ "${KEEP_SCRATCH:-0}" = 1 ] || [ "$status" -ne 0 ]; then
    echo "[$HARNESS_NAME] scratch folder kept: $SCRATCH"
  else
    rm -rf "$SCRATCH"
  fi
  exit "$status"
}
trap harness_exit EXIT
trap 'exit 130' INT TERM HUP
