#!/bin/bash
# The minute picture on screen: at the first tick the picture of 12:34 fills the content area;
# at 12:35 the backdrop becomes 12:35's picture, stretched (not tiled, not at its own size)
# from 64 x 96 to the 320 x 480 content area, starting right below the menu bar; after
# Ctrl+3 it is redrawn at 640 x 960. The faked clock starts half a minute before 12:35, time
# enough for the slowest start to show 12:34's picture first.
source "$(dirname "$0")/lib.sh"

setup_clock 1234-1235
# 12:34 plain grey; 12:35 four quadrants: red, blue / green, yellow.
"$PROBE" picture "$STANDARD_PAYLOAD/t1234.jpg" 64 96 808080 || fail "cannot write a picture"
"$PROBE" picture "$STANDARD_PAYLOAD/t1235.jpg" 64 96 ff0000 0000ff 00c000 ffff00 ||
  fail "cannot write a picture"

start_app "$DAY 12:34:30"
wait_main_window win 20
wait_window_size "$win" 320 480 560 || fail "window size $(window_size "$win"), expected 320 x 480 + menu"
read -r width height <<<"$(window_size "$win")"
menu=$((height - 480))

# pixel_is PNG X Y RRGGBB, quietly.
pixel_is() { "$PROBE" pixel "$1" "$2" "$3" "$4" >/dev/null; }

grey_backdrop() {
  picture=$(shot "$win" minute-1234)
  pixel_is "$picture" 160 $((menu + 240)) 808080
}
wait_until 20 grey_backdrop || fail "12:34's picture is not the backdrop (title \"$(window_title "$win")\")"
[[ "$(window_title "$win")" == 12:34:* ]] || fail "the minute changed before 12:34's picture was seen"
expect_pixel "$picture" 3 $((menu + 3)) 808080 "12:34, top left"
expect_pixel "$picture" 316 $((height - 4)) 808080 "12:34, bottom right"
log "12:34's picture fills the content area"

# The quadrants' middles and the content area's corners.
expect_quadrants() {
  local png=$1 w=$2 h=$3 what=$4
  expect_pixel "$png" $((w / 4)) $((menu + h / 4)) ff0000 "$what, top left quadrant"
  expect_pixel "$png" $((w * 3 / 4)) $((menu + h / 4)) 0000ff "$what, top right quadrant"
  expect_pixel "$png" $((w / 4)) $((menu + h * 3 / 4)) 00c000 "$what, bottom left quadrant"
  expect_pixel "$png" $((w * 3 / 4)) $((menu + h * 3 / 4)) ffff00 "$what, bottom right quadrant"
  expect_pixel "$png" 1 $((menu + 1)) ff0000 "$what, the content's top left corner"
  expect_pixel "$png" $((w - 2)) $((menu + h - 2)) ffff00 "$what, the content's bottom right corner"
  # The picture starts at the content area's top, not under the menu bar.
  if pixel_is "$png" 1 $((menu - 1)) ff0000; then fail "$what: the picture reaches into the menu bar"; fi
}

quadrant_backdrop() {
  picture=$(shot "$win" minute-1235)
  pixel_is "$picture" 80 $((menu + 120)) ff0000
}
wait_until 60 quadrant_backdrop ||
  fail "12:35's picture never became the backdrop (title \"$(window_title "$win")\")"
[[ "$(window_title "$win")" == 12:35:* ]] || fail "the backdrop changed at \"$(window_title "$win")\", before 12:35"
expect_quadrants "$picture" 320 480 "320 x 480"
log "12:35's picture stretched to 320 x 480"

send_keys "$win" ctrl+3
wait_window_size "$win" 640 960 1040 ||
  fail "window size $(window_size "$win") after Ctrl+3, expected 640 x 960 + menu"
read -r width height <<<"$(window_size "$win")"
menu=$((height - 960))
large_backdrop() {
  picture=$(shot "$win" minute-1235-large)
  pixel_is "$picture" 600 $((menu + 900)) ffff00
}
wait_until 10 large_backdrop || fail "the backdrop was not redrawn at 640 x 960"
expect_quadrants "$picture" 640 960 "640 x 960"
log "redrawn at 640 x 960"

quit_by_keys "$win"
pass "minute pictures stretched to the content area, at the minute and after a resize"
