#!/usr/bin/env bash
# Benchmarks of the clock, each figure next to its floor and their ratio, in one run.
# `make bench` runs it after building and making the demo payload.
#
#   BUILD               build folder, as for make (default: build)
#   BENCH_RUNS          start-up runs of each program (default: 11)
#   BENCH_IDLE_SECONDS  length of the idle window; it must end within the minute (default: 54)
#   BENCH_REPETITIONS   repetitions of each in-process benchmark (default: 5)
#
# In-process figures come from bench/clock_bench (Google Benchmark) and bench/memory_bench;
# whole-process figures from the built binary and bench/floor_window on a private Xvfb.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-build}
[[ $build = /* ]] || build=$root/$build
app=$build/vantoViewer3
clock=$app/bin/vantoViewer3
payload=$app/vanto-rimal/Payload/Vanto-Rimal3.app
benchbin=$build/bench
runs=${BENCH_RUNS:-11}
idle_seconds=${BENCH_IDLE_SECONDS:-54}
repetitions=${BENCH_REPETITIONS:-5}
started_at=$(date +%s)

die() { echo "bench: $*" >&2; exit 1; }
for f in "$clock" "$benchbin/clock_bench" "$benchbin/memory_bench" "$benchbin/floor_window" \
         "$benchbin/first_paint" "$build/tools/make_payload"; do
  [ -x "$f" ] || die "missing $f (build with -DVV_BENCH=ON first: make bench)"
done
[ -f "$payload/t1200.jpg" ] || die "no demo payload in $payload (make payload)"
for tool in Xvfb xdotool; do command -v "$tool" > /dev/null || die "$tool is missing (bash tools/deps.sh)"; done
faketime_lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2> /dev/null | head -n 1)
[ -n "$faketime_lib" ] || die "libfaketime is missing (bash tools/deps.sh)"
(( idle_seconds >= 10 && idle_seconds <= 54 )) || die "BENCH_IDLE_SECONDS must be 10 to 54"

work=$(mktemp -d "${TMPDIR:-/tmp}/vvbench-XXXXXX")
xvfb_pid=""
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null || true
  wait 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime SDL_AUDIODRIVER=dummy
log=$build/bench/last-run.log
: > "$log"
step() { echo "== $*" | tee -a "$log" >&2; }

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print ""; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# ---- in-process: minute work, tick, schedule scan, voice start --------------------------------
step "HD picture for the minute work (make_payload --size 768x1024)"
"$build/tools/make_payload" --out "$work/hd" --resources "$root/Resources" --size 768x1024 \
  --minutes 1200-1200 --no-voices --jobs 1 >> "$log" 2>&1 || die "make_payload failed (see $log)"

step "in-process benchmarks ($repetitions repetitions, interleaved)"
csv=$work/inprocess.csv
VV_BENCH_PAYLOAD=$payload VV_BENCH_HD_PAYLOAD=$work/hd QT_QPA_PLATFORM=offscreen \
  "$benchbin/clock_bench" --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_out="$csv" --benchmark_out_format=csv >> "$log" 2>&1 \
  || die "clock_bench failed (see $log)"

# Real time of a benchmark in microseconds: the median of its repetitions ("" when it failed).
bm() {
  awk -F, -v want="$1" '
    function us(t, unit) { gsub(/"/, "", unit); return t * (unit == "ns" ? 0.001 : unit == "us" ? 1 : unit == "ms" ? 1000 : 1000000) }
    { name = $1; gsub(/"/, "", name); median = sub(/_median$/, "", name)
      sub(/\/min_time:[^\/]*/, "", name); sub(/\/manual_time$/, "", name) }
    name == want && $9 !~ /true/ { if (median) m = us($3, $5); else if (plain == "") plain = us($3, $5) }
    END { v = m != "" ? m : plain; if (v != "") printf "%.4f\n", v }' "$csv"
}
scan_label=$(awk -F, '$1 ~ /^"schedule_scan(_median)?"$/ && $8 != "" { gsub(/"/, "", $8); print $8; exit }' "$csv")

# ---- in-process: memory over a day ------------------------------------------------------------
step "memory over 1440 minute works"
VV_BENCH_PAYLOAD=$payload QT_QPA_PLATFORM=offscreen "$benchbin/memory_bench" > "$work/memory.txt" 2>> "$log" \
  || die "memory_bench failed (see $log)"
