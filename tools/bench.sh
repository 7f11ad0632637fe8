#!/usr/bin/env bash
# Benchmarks of the clock, each figure next to its floor and their ratio, in one run.
# `make bench` runs it after building and making the demo payload.
#
#   BUILD               build folder, as for make (default: build)
#   BENCH_RUNS          start-up runs of each program (default: 11)
#   BENCH_IDLE_SECONDS  length of the idle window, real time with a minute work every minute
#                       (default: 180, at least 60)
#   BENCH_REPETITIONS   repetitions of each in-process benchmark (default: 5)
#   BENCH_LAG_SECONDS   how long each program's title is watched for its lag (default: 65, so
#                       that a new minute, with its picture and voice, falls inside it)
#   BENCH_PHOTOS        1: then the big photos' figures (tools/photos/bench_photos.sh, with its
#                       own knobs), 0: not, only: those alone (default: 1)
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
idle_seconds=${BENCH_IDLE_SECONDS:-180}
repetitions=${BENCH_REPETITIONS:-5}
lag_seconds=${BENCH_LAG_SECONDS:-65}
started_at=$(date +%s)

die() { echo "bench: $*" >&2; exit 1; }
photos=${BENCH_PHOTOS:-1}
if [ "$photos" = only ]; then BUILD=$build exec bash "$root/tools/photos/bench_photos.sh"; fi
for f in "$clock" "$benchbin/clock_bench" "$benchbin/memory_bench" "$benchbin/floor_window" \
         "$benchbin/floor_window_voices" "$benchbin/process_cpu" "$benchbin/first_paint" "$benchbin/title_lag" \
         "$build/tools/make_payload"; do
  [ -x "$f" ] || die "missing $f (build with -DVV_BENCH=ON first: make bench)"
done
[ -f "$payload/t1200.jpg" ] || die "no demo payload in $payload (make payload)"
for tool in Xvfb xdotool; do command -v "$tool" > /dev/null || die "$tool is missing (bash tools/deps.sh)"; done
faketime_lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2> /dev/null | head -n 1)
[ -n "$faketime_lib" ] || die "libfaketime is missing (bash tools/deps.sh)"
(( idle_seconds >= 60 )) || die "BENCH_IDLE_SECONDS must be at least 60"

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
quality=$work/quality.txt
VV_BENCH_PAYLOAD=$payload VV_BENCH_HD_PAYLOAD=$work/hd VV_BENCH_QUALITY_OUT=$quality QT_QPA_PLATFORM=offscreen \
  "$benchbin/clock_bench" --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_out="$csv" --benchmark_out_format=csv >> "$log" 2>&1 \
  || die "clock_bench failed (see $log)"
# The minute work and the backdrop's quality again on a screen of device pixel ratio 2: each
# backdrop at twice the window's pixels, each floor decoding to them.
step "in-process at a device pixel ratio of 2 (QT_SCALE_FACTOR=2): minute work, backdrop quality"
csv2=$work/inprocess-ratio2.csv
VV_BENCH_PAYLOAD=$payload VV_BENCH_HD_PAYLOAD=$work/hd VV_BENCH_QUALITY_OUT=$work/quality2.txt QT_QPA_PLATFORM=offscreen \
  QT_SCALE_FACTOR=2 "$benchbin/clock_bench" --benchmark_filter='^minute_work(_floor)?/' \
  --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_out="$csv2" --benchmark_out_format=csv >> "$log" 2>&1 \
  || die "clock_bench at ratio 2 failed (see $log)"
cat "$work/quality2.txt" >> "$quality"

