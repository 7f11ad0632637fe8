#!/bin/bash
# No display to open (DISPLAY naming no server, or not set at all): one line on stderr that
# names it, exit status 1, no abort and no core.
source "$(dirname "$0")/lib.sh"

make_app
run_without_display() {
  env -u WAYLAND_DISPLAY "$@" "$APP/bin/vantoViewer3" >"$APP_LOG" 2>&1
  APP_STATUS=$?
}
for display in ':99999' ''; do
  if [ -n "$display" ]; then
    run_without_display DISPLAY="$display"
    expected="vantoViewer3: cannot open the display \"$display\""
  else
    run_without_display -u DISPLAY
    expected='vantoViewer3: cannot open the display (DISPLAY is not set)'
  fi
  [ "$APP_STATUS" = 1 ] || fail "DISPLAY \"$display\": exit status $APP_STATUS, expected 1"
  [ "$(cat "$APP_LOG")" = "$expected" ] || fail "DISPLAY \"$display\": stderr is not the one line \"$expected\""
  log "DISPLAY \"$display\": exit 1, one line"
done
pass "no display: one line, exit 1"
