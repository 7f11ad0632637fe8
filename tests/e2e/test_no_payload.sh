#!/bin/bash
# No data payload folder: one message box (a dialog titled with the application's name) says so, Enter dismisses it, the process ends with
# status 0 and still writes the settings it loaded; no giant window ever reaches the screen.
# A quit signal while the message is up takes the message away and quits the same way.
source "$(dirname "$0")/lib.sh"

start_x
start_window_watch
make_app
# Settings from an earlier run must come back unchanged: they are read before the quit.
mkdir -p "$XDG_CONFIG_HOME"
saved='seiyuOn/Off=1,0,1,0,1,1,1,1,1,1,1,0
alarmOn=1
alarmHour=07
alarmMin=30
alarmVoice=5
voiceMode=2'
printf '%s\n' "$saved" >"$PREFS_FILE"

start_app "$DAY 12:34:05"
wait_window box '^vantoViewer3$' 20
log "message box is window $box, size $(window_size "$box")"

# Its text cannot be read back from X; it is a dialog of its own, small, and a screenshot
# stays with the diagnostics.
"$PROBE" type "$box" | grep -qx _NET_WM_WINDOW_TYPE_DIALOG ||
  fail "window $box is not a dialog: $("$PROBE" type "$box" 2>&1)"
read -r box_width box_height <<<"$(window_size "$box")"
[ "$box_width" -le 800 ] && [ "$box_height" -le 400 ] || fail "message box of $box_width x $box_height"
shot "$box" message-box >/dev/null
[ -z "$(find_window '^[0-9]{2}:[0-9]{2}:[0-9]{2}$')" ] || fail "the clock window is showing behind the message"

app_running || fail "the application ended before the message was dismissed"
send_keys "$box" Return
wait_app_exit 10
[ "$APP_STATUS" = 0 ] || fail "exit status $APP_STATUS after the message"
expect_prefs "$saved"

read -r widest tallest <<<"$(largest_window_seen)"
log "largest top-level window seen: $widest x $tallest"
[ "$widest" -le 1000 ] && [ "$tallest" -le 1000 ] ||
  fail "a window of $widest x $tallest appeared"

start_app "$DAY 12:34:05"
wait_window box '^vantoViewer3$' 20
kill -TERM "$APP_PID"
wait_app_exit 5
[ "$APP_STATUS" = 0 ] || fail "exit status $APP_STATUS after SIGTERM with the message up"
expect_prefs "$saved"
pass "message, exit 0, settings written back, no giant window; SIGTERM takes the message away"
