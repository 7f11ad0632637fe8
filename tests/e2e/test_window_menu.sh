#!/bin/bash
# The Window menu's shortcuts on the real window (standard payload, maximum 640 x 960):
# Ctrl+1 a quarter, Ctrl+2 a half, Ctrl+3 all of it, the menu bar's height staying the same;
# then Ctrl+Q ends the process with status 0 and writes the settings.
source "$(dirname "$0")/lib.sh"

setup_clock 1234-1234
start_app "$DAY 12:34:05"
wait_main_window win 20
wait_window_size "$win" 320 480 560 || fail "window size $(window_size "$win"), expected 320 x 480 + menu"
read -r width height <<<"$(window_size "$win")"
menu=$((height - 480))
log "opened at $width x $height (menu bar $menu)"

# resize_with KEYS WIDTH HEIGHT: the content area after the keys is WIDTH x HEIGHT.
resize_with() {
  local keys=$1 w=$2 h=$3
  send_keys "$win" "$keys"
  wait_window_size "$win" "$w" $((h + menu)) $((h + menu)) ||
    fail "$keys: window size $(window_size "$win"), expected $w x $((h + menu)) ($w x $h and the menu bar)"
  log "$keys: $(window_size "$win")"
}
resize_with ctrl+1 160 240
resize_with ctrl+2 320 480
resize_with ctrl+3 640 960
resize_with ctrl+1 160 240

app_running || fail "the application ended during the resizes"
[ -e "$PREFS_FILE" ] && fail "the settings file was written before the window closed"
quit_by_keys "$win"
expect_prefs "$DEFAULT_PREFS"
pass "Ctrl+1/2/3 sizes and Ctrl+Q"
