#!/usr/bin/env bash
# Big photos and long voices: what they cost the clock's main thread, how long until they
# show, the preferences window's twelve thumbnails, and peak memory; each beside its floor.
# tools/bench.sh runs it after its own figures; it runs alone too (after `make bench` built
# bench/photo_bench and bench/photo_source):
#
#   BUILD                  build folder (default: build)
#   BENCH_PHOTO_RUNS       runs of each file, after one warm-up; the median is taken (default 3)
#   BENCH_PHOTO_RATIO2     1: the minute work again at a device pixel ratio of 2 (default 1)
#   BENCH_PHOTO_STEPS      which figures (default: minute thumbs voice peak lag)
#   BENCH_PHOTO_LAG        seconds the clock's title is watched for its lag with each hostile
#                          file as every minute's picture (default 65: a new minute falls
#                          inside; 0: not watched)
#
# The photo set is made once in BUILD/photos (tools/photos/make_photos.sh). Prints a table
# (also BUILD/bench/photos-table.txt); the raw lines go to BUILD/bench/photos-run.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-build}
[[ $build = /* ]] || build=$root/$build
runs=${BENCH_PHOTO_RUNS:-3}
ratio2=${BENCH_PHOTO_RATIO2:-1}
lag_seconds=${BENCH_PHOTO_LAG:-65}
steps=" ${BENCH_PHOTO_STEPS:-minute thumbs voice peak lag} "
want() { [[ $steps == *" $1 "* ]]; }
bin=$build/bench/photo_bench
photos=$build/photos
[ -x "$bin" ] || { echo "bench_photos: missing $bin (make bench)" >&2; exit 1; }
BUILD=$build bash "$root/tools/photos/make_photos.sh" "$photos"
mkdir -p "$build/bench"
log=$build/bench/photos-run.log
: > "$log"
# The programs' messages, each run of repeats as one line with its count: a PNG of bad chunks
# makes the decoder warn once a chunk.
errors() { uniq -c >> "$log"; }
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
runtime=$(mktemp -d "${TMPDIR:-/tmp}/vvphotos-XXXXXX")
xvfb_pid=""
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null; rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime

ordinary=(baseline-50Mpx camera-45Mpx-baseline progressive-24Mpx-444 progressive-45Mpx-420
          wallpaper-4K-progressive wallpaper-5K-progressive photo-24Mpx-progressive png-4K
          png-3024x1964 png-16Mpx bmp-16Mpx gif-16Mpx)
hostile=(hostile-arithmetic-5120x5120 hostile-400-scans hostile-png-badcrc-chunks)
files=()
for n in "${ordinary[@]}" "${hostile[@]}"; do files+=("$photos/$n.jpg"); done

touch "$runtime/minute" "$runtime/thumbs" "$runtime/voice" "$runtime/peak" "$runtime/lag"
if want minute; then
echo "== minute work, $runs runs of each file, 640x960" >&2
"$bin" minute "$runs" "${files[@]}" 2> >(errors) | tee -a "$log" > "$runtime/minute"
if [ "$ratio2" = 1 ]; then
  echo "== minute work at ratio 2 (QT_SCALE_FACTOR=2)" >&2
  QT_SCALE_FACTOR=2 "$bin" minute "$runs" "${files[@]}" 2> >(errors) | sed 's/^minute /minute2 /' \
    | tee -a "$log" > "$runtime/minute2"
fi
fi
if want thumbs; then
echo "== the preferences window with twelve faces" >&2
{
  "$bin" thumbs "$runs" "12 x 24 Mpx progressive" "$photos/photo-24Mpx-progressive.jpg"
  "$bin" thumbs "$runs" "12 x 3024x1964 PNG" "$photos/png-3024x1964.jpg"
  "$bin" thumbs "$runs" "12 hostile (4 of each)" "${files[@]: -3}"
} 2> >(errors) | tee -a "$log" > "$runtime/thumbs"
fi
if want voice; then
echo "== a 64 MiB voice as the minute's voice" >&2
"$bin" voice "$runs" "$photos/voice-64MiB.mp3" 2> >(errors) | tee -a "$log" > "$runtime/voice"
fi
if want peak; then
echo "== peak resident size, a fresh process per file" >&2
for f in none "${files[@]}"; do "$bin" peak "$f" 2> >(errors); done | tee -a "$log" > "$runtime/peak"
fi

# The built clock, whole process on a private Xvfb and the real clock, its title watched from
# outside (bench/title_lag) while every minute's picture is a hostile file: a copy of the
# program whose payload holds only t0000.jpg to t2359.jpg, all links to that file.
if want lag && (( lag_seconds > 0 )); then
  command -v Xvfb > /dev/null || { echo "bench_photos: Xvfb is missing (bash tools/deps.sh test)" >&2; exit 1; }
  [ -x "$build/bench/title_lag" ] || { echo "bench_photos: missing $build/bench/title_lag (make bench)" >&2; exit 1; }
  echo "== title lag, ${lag_seconds} s, every minute's picture a hostile file" >&2
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$runtime/display" 2> >(errors) &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$runtime/display" ] && break; sleep 0.05; done
  export DISPLAY=:$(head -n 1 "$runtime/display") QT_QPA_PLATFORM=xcb
  lag_pids=()
  for f in "${files[@]: -3}"; do
    n=$(basename "$f" .jpg)
    app=$runtime/app-$n
    mkdir -p "$app/bin" "$app/config" "$app/vanto-rimal/Payload/Vanto-Rimal3.app"
    cp "$build/vantoViewer3/bin/vantoViewer3" "$app/bin/"
    cp -r "$build/vantoViewer3/Resources" "$app/"
    for h in $(seq -w 0 23); do for m in $(seq -w 0 59); do
      ln "$f" "$app/vanto-rimal/Payload/Vanto-Rimal3.app/t$h$m.jpg" 2> /dev/null \
        || cp "$f" "$app/vanto-rimal/Payload/Vanto-Rimal3.app/t$h$m.jpg"
    done; done
    ( echo "lag file=$n $("$build/bench/title_lag" --seconds "$lag_seconds" -- env XDG_CONFIG_HOME="$app/config" \
        "$app/bin/vantoViewer3" 2> >(errors))" >> "$runtime/lag" ) &
    lag_pids+=($!)
  done
  wait "${lag_pids[@]}" || true
  kill "$xvfb_pid" 2> /dev/null || true
  xvfb_pid=""
  cat "$runtime/lag" >> "$log"
fi

# key=value of the line whose file is $2, in $1.
get() { awk -v f="$2" -v k="$3" '{ file = ""; v = ""
          for (i = 2; i <= NF; i++) { split($i, kv, "="); if (kv[1] == "file") file = kv[2]; if (kv[1] == k) v = kv[2] }
          if (file == f) { print v; exit } }' "$runtime/$1"; }
thumbs_get() { awk -v f="$2" -v k="$3" 'index($0, "file=" f " delivered") {
          n = split($0, parts, " "); for (i = 1; i <= n; i++) { split(parts[i], kv, "="); if (kv[1] == k) print kv[2] } }' "$runtime/$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || a == "-" || b == "" || b == "-" || b == 0) print "-"; else printf "%.2f", a / b }'; }
mb() { awk -v k="$1" 'BEGIN { if (k == "") print "-"; else printf "%.0f", k / 1024 }'; }
idle_before=$(get peak none idle_before_kb)
{
  echo
  echo "Minute work, 640x960 window on screen (Qt offscreen): main = the main thread's CPU from the call until every"
  echo "background job is handed back; call = wall time of MinuteWork; picture = wall time until the backdrop changed and"
  echo "nothing was left in the background; floor = libjpeg-turbo's scaled decode (DC scans only where 1/8 covers) or"
  echo "Qt's whole decode for other formats, then an area-averaging shrink, on one thread; medians of $runs runs."
  echo "Peak: a fresh process per file, the kernel's high-water mark (VmHWM) after one minute work; idle before $(mb "$idle_before") MB."
  printf '%-30s %6s %6s %9s %9s %10s %10s %6s %7s %8s\n' file MB opens main_ms call_ms picture_ms floor_ms ratio peak_MB idle_aft
  for f in "${files[@]}"; do
    n=$(basename "$f")
    printf '%-30s %6.1f %6s %9s %9s %10s %10s %6s %7s %8s\n' "${n%.jpg}" "$(awk -v b="$(get minute "$n" bytes)" 'BEGIN { print b / 1e6 }')" \
      "$( [ "$(get minute "$n" delivered)" = 1 ] && echo yes || echo NO)" "$(get minute "$n" main_ms)" "$(get minute "$n" call_ms)" \
      "$(get minute "$n" picture_ms)" "$(get minute "$n" floor_ms)" "$(ratio "$(get minute "$n" picture_ms)" "$(get minute "$n" floor_ms)")" \
      "$(mb "$(get peak "$n" peak_kb)")" "$(mb "$(get peak "$n" idle_after_kb)")"
  done
  if [ -s "$runtime/minute2" 2> /dev/null ]; then
    echo
    echo "The same at a device pixel ratio of 2 (QT_SCALE_FACTOR=2; the floor decodes to 1280x1920):"
    printf '%-30s %6s %9s %9s %10s %10s %6s\n' file opens main_ms call_ms picture_ms floor_ms ratio
    for f in "${files[@]}"; do
      n=$(basename "$f")
      printf '%-30s %6s %9s %9s %10s %10s %6s\n' "${n%.jpg}" "$( [ "$(get minute2 "$n" delivered)" = 1 ] && echo yes || echo NO)" \
        "$(get minute2 "$n" main_ms)" "$(get minute2 "$n" call_ms)" "$(get minute2 "$n" picture_ms)" "$(get minute2 "$n" floor_ms)" \
        "$(ratio "$(get minute2 "$n" picture_ms)" "$(get minute2 "$n" floor_ms)")"
    done
  fi
  echo
  echo "Preferences window with twelve faces: open = wall time of opening it; main = main-thread CPU until every job is"
  echo "handed back; shown = wall time until all twelve wells hold a picture; floor = the twelve decoded to 72x72 in turn."
  printf '%-30s %9s %9s %9s %7s %10s\n' set open_ms main_ms shown_ms filled floor_ms
  while IFS= read -r line; do
    set_name=$(sed 's/^thumbs file=\(.*\) delivered=.*/\1/' <<< "$line")
    printf '%-30s %9s %9s %9s %7s %10s\n' "$set_name" "$(thumbs_get thumbs "$set_name" call_ms)" "$(thumbs_get thumbs "$set_name" main_ms)" \
      "$(thumbs_get thumbs "$set_name" shown_ms)" "$(thumbs_get thumbs "$set_name" filled)/12" "$(thumbs_get thumbs "$set_name" floor_ms)"
  done < "$runtime/thumbs"
  echo
  echo "A 64 MiB voice (380 s decoded to 44.1 kHz stereo) as the minute's voice: floor = SDL_mixer decoding it from memory and starting it."
  printf '%-30s %9s %9s %10s %10s\n' file main_ms call_ms playing_ms floor_ms
  printf '%-30s %9s %9s %10s %10s\n' voice-64MiB "$(get voice voice-64MiB.mp3 main_ms)" "$(get voice voice-64MiB.mp3 call_ms)" \
    "$(get voice voice-64MiB.mp3 playing_ms)" "$(get voice voice-64MiB.mp3 floor_ms)"
  if [ -s "$runtime/lag" ]; then
    echo
    echo "Title lag behind its second (ms; whole process, Xvfb, real clock, ${lag_seconds} s) with every minute's picture a hostile file:"
    printf '%-30s %8s %8s %8s %8s\n' file changes median p90 max
    for n in "${hostile[@]}"; do
      printf '%-30s %8s %8s %8s %8s\n' "$n" "$(get lag "$n" changes)" "$(get lag "$n" median)" "$(get lag "$n" p90)" "$(get lag "$n" max)"
    done
  fi
} | tee "$build/bench/photos-table.txt"
