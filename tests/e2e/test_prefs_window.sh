#!/bin/bash
# The preferences window on the real binary: File > 環境設定... opens the modal dialog (the
# clock ticking on behind it); a
# voice actor switched off and another voice mode chosen, OK: the settings file holds both
# changes at once, and keeps them when the display then goes away (the X server killed), which
# ends the clock without its Close.
source "$(dirname "$0")/lib.sh"

setup_clock 1234-1234
start_app "$DAY 12:34:05"
wait_main_window win 20
open_prefs_by_keys "$win" prefs
eval "$(xdotool getwindowgeometry --shell "$prefs")"
log "preferences window at $X,$Y size ${WIDTH}x$HEIGHT"
[ "$WIDTH" = 385 ] && [ "$HEIGHT" = 706 ] || fail "preferences window is ${WIDTH}x$HEIGHT, expected 385x706"
# An owned dialog of the clock: a window manager keeps it above the clock and minimises
# them together, so the clock is never left blocked behind a dialog out of sight.
owner=$("$PROBE" owner "$prefs")
[ "$owner" = "$win" ] || fail "the preferences window is transient for ${owner:-nothing}, not the clock ($win)"
# The clock keeps ticking behind the modal dialog.
shown=$(window_title "$win")
wait_until 10 title_moved_on "$win" "$shown" || fail "the title stayed at $shown while the dialog was up"

# Voice actor 0's check box (Left 99, Top 181), then the voice-mode pop-up (Left 105, Top 78):
# the next row, "セリフ（10分おき）".
xdotool mousemove $((X + 106)) $((Y + 191)) click 1
with_menu xdotool mousemove $((X + 190)) $((Y + 88)) click 1
xdotool key Down Return
wait_menu_closed
send_keys "$prefs" Return  # the default button, OK
wait_until 5 eval '! find_window "^環境設定$" >/dev/null' || fail "the preferences window stayed open after OK"

expected="seiyuOn/Off=0,1,1,1,1,1,1,1,1,1,1,1
alarmOn=0
alarmHour=00
alarmMin=00
alarmVoice=0
voiceMode=1"
expect_prefs "$expected"
stop_pid "$XVFB_PID"
wait_app_exit 10
log "the display went away: exit status $APP_STATUS"
expect_prefs "$expected"
pass "preferences changed through the dialog reach the settings file at OK"
