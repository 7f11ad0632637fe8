#!/bin/bash
# Start-up with a standard payload at a faked 12:34:56: the main window is titled with that
# time almost at once and keeps ticking, its content area is 320 x 480 (half of 640 x 960),
# and Ctrl+Q ends the process with status 0 after writing the six default settings lines.
source "$(dirname "$0")/lib.sh"

start_x
make_app
make_payload "$STANDARD_PAYLOAD" 1234-1235 --no-voices

start_app "@2026-12-07 12:34:56"
launched=$(elapsed_ms)
wait_main_window win 10
# The layout's title "00:00:00" stands until the first tick.
wait_until 5 eval '[[ "$(window_title "$win")" == 12:34:* ]]' ||
  fail "the title never showed the faked time (last seen \"$(window_title "$win")\")"
first_title=$(window_title "$win")
log "first title \"$first_title\" $(($(elapsed_ms) - launched)) ms after launch"
# The faked clock starts with the process: a first title later than :57 means the first tick
# came more than a second after start-up.
[[ "$first_title" == 12:34:5[67] ]] || fail "first title \"$first_title\", expected 12:34:56 or 12:34:57"

# The title follows the clock, not just the first tick.
wait_until 3 eval '[ "$(window_title "$win")" \> "$first_title" ]' ||
  fail "the title stayed \"$first_title\""
log "title moved on to \"$(window_title "$win")\""

# The menu bar sits above the content area, so only the width is exact.
wait_window_size "$win" 320 480 560 ||
  fail "window size $(window_size "$win"), expected 320 wide and 480 plus a menu bar high"
log "window size $(window_size "$win")"

[ -e "$PREFS_FILE" ] && fail "the settings file was written before the window closed"
send_keys "$win" ctrl+q
wait_app_exit 10
[ "$APP_STATUS" = 0 ] || fail "exit status $APP_STATUS after Ctrl+Q"
expect_prefs "$DEFAULT_PREFS"
pass "title, size, Ctrl+Q and the default settings file"