cat "$work/memory.txt" >> "$log"
mem() { awk -F= -v k="$1" '$1 == k { print $2 }' "$work/memory.txt"; }

# ---- whole process: start-up ------------------------------------------------------------------
step "Xvfb"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -br -nolisten tcp 3> "$work/display" 2>> "$log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || die "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$work/display")
export QT_QPA_PLATFORM=xcb

floor_picture=$payload/t1200.jpg
run_clock() { rm -rf "$work/config"; mkdir -p "$work/config"; XDG_CONFIG_HOME=$work/config "$benchbin/first_paint" -- "$clock"; }
run_floor() { "$benchbin/first_paint" -- "$benchbin/floor_window" "$floor_picture"; }
field() { sed -n "s/.*$1=\([-0-9.]*\).*/\1/p"; }

step "start-up: $runs runs of each, alternating (plus one warm-up each)"
run_clock > /dev/null 2>> "$log" || true
run_floor > /dev/null 2>> "$log" || true
: > "$work/startup-clock"; : > "$work/startup-floor"
for i in $(seq "$runs"); do
  run_floor 2>> "$log" | tee -a "$log" >> "$work/startup-floor" || true
  run_clock 2>> "$log" | tee -a "$log" >> "$work/startup-clock" || true
done
clock_paint=$(field painted < "$work/startup-clock" | grep -v '^-' | median)
floor_paint=$(field painted < "$work/startup-floor" | grep -v '^-' | median)
clock_picture=$(field picture < "$work/startup-clock" | grep -v '^-' | median)
floor_picture_ms=$(field picture < "$work/startup-floor" | grep -v '^-' | median)

