# Helpers shared by tools/soak.sh and tools/memcheck.sh: the built application and its demo
# payload, on the scratch folder, private environment and X server of tools/harness.sh.
# Sourced, not run.
#
# The caller sets ROOT (the source tree) and BUILD (the build folder, absolute) first.

set -euo pipefail

say() { echo "[$(basename "$0" .sh)] $*"; }
fail() {
  echo "[$(basename "$0" .sh)] FAIL: $*" >&2
  exit 1
}
source "$ROOT/tools/harness.sh"

APP_DIR=$BUILD/vantoViewer3
APP_BIN=$APP_DIR/bin/vantoViewer3
PAYLOAD=$APP_DIR/vanto-rimal/Payload/Vanto-Rimal3.app

# The built binary and the demo payload (made here the way `make payload` makes it).
need_app() {
  [ -x "$APP_BIN" ] || fail "no built binary at $APP_BIN (make build, or set the build folder)"
  if [ ! -d "$PAYLOAD" ]; then
    say "making the demo payload in $PAYLOAD"
    rm -rf "$PAYLOAD.partial"
    "$BUILD/tools/make_payload" --out "$PAYLOAD.partial" --resources "$ROOT/Resources" >"$SCRATCH/make_payload.log" 2>&1 ||
      fail "make_payload failed: $(cat "$SCRATCH/make_payload.log")"
    mv "$PAYLOAD.partial" "$PAYLOAD"
  fi
}

# Records every file of the payload opened, in order, in $OPENS (one name a line).
watch_payload_opens() {
  OPENS=$SCRATCH/opens.log
  inotifywait -m -e open --format '%f' "$PAYLOAD" >"$OPENS" 2>"$SCRATCH/inotify.log" &
  STOP_PIDS+=($!)
  wait_until 10 grep -q 'Watches established' "$SCRATCH/inotify.log" || fail "inotifywait did not start"
}

# Resident memory of a process in KiB.
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }
