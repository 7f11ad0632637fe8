#!/bin/bash
# Sound at the minute and not before, captured by SDL's disk audio driver: the payload has a
# minute voice for 12:35 only, the clock starts at 12:34:30 (time enough for the slowest
# start to tick in 12:34) with the default settings (voice mode 0, every voice actor on). The first tick's minute, 12:34, has no voice: silence. At
# 12:35:00 the minute voice plays. The audio libraries are loaded by that first sound: a
# clock that has not spoken has not mapped them.
source "$(dirname "$0")/lib.sh"

start_x
make_app
make_payload "$STANDARD_PAYLOAD" 1235-1235
[ -f "$STANDARD_PAYLOAD/ot1235.mp3" ] || fail "make_payload wrote no minute voice for 12:35"
[ -e "$STANDARD_PAYLOAD/ot1234.mp3" ] && fail "the payload has a voice for 12:34"

RAW=$E2E_TMP/audio.raw
SDL_AUDIODRIVER=disk
APP_ENV=("SDL_DISKAUDIOFILE=$RAW")

# "silent" when nothing was captured yet or only zeros; "sound" when a sample is not zero.
captured() {
  [ -s "$RAW" ] || { echo silent; return; }
  local stats
  stats=$("$PROBE" audio "$RAW")
  if [[ "$stats" == *"first_nonzero=-1 "* ]]; then echo silent; else echo sound; fi
}

start_app "$DAY 12:34:30"
wait_main_window win 20
wait_until 20 eval '[[ "$(window_title "$win")" == 12:34:* ]]' ||
  fail "the title never showed 12:34 (\"$(window_title "$win")\")"
sdl_mapped() { grep -q '/libSDL2[-_]' "/proc/$APP_PID/maps"; }
sdl_mapped && fail "SDL is mapped before any sound: $(grep -o '/[^ ]*libSDL2[^ ]*' "/proc/$APP_PID/maps" | sort -u)"

# Until the title turns 12:35, the capture stays silent.
checks=0
while title=$(window_title "$win") && [[ "$title" == 12:34:* ]]; do
  # The capture is read before the title is read again: a sample seen here came before 12:35.
  state=$(captured)
  if [ "$state" = sound ] && [[ "$(window_title "$win")" == 12:34:* ]]; then
    fail "sound before 12:35 (at \"$title\"): $("$PROBE" audio "$RAW")"
  fi
  checks=$((checks + 1))
  app_running || fail "the application ended at \"$title\""
  sleep 0.05
done
[[ "$title" == 12:35:* ]] || fail "the title went from 12:34 to \"$title\""
log "silent through 12:34 ($checks checks); the title is now \"$title\""

wait_until 10 eval '[ "$(captured)" = sound ]' ||
  fail "no sound within 10 s of 12:35 (title \"$(window_title "$win")\"): $( [ -e "$RAW" ] && "$PROBE" audio "$RAW" || echo no capture file)"
stats=$("$PROBE" audio "$RAW")
log "sound after 12:35: $stats"
sdl_mapped || fail "a sound played but SDL is not mapped"
# The voice starts at once: its first sound lies within the first second of the capture
# (44100 frames of 2 channels of 2 bytes).
first=$(sed -n 's/.*first_nonzero=\([0-9-]*\).*/\1/p' <<<"$stats")
[ "$first" -lt 176400 ] || fail "the voice began only $((first / 176)) ms into the capture"

quit_by_keys "$win"
pass "silent before the minute, the minute voice at 12:35"
