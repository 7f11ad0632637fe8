#!/bin/bash
# The desktop's quit requests: SIGTERM, SIGINT and SIGHUP each end the clock the way "終了"
# does: the main window's Close handler writes the settings file and the process exits 0.
# Signals that follow (a logout sends SIGHUP and SIGTERM together) do not cut that quit short;
# only a quit hung for seconds is ended at once by a further signal. A stderr whose reader is
# gone costs nothing, and a SIGHUP ignored from the start (nohup) stays ignored.
#
# The settings file starts in a form the clock never writes (CR LF line ends, three flags,
# two lines), so the file after the run shows whether the Close handler wrote it.
source "$(dirname "$0")/lib.sh"

setup_clock 1200-1200

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
  start_app "$DAY 12:00:00"
  wait_main_window win 20
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
start_app "$DAY 12:00:00"
wait_main_window win 20
open_prefs_by_keys "$win" prefs
kill -HUP "$APP_PID"
wait_app_exit 5
drop_faketime_shm
[ "$APP_STATUS" = 0 ] || fail "SIGHUP with the preferences window up: exit status $APP_STATUS"
expect_prefs "$WRITTEN"
log "SIGHUP with the preferences window up: exit 0, settings written"

# Two signals that arrive before the quit runs: the process is stopped, both are sent, and it
# is let go. The second waits for the quit the first asked for.
printf '%s' "$OLD" >"$PREFS_FILE"
start_app "$DAY 12:00:00"
wait_main_window win 20
kill -STOP "$APP_PID"
kill -TERM "$APP_PID"
kill -HUP "$APP_PID"
kill -CONT "$APP_PID"
wait_app_exit 5
drop_faketime_shm
[ "$APP_STATUS" = 0 ] || fail "two pending signals: exit status $APP_STATUS, expected 0"
expect_prefs "$WRITTEN"
log "two pending signals: exit 0, settings written"

# Two signals back to back on a running clock, as a logout sends them.
printf '%s' "$OLD" >"$PREFS_FILE"
start_app "$DAY 12:00:00"
wait_main_window win 20
kill -HUP "$APP_PID"
kill -TERM "$APP_PID"
wait_app_exit 5
drop_faketime_shm
[ "$APP_STATUS" = 0 ] || fail "SIGHUP and SIGTERM back to back: exit status $APP_STATUS, expected 0"
expect_prefs "$WRITTEN"
log "SIGHUP and SIGTERM back to back: exit 0, settings written"

# stderr a pipe whose reader has gone, and Qt's debug lines on it from the start to the quit.
exec {dead}> >(:)
wait $!
printf '%s' "$OLD" >"$PREFS_FILE"
APP_ENV=("QT_LOGGING_RULES=qt.*.debug=true")
APP_STDERR_FD=$dead start_app "$DAY 12:00:00"
exec {dead}>&-
unset APP_ENV
wait_main_window win 20
kill -TERM "$APP_PID"
wait_app_exit 5
drop_faketime_shm
[ "$APP_STATUS" = 0 ] || fail "stderr into a closed pipe: exit status $APP_STATUS, expected 0"
expect_prefs "$WRITTEN"
log "stderr into a closed pipe: exit 0, settings written"

# Started with SIGHUP ignored, as nohup does: it stays ignored and the clock ticks on after
# one; SIGTERM still quits.
printf '%s' "$OLD" >"$PREFS_FILE"
trap '' HUP
start_app "$DAY 12:00:00"
trap 'exit 130' HUP
wait_main_window win 20
ignored=$(awk '/^SigIgn:/ { print $2 }' "/proc/$APP_PID/status")
(( 0x$ignored & 1 )) || fail "SIGHUP is not ignored any more (SigIgn $ignored)"
kill -HUP "$APP_PID"
shown=$(window_title "$win")
wait_until 10 title_moved_on "$win" "$shown" || fail "the clock stopped after SIGHUP under nohup"
kill -TERM "$APP_PID"
wait_app_exit 5
drop_faketime_shm
[ "$APP_STATUS" = 0 ] || fail "SIGTERM under nohup: exit status $APP_STATUS, expected 0"
expect_prefs "$WRITTEN"
log "SIGHUP ignored from the start stays ignored; SIGTERM quits and saves"

# A quit that hangs: its save fails and the report blocks on a full stderr pipe that nobody
# reads. A further signal ends it at once, but only after the quit has had its few seconds.
fifo=$E2E_TMP/stderr.fifo
mkfifo "$fifo"
exec {full}<>"$fifo"
dd if=/dev/zero of="$fifo" bs=4096 count=1024 oflag=nonblock status=none 2>/dev/null
printf '%s' "$OLD" >"$PREFS_FILE"
APP_STDERR_FD=$full start_app
wait_main_window win 20
mv "$XDG_CONFIG_HOME" "$E2E_TMP/config.away"
echo "a file where the folder belongs" >"$XDG_CONFIG_HOME"
kill -TERM "$APP_PID"
kill -TERM "$APP_PID"
wait_until 10 eval 'kill -TERM "$APP_PID" 2>/dev/null; app_gone' || fail "signals did not end the hung quit"
wait_app_exit 1
exec {full}>&-
rm "$XDG_CONFIG_HOME"
mv "$E2E_TMP/config.away" "$XDG_CONFIG_HOME"
[ "$APP_STATUS" = 143 ] || fail "hung quit: exit status $APP_STATUS, expected 143"
prefs_untouched || fail "hung quit: the settings file changed: $(od -c "$PREFS_FILE")"
log "a hung quit is ended by a later signal: exit 143"

pass "SIGTERM, SIGINT and SIGHUP quit and save; later signals wait for that quit unless it hangs"
