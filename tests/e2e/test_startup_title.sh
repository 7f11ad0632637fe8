#!/bin/bash
# Start-up with a standard payload at a faked 12:34:05: the main window is titled with the
# time of the faked clock and keeps ticking, its content area is 320 x 480 (half of
# 640 x 960), and Ctrl+Q ends the process with status 0 after writing the six default
# settings lines.
source "$(dirname "$0")/lib.sh"

setup_clock 1234-1235
start_app "$DAY 12:34:05"
wait_main_window win 20
# The layout's title "00:00:00" stands until the first tick.
wait_until 20 eval '[[ "$(window_title "$win")" == 12:34:* ]]' ||
  fail "the title never showed the faked time (last seen \"$(window_title "$win")\")"
first_title=$(window_title "$win")
log "first title \"$first_title\" $((($(date +%s%N) - APP_LAUNCHED) / 1000000)) ms after launch"
expect_title_since_launch "$first_title" 12:34:05

# The title follows the clock, not just the first tick.
wait_until 10 title_moved_on "$win" "$first_title" || fail "the title stayed \"$first_title\""
next_title=$(window_title "$win")
log "title moved on to \"$next_title\""
expect_title_since_launch "$next_title" 12:34:05
[[ "$next_title" > "$first_title" ]] || fail "the title went back from \"$first_title\" to \"$next_title\""

# The menu bar sits above the content area, so only the width is exact.
wait_window_size "$win" 320 480 560 ||
  fail "window size $(window_size "$win"), expected 320 wide and 480 plus a menu bar high"
log "window size $(window_size "$win")"

[ -e "$PREFS_FILE" ] && fail "the settings file was written before the window closed"
quit_by_keys "$win"
expect_prefs "$DEFAULT_PREFS"
pass "title, size, Ctrl+Q and the default settings file"
