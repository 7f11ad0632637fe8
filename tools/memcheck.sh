#!/usr/bin/env bash
# valgrind memcheck over a start of the built clock, a few minutes' work and a quit
# (SIGTERM, the desktop's quit request), under Xvfb with the demo payload and libfaketime
# running the clock ten times faster. Passes when memcheck finds no error and no block
# definitely lost that a frame of the clock or its framework allocated; what the system
# libraries keep for the life of the process is listed in tools/valgrind.supp.
#
#   tools/memcheck.sh [MINUTES]     minute works to wait for, default 5; SOAK_BUILD picks
#                                   the build folder (default build), KEEP_SCRATCH=1 keeps logs
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${SOAK_BUILD:-build}
case "$BUILD" in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac
MINUTES=${1:-5}
source "$ROOT/tools/soak/common.sh"

need valgrind inotifywait Xvfb
need_app
private_env
start_xvfb

watch_payload_opens

started=$SECONDS
env LD_PRELOAD="$(faketime_lib)" FAKETIME="@2026-12-07 12:00:00 x10" QT_QPA_PLATFORM=xcb \
  SDL_AUDIODRIVER=dummy valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --num-callers=40 --track-origins=no \
  --suppressions="$ROOT/tools/valgrind.supp" --gen-suppressions=all --log-file="$SCRATCH/memcheck.%p.log" \
  "$APP_BIN" >"$SCRATCH/app.log" 2>&1 &
APP_PID=$!
LOG=$SCRATCH/memcheck.$APP_PID.log
say "clock started under memcheck (pid $APP_PID); waiting for $MINUTES minute works"

minute_works() { grep -c '^t[0-9]\{4\}\.jpg$' "$OPENS" || true; }
wait_until 600 eval '[ "$(minute_works)" -ge "$MINUTES" ] || gone "$APP_PID"' ||
  fail "fewer than $MINUTES minute works in 600 s"
gone "$APP_PID" && fail "the clock ended by itself: $(tail -5 "$SCRATCH/app.log")"
works=$(minute_works)
voices=$(grep -c '^[os]t[0-9]\{4\}\.mp3$' "$OPENS" || true)
kill -TERM "$APP_PID"
wait_until 300 gone "$APP_PID" || fail "the clock did not quit within 300 s of SIGTERM"
status=0
wait "$APP_PID" || status=$?
drop_faketime_shm "$APP_PID"

summary() { grep -E "$1" "$LOG" | tail -n1 | sed 's/^==[0-9]*== *//'; }
say "$((SECONDS - started)) s; $works minute works, $voices voices played; exit status $status"
say "$(summary 'definitely lost:')"
say "$(summary 'indirectly lost:')"
say "$(summary 'ERROR SUMMARY:')"

# Records (errors and loss records) of our own making: a frame of the clock or its framework
# among the first six below the allocator, or where the error happened. Deeper frames of ours
# only mean that our code called into a library that lost the memory itself.
own_records() {
  awk '
    function flush() { if (block != "" && own) printf "%s", block; block = ""; own = 0; depth = 0 }
    /^==[0-9]+== *$/ { flush(); next }
    /^[{}]/ || /^   / { next }   # generated suppressions
    {
      block = block $0 "\n"
      if ($0 ~ /^==[0-9]+== +(at|by) 0x/) {
        if ($0 ~ /(malloc|calloc|realloc|operator new|memalign|g_malloc)/) next
        if (++depth <= 6 && $0 ~ /(fw::|clockcore::|prefs::|app::|MenuBar1|mainWindow|prefWindow|main \(main\.cpp)/) own = 1
      }
    }
    END { flush() }
  ' "$LOG"
}
ours=$(own_records)
definite=$(grep -E 'definitely lost:' "$LOG" | tail -n1 | awk '{ gsub(",", "", $4); print $4 }')
errors=$(grep -E 'ERROR SUMMARY:' "$LOG" | tail -n1 | awk '{ print $4 }')
if [ -n "$ours" ]; then
  echo "records of our own making:"
  echo "$ours" | head -120
fi
say "definitely lost: ${definite:-?} bytes in all; memcheck errors: ${errors:-?} (system libraries' own are in tools/valgrind.supp)"
[ "$status" -eq 0 ] || fail "exit status $status"
[ -z "$ours" ] || fail "memcheck found errors or leaks of our own making; log: $LOG"
say "PASS"
