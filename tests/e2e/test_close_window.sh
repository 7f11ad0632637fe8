#!/bin/bash
# Closing the main window the way a window manager asks (WM_DELETE_WINDOW) ends the process
# with status 0, and the settings read at start-up are written back unchanged.
source "$(dirname "$0")/lib.sh"

setup_clock 1234-1234
saved='seiyuOn/Off=0,1,1,0,0,1,0,1,1,0,1,1
alarmOn=1
alarmHour=23
alarmMin=59
alarmVoice=71
voiceMode=3'
printf '%s\n' "$saved" >"$PREFS_FILE"

start_app "$DAY 12:34:05"
wait_main_window win 20
wait_until 20 eval '[[ "$(window_title "$win")" == 12:34:* ]]' || fail "the clock never ticked"

close_window "$win"
wait_app_exit 10
[ "$APP_STATUS" = 0 ] || fail "exit status $APP_STATUS after the window was closed"
expect_prefs "$saved"
pass "window closed: exit 0, settings written back"
