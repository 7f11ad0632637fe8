#!/bin/bash
# The desktop's quit requests: SIGTERM, SIGINT and SIGHUP each end the clock the way "終了"
# does: the main window's Close handler writes the settings file and the process exits 0.
# A second signal before that quit has run ends the process at once, writing nothing.
#
# The settings file starts in a form the clock never writes (CR LF line ends, three flags,
# two lines), so the file after the run shows whether the Close handler wrote it.
source "$(dirname "$0")/lib.sh"

start_x
make_app
make_payload "$STANDARD_PAYLOAD" 1200-1200 --no-voices

OLD=$'seiyuOn/Off=1,0,1\r\nalarmOn=1\r\n'
WRITTEN='seiyuOn/Off=1,0,1,0,0,0,0,0,0,0,0,0
alarmOn=1
alarmHour=
alarmMin=
alarmVoice=0
voiceMode=0'

prefs_untouched() { [ "$(od -An -c "$PREFS_FILE")" = "$(printf '%s' "$OLD" | od -An -c)" ]; }

for sig in TERM INT HUP; do
  printf '%s' "$OLD" >"$PREFS_FILE"
  start_app "@2026-12-07 12:00:00"
  wait_main_window win 10
  kill -s "$sig" "$APP_PID"
  wait_app_exit 5
  drop_faketime_shm
  [ "$APP_STATUS" = 0 ] || fail "SIG$sig: exit status $APP_STATUS, expected 0"
  expect_prefs "$WRITTEN"
  log "SIG$sig: exit 0, settings written"
done

# A logout while the modal preferences window is up: both windows close (the dialog as if
# cancelled), the settings are written, exit 0.
printf '%s' "$OLD" >"$PREFS_FILE"
start_app "@2026-12-07 12:00:00"
wait_main_window win 10
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove $((X + 30)) $((Y + 10)) click 1
sleep 0.3
xdotool mousemove $((X + 50)) $((Y + 37)) click 1
wait_window prefs '^環境設定$' 10
kill -HUP "$APP_PID"
wait_app_exit 5
drop_faketime_shm
[ "$APP_STATUS" = 0 ] || fail "SIGHUP with the preferences window up: exit status $APP_STATUS"
expect_prefs "$WRITTEN"
log "SIGHUP with the preferences window up: exit 0, settings written"

# Two signals that arrive before the quit runs: the process is stopped, both are sent, and it
# is let go. The handler of the first only notes it; the second's ends the process.
printf '%s' "$OLD" >"$PREFS_FILE"
start_app "@2026-12-07 12:00:00"
wait_main_window win 10
kill -STOP "$APP_PID"
kill -TERM "$APP_PID"
kill -HUP "$APP_PID"
t0=$(elapsed_ms)
kill -CONT "$APP_PID"
wait_app_exit 5
drop_faketime_shm
took=$(($(elapsed_ms) - t0))
case "$APP_STATUS" in
  129 | 143) ;;  # 128 + SIGHUP or 128 + SIGTERM, whichever handler ran second
  *) fail "two signals: exit status $APP_STATUS, expected 129 or 143" ;;
esac
[ "$took" -lt 2000 ] || fail "two signals: the process took $took ms to end"
prefs_untouched || fail "two signals: the settings file changed: $(od -c "$PREFS_FILE")"
log "two pending signals: exit $APP_STATUS after $took ms, settings file untouched"

# Two signals back to back on a running clock: either the quit was already done (0, file
# written) or the second signal cut it short (143, old file whole).
printf '%s' "$OLD" >"$PREFS_FILE"
start_app "@2026-12-07 12:00:00"
wait_main_window win 10
kill -TERM "$APP_PID"
kill -TERM "$APP_PID"
wait_app_exit 5
drop_faketime_shm
case "$APP_STATUS" in
  0) expect_prefs "$WRITTEN" ;;
  143) prefs_untouched || expect_prefs "$WRITTEN" ;;
  *) fail "two SIGTERMs: exit status $APP_STATUS, expected 0 or 143" ;;
esac
log "two SIGTERMs back to back: exit $APP_STATUS, settings file whole"

pass "SIGTERM, SIGINT and SIGHUP quit and save; a second signal ends the process at once"