# Real time (bm) or CPU time (bmcpu: the process's, all threads, for the minute work) of a
# benchmark in microseconds: the median of its repetitions ("" when it failed); from the
# ratio-1 run, or from the file given third.
bm_column() {
  awk -F, -v want="$1" -v col="$2" '
    function us(t, unit) { gsub(/"/, "", unit); return t * (unit == "ns" ? 0.001 : unit == "us" ? 1 : unit == "ms" ? 1000 : 1000000) }
    { name = $1; gsub(/"/, "", name); median = sub(/_median$/, "", name)
      sub(/\/min_time:[^\/]*/, "", name); sub(/\/manual_time$/, "", name); sub(/\/process_time$/, "", name) }
    name == want && $9 !~ /true/ { if (median) m = us($col, $5); else if (plain == "") plain = us($col, $5) }
    END { v = m != "" ? m : plain; if (v != "") printf "%.4f\n", v }' "${3:-$csv}"
}
bm() { bm_column "$1" 3 "${2:-}"; }
bmcpu() { bm_column "$1" 4 "${2:-}"; }
cat "$quality" >> "$log"
q() { awk -F= -v k="$1" '$1 == k { print $2 }' "$quality"; }
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
run_clock() { rm -rf "$work/config"; mkdir -p "$work/config"; XDG_CONFIG_HOME=$work/config "$benchbin/first_paint" --title -- "$clock"; }
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
floor_picture_ms=$(field picture < "$work/startup-floor" | grep -v '^-' | median)
# The clock's start-up is over when both its first time of day and its picture are on screen.
clock_shown=$(awk '{ p = -1; t = -1
                     for (i = 1; i <= NF; i++) { split($i, kv, "="); if (kv[1] == "picture") p = kv[2]; if (kv[1] == "titled") t = kv[2] }
                     if (p >= 0 && t >= 0) print (p > t ? p : t) }' "$work/startup-clock" | median)

# ---- whole process: how late the title shows each second --------------------------------------
# On the real clock (not faked: the watcher stamps each title with the same clock), side by
# side: the clock with its default settings; its floor, a bare window whose precise single shot
# is armed for the next half second each time; and the old way, a coarse 500 ms timer at
# whatever phase it started with, as the clock's own timer was.
step "title lag: ${lag_seconds} s of each program's title, side by side"
rm -rf "$work/config"; mkdir -p "$work/config"
"$benchbin/title_lag" --seconds "$lag_seconds" -- env XDG_CONFIG_HOME="$work/config" "$clock" > "$work/lag-clock" 2>> "$log" &
lag_pids=($!)
"$benchbin/title_lag" --seconds "$lag_seconds" -- "$benchbin/floor_window" --tick --aligned "$floor_picture" \
  > "$work/lag-floor" 2>> "$log" &
lag_pids+=($!)
"$benchbin/title_lag" --seconds "$lag_seconds" -- "$benchbin/floor_window" --tick "$floor_picture" > "$work/lag-old" 2>> "$log" &
lag_pids+=($!)
wait "${lag_pids[@]}" || true
for f in clock floor old; do echo "title lag, $f: $(cat "$work/lag-$f")" >> "$log"; done
lag() { field "$2" < "$work/lag-$1"; }
lag_text() { if [ -s "$work/lag-$1" ]; then echo "$(lag "$1" median) / $(lag "$1" p90) / $(lag "$1" max) ms"; else echo error; fi; }

# ---- whole process: idle over real minutes -------------------------------------------------
# CPU of a whole process in nanoseconds: the kernel's process clock, which keeps the time of
# threads that have ended (the audio thread ends each time the device closes). A sum over
# /proc/PID/task/*, as this script once took, loses it.
cpu_ns() { "$benchbin/process_cpu" "$1" | awk '{ print $2 }'; }
# utime + stime in clock ticks, also kept for ended threads: the coarse cross-check.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' /proc/"$1"/stat; }
rss_kb() { awk '/^VmRSS/ { print $2 }' /proc/"$1"/status; }
# A process that has not ended (an ended child stays in /proc until it is waited for).
running() { [ -r /proc/"$1"/status ] && ! grep -q '^State:[[:space:]]*Z' /proc/"$1"/status 2> /dev/null; }
window_of() { xdotool search --onlyvisible --pid "$1" 2> /dev/null | head -n 1; }

minutes=$(( idle_seconds / 60 ))
step "idle: ${idle_seconds} s of real time from 12:00:55 (faked), a minute work every minute: clock with voices, clock in voice mode 3, their floors"
mkdir -p "$work/idle-voices" "$work/idle-silent"
printf 'seiyuOn/Off=1,1,1,1,1,1,1,1,1,1,1,1\nalarmOn=0\nalarmHour=00\nalarmMin=00\nalarmVoice=0\nvoiceMode=3\n' \
  > "$work/idle-silent/vantoViewer3 Prefs"
fake="$(date +%F) 12:00:40"
# exec: the background job's PID is the program's own.
faked() { LD_PRELOAD=$faketime_lib FAKETIME="@$fake" FAKETIME_DONT_FAKE_MONOTONIC=1 exec "$@"; }
XDG_CONFIG_HOME=$work/idle-voices faked "$clock" 2>> "$log" & voices_pid=$!
XDG_CONFIG_HOME=$work/idle-silent faked "$clock" 2>> "$log" & silent_pid=$!
faked "$benchbin/floor_window_voices" --tick --aligned --payload "$payload" "$floor_picture" 2>> "$log" & floor_voices_pid=$!
faked "$benchbin/floor_window" --tick --aligned --payload "$payload" "$floor_picture" 2>> "$log" & ticking_pid=$!
pids=("$voices_pid" "$silent_pid" "$floor_voices_pid" "$ticking_pid")
echo "idle: voices on = pid $voices_pid, voice mode 3 = pid $silent_pid, floor with voices = pid $floor_voices_pid," \
  "ticking window with minute pictures = pid $ticking_pid" >> "$log"
# Start-up, the first minute work, its voice and the device's rest after it are over.
sleep 15
declare -A cpu0 ticks0
for p in "${pids[@]}"; do cpu0[$p]=$(cpu_ns "$p"); ticks0[$p]=$(cpu_ticks "$p"); done
t0=$(date +%s%N)
sleep "$idle_seconds"
t1=$(date +%s%N)
declare -A cpu_pct cpu_used rss
for p in "${pids[@]}"; do
  [ -d /proc/"$p" ] || die "a program of the idle run ended early (see $log)"
  cpu_used[$p]=$(( $(cpu_ns "$p") - cpu0[$p] ))
  cpu_pct[$p]=$(awk -v c="${cpu_used[$p]}" -v t=$((t1 - t0)) 'BEGIN { printf "%.4f", 100 * c / t }')
  rss[$p]=$(rss_kb "$p")
  echo "idle pid $p: cpu ${cpu_pct[$p]} % of a core ($(( $(cpu_ticks "$p") - ticks0[$p] )) ticks of utime+stime" \
    "over $(( (t1 - t0) / 1000000000 )) s), rss ${rss[$p]} kB" >> "$log"
done
titles=$(xdotool search --name '^12:0[0-9]:' 2> /dev/null | wc -l || true)
[ "$titles" -ge 2 ] || echo "bench: warning: the clocks' titles are not at 12:0x (faked time not in effect?)" | tee -a "$log" >&2

# Resident memory after a minute work at each size: the clock in voice mode 3 resized and
# clicked (the next tick redoes the minute work), the bare window resized (it decodes its
# picture again at the new size).
step "resident memory after a minute work at 1/4, 1/2 and all of 640x960"
declare -A rss_at
clock_win=$(window_of "$silent_pid"); floor_win=$(window_of "$ticking_pid")
for keys in ctrl+1 ctrl+2 ctrl+3; do
  for w in "$clock_win" "$floor_win"; do
    [ -n "$w" ] || continue
    xdotool windowfocus --sync "$w" 2> /dev/null || xdotool windowfocus "$w" 2> /dev/null || true
    xdotool key --clearmodifiers "$keys" 2> /dev/null || true
  done
  sleep 1
  [ -n "$clock_win" ] && xdotool mousemove --window "$clock_win" 40 120 click 1 2> /dev/null || true
  sleep 1.5
  rss_at[clock-$keys]=$(rss_kb "$silent_pid"); rss_at[floor-$keys]=$(rss_kb "$ticking_pid")
  echo "resident after $keys: clock ${rss_at[clock-$keys]} kB, bare window ${rss_at[floor-$keys]} kB" >> "$log"
done
# Each program ends on SIGTERM; one that has not after five seconds is killed.
for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done
for _ in $(seq 50); do
  alive=0; for p in "${pids[@]}"; do running "$p" && alive=1; done
  (( alive )) || break; sleep 0.1
done
for p in "${pids[@]}"; do running "$p" && kill -9 "$p" 2> /dev/null && echo "bench: pid $p ignored SIGTERM" >> "$log"; done
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
# CPU (wall) of a benchmark, for the table; of the ratio-2 run with a second argument.
cpu_wall() { echo "$(show_us "$(bmcpu "$1" "${2:-}")") ($(show_us "$(bm "$1" "${2:-}")"))"; }

for at_ratio in 1 2; do
  if [ $at_ratio = 1 ]; then file=""; what=""; else file=$csv2; what=" at ratio 2"; fi
  for set in hd std; do
    if [ $set = hd ]; then dims=(768x1024 192x256 384x512 768x1024); else dims=(640x960 160x240 320x480 640x960); fi
    for kind in demo photo lineart; do
      i=1
      for divisor in 4 2 1; do
        name=$set/$kind/$divisor
        ours=$(bmcpu minute_work/$name "$file"); floor=$(bmcpu minute_work_floor/$name "$file")
        row "1 minute work$what, $kind ${dims[0]} -> ${dims[$i]}" "$(cpu_wall minute_work/$name "$file")" \
          "$(cpu_wall minute_work_floor/$name "$file")" "$(ratio "$ours" "$floor")" "<= 1.3x floor" \
          "$(within "$ours" "$floor" 1.3)"
        i=$((i + 1))
      done
    done
  done
done
# PSNR of both size sets, "hd / std".
both() { echo "$(q "$1/hd/$2") / $(q "$1/std/$2")"; }
# Whether a is at least b - 1 dB in both sets.
within_db() {
  awk -v a="$1" -v b="$2" 'BEGIN { n = split(a, x, " / "); split(b, y, " / ")
    ok = n == 2; for (i = 1; i <= 2; i++) if (x[i] == "" || y[i] == "" || x[i] + 0 < y[i] - 1) ok = 0
    print (ok ? "yes" : "NO") }'
}
for kind in lineart photo; do
  for divisor in 4 2; do
    for r in 1 2; do
      ours=$(both r$r/psnr_drawing_ours $kind/$divisor); careful=$(both r$r/psnr_drawing_careful $kind/$divisor)
      row "1 PSNR vs the drawing, $kind 1/$divisor, ratio $r (hd / std)" "$ours dB" "$careful dB" "-" \
        ">= floor-1 dB" "$(within_db "$ours" "$careful")"
      if [ $r = 2 ]; then
        row "1 the same, before: the window's units enlarged" "$(both r2/psnr_drawing_before $kind/$divisor) dB" \
          "$careful dB" "-" "-" "-"
      fi
    done
  done
done
for divisor in 4 2; do
  for r in 1 2; do
    row "1 PSNR vs the file's careful downscale, demo 1/$divisor, ratio $r" \
      "$(both r$r/psnr_file_ours demo/$divisor) dB" "-" "-" "-" "-"
  done
done
ours=$(bm tick); floor=$(bm tick_floor)
row "2 tick within a minute (date, title, comparison)" "$(show_us "$ours")" "$(show_us "$floor")" "$(ratio "$ours" "$floor")" "< 20 us" "$(below "$ours" 20)"
lag_met=$(awk -v m="$(lag clock median)" -v x="$(lag clock max)" 'BEGIN { if (m == "" || x == "") print "?"; else print (m <= 10 && x <= 50 ? "yes" : "NO") }')
row "2 title lag behind its second, median / p90 / max" "$(lag_text clock)" "$(lag_text floor)" \
  "$(ratio "$(lag clock median)" "$(lag floor median)")" "med <= 10, max <= 50" "$lag_met"
row "2 the same, the old timer (coarse 500 ms, any phase)" "$(lag_text old)" "$(lag_text floor)" \
  "$(ratio "$(lag old median)" "$(lag floor median)")" "-" "-"
ours=$(bm schedule_scan); floor=$(bm schedule_scan_floor)
row "2 schedule scan, minute branch ($scan_label)" "$(show_us "$ours")" "$(show_us "$floor")" "$(ratio "$ours" "$floor")" "-" "-"
ours=$(bm voice_open_play); floor=$(bm voice_open_play_floor)
row "3 open + play a 3 s MP3 voice (call returns)" "$(show_us "$ours")" "$(show_us "$floor")" "$(ratio "$ours" "$floor")" "-" "-"
ours=$(bm voice_first_frame); floor=$(bm voice_first_frame_floor)
row "3 open + play -> first mixed frame" "$(show_us "$ours")" "$(show_us "$floor")" "$(ratio "$ours" "$floor")" "-" "-"
row "4 start-up -> first painted window (median of $runs)" "${clock_paint:-error} ms" "${floor_paint:-error} ms" \
  "$(ratio "$clock_paint" "$floor_paint")" "<= 1.05x floor" "$(within "$clock_paint" "$floor_paint" 1.05)"
row "4 start-up -> first time of day and picture (median of $runs)" "${clock_shown:-error} ms" \
  "${floor_picture_ms:-error} ms" "$(ratio "$clock_shown" "$floor_picture_ms")" "<= 1.1x floor" \
  "$(within "$clock_shown" "$floor_picture_ms" 1.1)"
row "5 CPU over ${idle_seconds} s real time, $minutes minute works, voices on" "${cpu_pct[$voices_pid]} %" \
  "${cpu_pct[$floor_voices_pid]} %" "$(ratio "${cpu_pct[$voices_pid]}" "${cpu_pct[$floor_voices_pid]}")" "<= 1.3x floor" \
  "$(within "${cpu_pct[$voices_pid]}" "${cpu_pct[$floor_voices_pid]}" 1.3)"
# A voice minute's own cost: what the program with voices spends above the same program
# ticking without them, per minute, beside the same difference of the two floors.
voice_ms() { awk -v a="${cpu_used[$1]}" -v b="${cpu_used[$2]}" -v m="$minutes" 'BEGIN { printf "%.2f", (a - b) / m / 1e6 }'; }
ours=$(voice_ms "$voices_pid" "$silent_pid"); floor=$(voice_ms "$floor_voices_pid" "$ticking_pid")
row "5 a voice minute above ticking (voices on - voice mode 3, per minute)" "$ours ms" "$floor ms" \
  "$(ratio "$ours" "$floor")" "-" "-"
row "5 CPU over ${idle_seconds} s real time, voice mode 3" "${cpu_pct[$silent_pid]} %" "${cpu_pct[$ticking_pid]} %" \
  "$(ratio "${cpu_pct[$silent_pid]}" "${cpu_pct[$ticking_pid]}")" "<= 1.1x floor" \
  "$(within "${cpu_pct[$silent_pid]}" "${cpu_pct[$ticking_pid]}" 1.1)"
row "5 idle resident memory, voices on" "$((rss[$voices_pid] / 1024)) MB" "$((rss[$floor_voices_pid] / 1024)) MB" \
  "$(ratio "${rss[$voices_pid]}" "${rss[$floor_voices_pid]}")" "<= 1.15x floor" "$(within "${rss[$voices_pid]}" "${rss[$floor_voices_pid]}" 1.15)"
row "5 idle resident memory, voice mode 3" "$((rss[$silent_pid] / 1024)) MB" "$((rss[$ticking_pid] / 1024)) MB" \
  "$(ratio "${rss[$silent_pid]}" "${rss[$ticking_pid]}")" "<= 1.15x floor" "$(within "${rss[$silent_pid]}" "${rss[$ticking_pid]}" 1.15)"
for keys in ctrl+1 ctrl+2 ctrl+3; do
  case $keys in ctrl+1) at="1/4 (160x240)" ;; ctrl+2) at="1/2 (320x480)" ;; *) at="all (640x960)" ;; esac
  c=${rss_at[clock-$keys]:-}; f=${rss_at[floor-$keys]:-}
  row "5 resident after a minute work at $at, mode 3" "$(( ${c:-0} / 1024 )) MB" "$(( ${f:-0} / 1024 )) MB" "$(ratio "$c" "$f")" "-" "-"
