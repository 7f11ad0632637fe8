#!/usr/bin/env bash
# Makes the benchmarks' photo set once, in OUT (default build/photos): for each kind of file
# the largest an ordinary user has, and hostile files. Photo-like content (soft light and
# shapes under sensor grain) from photo_source, encoded by libjpeg-turbo's cjpeg and jpegtran,
# so that the files are as large as real photos of those sizes. Files already there are kept.
#
#   tools/photos/make_photos.sh [OUT]     BUILD (default build) holds bench/photo_source
#
# Every picture is named .jpg, as the payload names them, whatever its format.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-build}
[[ $build = /* ]] || build=$root/$build
out=${1:-$build/photos}
source=$build/bench/photo_source
[ -x "$source" ] || { echo "make_photos: build bench/photo_source first (make bench)" >&2; exit 1; }
for tool in cjpeg jpegtran; do
  command -v "$tool" > /dev/null || { echo "make_photos: $tool is missing (bash tools/deps.sh bench)" >&2; exit 1; }
done
mkdir -p "$out"

# jpeg NAME W H GRAIN QUALITY SAMPLING [cjpeg options]
jpeg() {
  local name=$1 w=$2 h=$3 grain=$4 quality=$5 sampling=$6
  shift 6
  "$source" ppm "$w" "$h" "$grain" | cjpeg -quality "$quality" -sample "$sampling" -optimize "$@" > "$out/$name.tmp"
}
# A scan script of eleven scans that ends on a refinement of the luma's last AC coefficient; that
# scan, a few hundred bytes, is then repeated until the file has 400: each repeat is another
# pass over every block (libjpeg warns of it and decodes on).
scans() {
  printf '%s\n' "0,1,2: 0-0, 0, 1;" "0: 1-5, 0, 2;" "2: 1-63, 0, 1;" "1: 1-63, 0, 1;" \
    "0: 6-63, 0, 2;" "0: 1-63, 2, 1;" "0,1,2: 0-0, 1, 0;" "2: 1-63, 1, 0;" "1: 1-63, 1, 0;" \
    "0: 1-62, 1, 0;" "0: 63-63, 1, 0;"
}
repeat_last_scan() {
  python3 -c '
import sys
data = open(sys.argv[1], "rb").read()
last = data.rindex(b"\xff\xda")
scan = data[last:-2]
print(end="", flush=True)
sys.stdout.buffer.write(data[:-2] + scan * (int(sys.argv[2]) - 11) + b"\xff\xd9")
' "$1" "$2"
}

make_one() {
  local name=$1
  case $name in
    baseline-50Mpx) jpeg "$name" 8660 5773 20 98 2x2 ;;
    camera-45Mpx-baseline) jpeg "$name" 8256 5504 12 92 2x2 ;;
    progressive-24Mpx-444) jpeg "$name" 6000 4000 16 97 1x1 -progressive ;;
    progressive-45Mpx-420) jpeg "$name" 8256 5504 12 95 2x2 -progressive ;;
    wallpaper-4K-progressive) jpeg "$name" 3840 2160 20 97 1x1 -progressive ;;
    wallpaper-5K-progressive) jpeg "$name" 5640 3172 30 98 2x2 -progressive ;;
    photo-24Mpx-progressive) jpeg "$name" 6000 4000 8 93 2x2 -progressive ;;
    png-4K) "$source" png 3840 2160 0 "$out/$name.tmp" ;;
    png-3024x1964) "$source" png 3024 1964 0 "$out/$name.tmp" ;;
    png-16Mpx) "$source" png 4896 3264 0 "$out/$name.tmp" ;;
    bmp-16Mpx) "$source" bmp 4896 3264 0 "$out/$name.tmp" ;;
    gif-16Mpx) "$source" gif 4896 3264 0 "$out/$name.tmp" ;;
    hostile-arithmetic-5120x5120)
      jpeg "$name.base" 5120 5120 26 96 2x2
      jpegtran -arithmetic "$out/$name.base.tmp" > "$out/$name.tmp"
      rm -f "$out/$name.base.tmp" ;;
    hostile-400-scans)
      jpeg "$name.base" 5120 3200 8 92 1x1
      scans > "$out/$name.scans"
      jpegtran -scans "$out/$name.scans" "$out/$name.base.tmp" > "$out/$name.ten.tmp"
      repeat_last_scan "$out/$name.ten.tmp" 400 > "$out/$name.tmp"
      rm -f "$out/$name.base.tmp" "$out/$name.ten.tmp" "$out/$name.scans" ;;
    hostile-png-badcrc-chunks) "$source" badcrc-png 1024 768 1250000 "$out/$name.tmp" ;;
  esac
  mv "$out/$name.tmp" "$out/$name.jpg"
}

names=(baseline-50Mpx camera-45Mpx-baseline progressive-24Mpx-444 progressive-45Mpx-420
       wallpaper-4K-progressive wallpaper-5K-progressive photo-24Mpx-progressive png-4K
       png-3024x1964 png-16Mpx bmp-16Mpx gif-16Mpx hostile-arithmetic-5120x5120
       hostile-400-scans hostile-png-badcrc-chunks)
jobs=${PHOTO_JOBS:-4}
for name in "${names[@]}"; do
  [ -s "$out/$name.jpg" ] && continue
  while (( $(jobs -rp | wc -l) >= jobs )); do wait -n; done
  echo "make_photos: $name" >&2
  make_one "$name" &
done
wait
# 380 s of voice: 64 MiB once decoded to the mixer's 44.1 kHz 16-bit stereo, just inside the
# bound on a decoded sound.
[ -s "$out/voice-64MiB.mp3" ] || { "$source" mp3 380 "$out/voice-64MiB.mp3.tmp" && mv "$out/voice-64MiB.mp3.tmp" "$out/voice-64MiB.mp3"; }
for name in "${names[@]}"; do [ -s "$out/$name.jpg" ] || { echo "make_photos: $name was not made" >&2; exit 1; }; done