# ---- whole process: idle ----------------------------------------------------------------------
# CPU of every thread of a process, in nanoseconds of run time.
cpu_ns() { local total=0 ns rest f; for f in /proc/"$1"/task/*/schedstat; do read -r ns rest < "$f" && total=$((total + ns)); done; echo "$total"; }
wakeups() { local total=0 f v; for f in /proc/"$1"/task/*/status; do v=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$f") && total=$((total + v)); done; echo "$total"; }
# One line per thread: id, name, run time in nanoseconds.
threads() { local t; for t in /proc/"$1"/task/*; do echo "${t##*/} $(tr ' ' _ < "$t/comm") $(cut -d' ' -f1 "$t/schedstat")"; done; }
# Each thread's run time in the window, in microseconds, from two lists of threads().
thread_deltas() { awk 'NR == FNR { before[$1] = $3; next } { printf "%s=%dus ", $2, ($3 - before[$1]) / 1000 }' "$1" "$2"; }
rss_kb() { awk '/^VmRSS/ { print $2 }' /proc/"$1"/status; }
# utime + stime in clock ticks, every thread's: the coarse cross-check of cpu_ns.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' /proc/"$1"/stat; }

step "idle: ${idle_seconds} s within the minute 12:01 (faked): clock with voices, clock without, bare window, ticking window"
mkdir -p "$work/idle-voices" "$work/idle-silent"
printf 'seiyuOn/Off=1,1,1,1,1,1,1,1,1,1,1,1\nalarmOn=0\nalarmHour=00\nalarmMin=00\nalarmVoice=0\nvoiceMode=3\n' \
  > "$work/idle-silent/vantoViewer3 Prefs"
fake="$(date +%F) 12:01:00"
# exec: the background job's PID is the program's own.
faked() { LD_PRELOAD=$faketime_lib FAKETIME="@$fake" FAKETIME_DONT_FAKE_MONOTONIC=1 exec "$@"; }
XDG_CONFIG_HOME=$work/idle-voices faked "$clock" 2>> "$log" & voices_pid=$!
XDG_CONFIG_HOME=$work/idle-silent faked "$clock" 2>> "$log" & silent_pid=$!
faked "$benchbin/floor_window" "$floor_picture" 2>> "$log" & floor_pid=$!
faked "$benchbin/floor_window" --tick "$floor_picture" 2>> "$log" & ticking_pid=$!
pids=("$voices_pid" "$silent_pid" "$floor_pid" "$ticking_pid")
echo "idle: voices on = pid $voices_pid, voice mode 3 = pid $silent_pid, bare window = pid $floor_pid," \
  "ticking window = pid $ticking_pid" >> "$log"
# Start-up, the first minute work and its voice are over before the window opens.
sleep 4
declare -A cpu0 wake0 ticks0
for p in "${pids[@]}"; do
  cpu0[$p]=$(cpu_ns "$p"); wake0[$p]=$(wakeups "$p"); ticks0[$p]=$(cpu_ticks "$p"); threads "$p" > "$work/threads-$p"
done
t0=$(date +%s%N)
sleep "$idle_seconds"
t1=$(date +%s%N)
declare -A cpu_pct wake_rate rss
for p in "${pids[@]}"; do
  [ -d /proc/"$p" ] || die "a program of the idle run ended early (see $log)"
  cpu_pct[$p]=$(awk -v c=$(( $(cpu_ns "$p") - cpu0[$p] )) -v t=$((t1 - t0)) 'BEGIN { printf "%.4f", 100 * c / t }')
  wake_rate[$p]=$(awk -v w=$(( $(wakeups "$p") - wake0[$p] )) -v t=$((t1 - t0)) 'BEGIN { printf "%.1f", w / (t / 1e9) }')
  rss[$p]=$(rss_kb "$p")
  echo "idle pid $p: cpu ${cpu_pct[$p]} % ($(( $(cpu_ticks "$p") - ticks0[$p] )) ticks of utime+stime)" \
    "wakeups ${wake_rate[$p]}/s rss ${rss[$p]} kB; per thread: $(thread_deltas "$work/threads-$p" <(threads "$p"))" >> "$log"
done
titles=$(xdotool search --name '^12:01:' 2> /dev/null | wc -l || true)
[ "$titles" -eq 3 ] || echo "bench: warning: the clocks' titles are not at 12:01 (faked time not in effect?)" | tee -a "$log" >&2
for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done
wait "${pids[@]}" 2> /dev/null || true
pids=()

# ---- the table --------------------------------------------------------------------------------
# Values in microseconds are shown in the larger unit that fits.
show_us() { awk -v v="$1" 'BEGIN { if (v == "") print "error"; else if (v >= 1000) printf "%.2f ms\n", v / 1000; else printf "%.2f us\n", v }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b + 0 == 0) print "-"; else printf "%.2f\n", a / b }'; }
# Goal met when ours / floor is at most the limit.
within() { awk -v a="$1" -v b="$2" -v lim="$3" 'BEGIN { if (a == "" || b == "" || b + 0 == 0) print "?"; else print (a / b <= lim ? "yes" : "NO") }'; }
below() { awk -v a="$1" -v lim="$2" 'BEGIN { if (a == "") print "?"; else print (a + 0 <= lim ? "yes" : "NO") }'; }

rows=()
row() { rows+=("$1|$2|$3|$4|$5|$6"); }

for size in hd std; do
  if [ $size = hd ]; then what="1 minute work, 768x1024 JPEG -> 384x512 window"; else what="1 minute work, 640x960 JPEG -> 320x480 window"; fi
  ours=$(bm minute_work/$size); floor=$(bm minute_work_floor/$size)
  row "$what" "$(show_us "$ours")" "$(show_us "$floor")" "$(ratio "$ours" "$floor")" "<= 1.3x floor" "$(within "$ours" "$floor" 1.3)"
done
ours=$(bm tick); floor=$(bm tick_floor)
row "2 tick within a minute (date, title, comparison)" "$(show_us "$ours")" "$(show_us "$floor")" "$(ratio "$ours" "$floor")" "< 20 us" "$(below "$ours" 20)"
ours=$(bm schedule_scan); floor=$(bm schedule_scan_floor)
row "2 schedule scan, minute branch ($scan_label)" "$(show_us "$ours")" "$(show_us "$floor")" "$(ratio "$ours" "$floor")" "-" "-"
ours=$(bm voice_open_play); floor=$(bm voice_open_play_floor)
row "3 open + play a 3 s MP3 voice (call returns)" "$(show_us "$ours")" "$(show_us "$floor")" "$(ratio "$ours" "$floor")" "-" "-"
ours=$(bm voice_first_frame); floor=$(bm voice_first_frame_floor)
row "3 open + play -> first mixed frame" "$(show_us "$ours")" "$(show_us "$floor")" "$(ratio "$ours" "$floor")" "-" "-"
row "4 start-up -> first painted window (median of $runs)" "${clock_paint:-error} ms" "${floor_paint:-error} ms" \
  "$(ratio "$clock_paint" "$floor_paint")" "<= 1.3x floor" "$(within "$clock_paint" "$floor_paint" 1.3)"
row "4 start-up -> minute picture on screen (median of $runs)" "${clock_picture:-error} ms" "${floor_picture_ms:-error} ms" \
  "$(ratio "$clock_picture" "$floor_picture_ms")" "-" "-"
row "5 idle CPU, voices on (${idle_seconds} s)" "${cpu_pct[$voices_pid]} %" "${cpu_pct[$floor_pid]} %" \
  "-" "<= 0.05 % of a core" "$(below "${cpu_pct[$voices_pid]}" 0.05)"
row "5 idle CPU, voice mode 3 (${idle_seconds} s)" "${cpu_pct[$silent_pid]} %" "${cpu_pct[$floor_pid]} %" \
  "-" "<= 0.05 % of a core" "$(below "${cpu_pct[$silent_pid]}" 0.05)"
row "5 idle CPU, voice mode 3, against a ticking window" "${cpu_pct[$silent_pid]} %" "${cpu_pct[$ticking_pid]} %" \
  "$(ratio "${cpu_pct[$silent_pid]}" "${cpu_pct[$ticking_pid]}")" "-" "-"
row "5 idle wake-ups/s: voices on / mode 3 (bare / ticking)" "${wake_rate[$voices_pid]} / ${wake_rate[$silent_pid]}" \
  "${wake_rate[$floor_pid]} / ${wake_rate[$ticking_pid]}" "-" "-" "-"
row "5 idle resident memory, voices on" "$((rss[$voices_pid] / 1024)) MB" "$((rss[$floor_pid] / 1024)) MB" \
  "$(ratio "${rss[$voices_pid]}" "${rss[$floor_pid]}")" "-" "-"
held=$(mem held_pictures)
row "6 heap held after the first minute work (in-process)" "$(( $(mem heap_after_start) - $(mem heap_started) )) kB" \
  "$held kB pictures" "$(ratio $(( $(mem heap_after_start) - $(mem heap_started) )) "$held")" "-" "-"
heap_growth=$(( $(mem heap_after_1440) - $(mem heap_after_start) ))
row "6 heap growth over 1440 minute works" "$heap_growth kB" "0 kB" "-" "<= 256 kB" "$(below "$heap_growth" 256)"
row "6 resident: after start -> after 1440 minute works" "$(( $(mem rss_after_start) / 1024 )) -> $(( $(mem rss_after_1440) / 1024 )) MB" \
  "-" "-" "-" "-"
row "6 resident growth after the first hour (60 -> 1440)" "$(( $(mem rss_after_1440) - $(mem rss_after_60) )) kB" "0 kB" "-" "<= 256 kB" \
  "$(below $(( $(mem rss_after_1440) - $(mem rss_after_60) )) 256)"

{
  echo
  printf '%-58s | %-16s | %-16s | %-5s | %-19s | %s\n' "figure" "ours" "floor" "ratio" "goal" "met?"
  printf '%s\n' "$(printf -- '-%.0s' $(seq 130))"
  for r in "${rows[@]}"; do
    IFS='|' read -r a b c d e f <<< "$r"
    printf '%-58s | %-16s | %-16s | %-5s | %-19s | %s\n' "$a" "$b" "$c" "$d" "$e" "$f"
  done
  echo
  echo "floors: 1 Qt decoding the same file + one smooth scale; 2 Qt clock read, HH:mm:ss, title of a bare window / a"
  echo "hand-written prefix scan of the same table; 3 SDL_mixer alone (read, decode, play); 4-5 bench/floor_window"
  echo "(same menus, 640x960 JPEG scaled to 320x480), the ticking one with a 500 ms timer setting the title;"
  echo "6 the pictures the clock holds. Details: $log"
  echo "bench took $(( $(date +%s) - started_at )) s"
} | tee -a "$log" | tee "$build/bench/last-table.txt"
