#!/bin/bash
# Started with stderr closed (`2>&-`, as some launchers and service managers do) and with
# Qt's debug lines on, so that there is plenty to say on stderr: the window shows and ticks,
# one SIGTERM quits with status 0 and the settings are written. Real time: libfaketime would
# open a file of its own before the clock starts and fill the gap itself.
source "$(dirname "$0")/lib.sh"

start_x
make_app
make_payload "$STANDARD_PAYLOAD" 1200-1200 --no-voices

APP_ENV=("QT_LOGGING_RULES=qt.*.debug=true")
APP_STDERR_FD=- start_app
unset APP_ENV
wait_main_window win 10
shown=$(window_title "$win")
wait_until 5 eval '[ "$(window_title "$win")" != "$shown" ]' || fail "the clock stopped at \"$shown\""
log "ticking: \"$shown\", then \"$(window_title "$win")\""
kill -TERM "$APP_PID"
wait_app_exit 5
[ "$APP_STATUS" = 0 ] || fail "exit status $APP_STATUS after one SIGTERM, expected 0"
expect_prefs "$DEFAULT_PREFS"
pass "with stderr closed the clock shows, ticks, quits on one SIGTERM and saves"
