#!/usr/bin/env bash
# A simulated day: the built clock with the demo payload, under Xvfb and libfaketime running
# its clock (wall and monotonic, so Qt's timers too) SPEED times faster, from 23:30 of one day
# to 00:00 of the next. Passes when every minute of the day did its minute work, in order and
# once, every minute voice and serif voice the tables call for was played, the process
# stayed up and quit with status 0, and its resident memory at the end lies within 2 MiB of
# where it was after the first simulated hour.
#
#   tools/soak.sh [SPEED]          default 240 (a day in six minutes); SOAK_BUILD picks the
#                                  build folder (default build), KEEP_SCRATCH=1 keeps the logs
#
# Counting from outside: every minute work opens "t" + HHMM + ".jpg" exactly once, and every
# voice it plays opens its MP3 once; the kernel reports each open to inotifywait, which runs
# beside the clock and writes the names down in order. Nothing in the clock is instrumented.
# The tick comes every 500 ms of the clock's own (faked) time, so each simulated minute gets
# about 120 ticks whatever the speed; the speed is only limited by the machine keeping up.
# A simulated minute lasts 60/SPEED s of real time; a minute in which the clock gets no CPU
# is rightly skipped (missed minutes are not caught up), so that time must stay well above
# the scheduling delays of a busy machine. At 720 (83 ms a minute, 1440 ticks a second) a
# loaded eight-core machine already skipped minutes; 240 gives each minute 250 ms.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${SOAK_BUILD:-build}
case "$BUILD" in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac
SPEED=${1:-${SOAK_SPEED:-240}}
source "$ROOT/tools/soak/common.sh"

need inotifywait Xvfb
need_app
private_env
start_xvfb

APP_LOG=$SCRATCH/app.log
START_TIME="2026-12-06 23:30:00"   # half an hour of lead-in: start-up runs on faked time too

watch_payload_opens

wall_start=$SECONDS
env LD_PRELOAD="$(faketime_lib)" FAKETIME="@$START_TIME x$SPEED" QT_QPA_PLATFORM=xcb \
  SDL_AUDIODRIVER=dummy "$APP_BIN" >"$APP_LOG" 2>&1 &
APP_PID=$!
say "clock started (pid $APP_PID) at simulated $START_TIME, x$SPEED"

# Line numbers of the opens of t0000.jpg: the first starts the day, the second ends it.
midnights() { grep -n '^t0000\.jpg$' "$OPENS" | cut -d: -f1; }
day_has() {  # day_has NAME: NAME was opened after the first midnight
  local first
  first=$(midnights | head -n1)
  [ -n "$first" ] && tail -n +"$first" "$OPENS" | grep -qx "$1"
}

limit=$(((86400 + 1800) / SPEED * 2 + 60))
rss_hour1= rss_end= rss_max=0 last_report=$SECONDS
while :; do
  gone "$APP_PID" && fail "the clock ended during the day: $(tail -5 "$APP_LOG")"
  [ $((SECONDS - wall_start)) -lt "$limit" ] || fail "the day did not end within $limit s"
  rss=$(rss_kib "$APP_PID")
  [ -n "$rss" ] && [ "$rss" -gt "$rss_max" ] && rss_max=$rss
  if [ -z "$rss_hour1" ] && day_has t0100.jpg; then
    rss_hour1=$rss
    say "after the first simulated hour: VmRSS $rss_hour1 KiB"
  fi
  if [ "$(midnights | wc -l)" -ge 2 ]; then
    rss_end=$rss
    break
  fi
  if [ $((SECONDS - last_report)) -ge 15 ]; then
    say "$(grep -c '^t' "$OPENS") minute pictures opened so far, VmRSS ${rss:-?} KiB"
    last_report=$SECONDS
  fi
  sleep 0.2
done
wall=$((SECONDS - wall_start))
kill -TERM "$APP_PID"
wait_until 10 gone "$APP_PID" || fail "the clock did not quit within 10 s of SIGTERM"
status=0
wait "$APP_PID" || status=$?
drop_faketime_shm "$APP_PID"

