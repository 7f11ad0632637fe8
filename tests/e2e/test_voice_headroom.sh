#!/bin/bash
# The demo payload's voices leave room for a second one: a minute whose schedule names two
# voice actors plays the same call twice at once, and the pair must not clip. One call, as the
# clock decodes and plays it (captured by SDL's disk audio driver), peaks at most about
# -7 dBFS, and at least -14 dBFS so it is still clearly heard.
source "$(dirname "$0")/lib.sh"

start_x
make_app
make_payload "$STANDARD_PAYLOAD" 1200-1200
# At 12:00 the minute schedule names actors 1 and 9; only actor 1 is on, so one call plays.
printf '%s\n' 'seiyuOn/Off=1,0,0,0,0,0,0,0,0,0,0,0' alarmOn=0 alarmHour=00 alarmMin=00 alarmVoice=0 \
  voiceMode=2 >"$PREFS_FILE"

RAW=$E2E_TMP/audio.raw
SDL_AUDIODRIVER=disk
APP_ENV=("SDL_DISKAUDIOFILE=$RAW")
start_app "$DAY 12:00:01"
wait_main_window win 20

# The capture runs in real time until the device rests after the call: it holds the whole
# call once the clock has closed the file, or 4 s after the call's first sound (44100 frames
# of 2 channels of 2 bytes a second), longer than the call.
stat() { "$PROBE" audio "$RAW" | sed -n "s/.*$1=\([0-9-]*\).*/\1/p"; }
capture_closed() { ! ls -l "/proc/$APP_PID/fd" 2>/dev/null | grep -qF "$RAW"; }
whole_call() {
  [ -s "$RAW" ] || return 1
  local first
  first=$(stat first_nonzero)
  [ "$first" -ge 0 ] && { capture_closed || [ "$(stat bytes)" -ge $((first + 4 * 176400)) ]; }
}
wait_until 30 whole_call || fail "no whole call captured: $([ -e "$RAW" ] && "$PROBE" audio "$RAW")"
peak=$(stat peak)
log "one call peaks at $peak of 32767"
[ "$peak" -le 14600 ] || fail "one call peaks at $peak: two at once would clip"
[ "$peak" -ge 6550 ] || fail "one call peaks at only $peak: too quiet"

quit_by_keys "$win"
pass "one call peaks at $peak of 32767"
