#!/bin/bash
# Both payloads present: the HD one wins, for the size set (content 384 x 512, half of
# 768 x 1024) and for the pictures (its minute picture is the backdrop, not the standard one's).
source "$(dirname "$0")/lib.sh"

start_x
make_app
make_payload "$STANDARD_PAYLOAD" 1234-1234 --no-voices
make_payload "$HD_PAYLOAD" 1234-1234 --no-voices
"$PROBE" picture "$STANDARD_PAYLOAD/t1234.jpg" 64 96 0000ff || fail "cannot write a picture"
"$PROBE" picture "$HD_PAYLOAD/t1234.jpg" 64 96 00c000 || fail "cannot write a picture"

start_app "$DAY 12:34:05"
wait_main_window win 20
wait_window_size "$win" 384 512 592 ||
  fail "window size $(window_size "$win"), expected 384 wide and 512 plus a menu bar high"
read -r width height <<<"$(window_size "$win")"
menu=$((height - 512))
log "window size $width x $height (menu bar $menu)"

# The backdrop comes with the first tick.
backdrop_is_green() {
  picture=$(shot "$win" backdrop)
  "$PROBE" pixel "$picture" 192 $((menu + 256)) 00c000 >/dev/null
}
wait_until 20 backdrop_is_green ||
  fail "the backdrop is not the HD payload's picture: pixel $("$PROBE" pixel "$picture" 192 $((menu + 256)))"
# The whole content area, corner to corner.
expect_pixel "$picture" 2 $((menu + 2)) 00c000 "top left of the content"
expect_pixel "$picture" 381 $((height - 3)) 00c000 "bottom right of the content"

quit_by_keys "$win"
pass "HD payload chosen: 384 x 512 and its picture"