# The day: from the first open of t0000.jpg up to the second.
first=$(midnights | sed -n 1p)
second=$(midnights | sed -n 2p)
sed -n "${first},$((second - 1))p" "$OPENS" >"$SCRATCH/day.log"

# Every minute's picture once, in order.
minutes=$(grep -c '^t[0-9]\{4\}\.jpg$' "$SCRATCH/day.log" || true)
grep -x 't[0-9]\{4\}\.jpg' "$SCRATCH/day.log" | cut -c2-5 >"$SCRATCH/day-minutes" || true
for h in $(seq -w 0 23); do for m in $(seq -w 0 59); do echo "$h$m"; done; done >"$SCRATCH/all-minutes"
in_order=yes
cmp -s "$SCRATCH/day-minutes" "$SCRATCH/all-minutes" || in_order=no

# The voices the tables call for with the first-run settings (voice mode 0, all twelve
# voice actors on, no alarm): at a ten-minute mark one serif voice per line of the serif
# table for that minute when its file exists, at other minutes one minute voice per line of
# the minute table when its file exists.
# (The list of voice files is cut at CR like the tables, so one awk reads all three.)
ls "$PAYLOAD" | grep -E '^(st|ot)[0-9]{4}\.mp3$' | tr '\n' '\r' >"$SCRATCH/voice-files.cr" || true
expected_voices() {
  local resources=$APP_DIR/Resources
  awk -v RS='\r' -F'\t' '
    FILENAME == ARGV[1] { have[$0] = 1; next }
    { actor = int($2) - 1; if (actor < 0 || actor > 11) next }
    FILENAME == ARGV[2] && (substr($1, 3, 2) % 10 == 0) && (("st" $1 ".mp3") in have) { n["st" $1 ".mp3"]++ }
    FILENAME == ARGV[3] && (substr($1, 3, 2) % 10 != 0) && (("ot" $1 ".mp3") in have) { n["ot" $1 ".mp3"]++ }
    END { for (f in n) print f, n[f] }
  ' "$SCRATCH/voice-files.cr" "$resources/ActSerif.txt" "$resources/ActTime.txt" | sort
}
expected_voices >"$SCRATCH/voices-expected"
grep -E '^(st|ot)[0-9]{4}\.mp3$' "$SCRATCH/day.log" | sort | uniq -c | awk '{ print $2, $1 }' | sort >"$SCRATCH/voices-seen"
voices_expected=$(awk '{ n += $2 } END { print n + 0 }' "$SCRATCH/voices-expected")
voices_seen=$(awk '{ n += $2 } END { print n + 0 }' "$SCRATCH/voices-seen")
voices_match=yes
cmp -s "$SCRATCH/voices-expected" "$SCRATCH/voices-seen" || voices_match=no

growth=$((rss_end - rss_hour1))
say "simulated day at x$SPEED: $wall s wall time"
say "minute works seen: $minutes of 1440, each once and in order: $in_order"
say "voices played: $voices_seen, the tables call for $voices_expected: match $voices_match"
say "VmRSS after hour 1: $rss_hour1 KiB, at the end: $rss_end KiB (growth $growth KiB, peak $rss_max KiB)"
say "exit status after SIGTERM: $status; clock's output: $(wc -l <"$APP_LOG") line(s)"

fail=0
[ "$minutes" -eq 1440 ] && [ "$in_order" = yes ] || { echo "minute works missing, repeated or out of order (see $SCRATCH/day-minutes)" >&2; fail=1; }
[ "$voices_match" = yes ] || { echo "voices differ: $(diff "$SCRATCH/voices-expected" "$SCRATCH/voices-seen" | head -20)" >&2; fail=1; }
[ "$growth" -le 2048 ] || { echo "resident memory grew by $growth KiB after the first hour" >&2; fail=1; }
[ "$status" -eq 0 ] || { echo "exit status $status" >&2; fail=1; }
[ "$fail" -eq 0 ] || fail "the simulated day failed"
say "PASS"