done
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
  printf '%-62s | %-22s | %-22s | %-5s | %-14s | %s\n' "figure" "ours" "floor" "ratio" "goal" "met?"
  printf '%s\n' "$(printf -- '-%.0s' $(seq 145))"
  for r in "${rows[@]}"; do
    IFS='|' read -r a b c d e f <<< "$r"
    printf '%-62s | %-22s | %-22s | %-5s | %-14s | %s\n' "$a" "$b" "$c" "$d" "$e" "$f"
  done
  echo
  echo "floors: 1 libjpeg-turbo decoding the same file at the reduction that covers the window's pixels on screen"
  echo "(twice its size at ratio 2), Qt's smooth shrink of the rest, a bare window of that size painting it (CPU over"
  echo "all threads, wall in brackets); PSNR: the backdrop on screen against the drawing (line art drawn at 4x) shrunk"
  echo "to the screen's pixels, beside the file decoded whole and box-filtered to them; 2 the same injected clock read,"
  echo "its local time as HH:MM:SS, title of a bare window / title lag ($lag_seconds s, real clock, X watcher): a bare window"
  echo "with a precise timer armed for each next half second; old: its coarse 500 ms timer at any phase / a hand-written"
  echo "prefix scan of the same table; 3 SDL_mixer alone (read, decode, play); 4 bench/floor_window (same menus, 640x960"
  echo "JPEG decoded to 320x480; the clock: the later of its first time in the title and its picture); 5 process CPU"
  echo "(ended threads included) over real minutes: bench/floor_window_voices (title timer on the half seconds, the minute's picture"
  echo "and the same MP3 each minute, the device closed after it) / floor_window (the same without voices); 6 the"
  echo "pictures the clock holds. Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
  echo "Details: $log"
  echo "bench took $(( $(date +%s) - started_at )) s"
} | tee -a "$log" | tee "$build/bench/last-table.txt"

if [ "$photos" = 1 ]; then
  step "big photos and long voices (tools/photos/bench_photos.sh)"
  BUILD=$build bash "$root/tools/photos/bench_photos.sh" | tee -a "$log" >> "$build/bench/last-table.txt" \
    || die "the photo figures failed (see $build/bench/photos-run.log)"
  cat "$build/bench/photos-table.txt"
fi
