#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/, clang + libFuzzer + ASan/UBSan) and runs each for SECONDS.
#
#   tools/fuzz.sh SECONDS [TARGET...]      e.g.  tools/fuzz.sh 60    tools/fuzz.sh 600 minute_work
#
# Environment: FUZZ_BUILD (build folder, default build-fuzz), FUZZ_JOBS (fuzzing processes
# per target sharing one corpus, default 1), BUILD_JOBS (compile jobs, default the core count).
# Each target's corpus grows in $FUZZ_BUILD/corpus/TARGET, seeded from fuzz/corpus/TARGET;
# a crashing input lands in $FUZZ_BUILD/artifacts/TARGET/. Prints the executions and crashes
# of each target; exits non-zero when any target crashed (or a sanitizer spoke).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: tools/fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(layout_stream table_pipeline prefs_file minute_work picture_file sound_open)
build=${FUZZ_BUILD:-build-fuzz}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
jobs=${FUZZ_JOBS:-1}

echo "fuzz: building in $build"
CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if ! cmake --build "$build" -j"${BUILD_JOBS:-$(nproc)}" --target $(printf 'fuzz_%s ' "${targets[@]}") >"$build/build.log" 2>&1; then
  grep -E 'error|FAILED' "$build/build.log" | head -20 >&2
  echo "fuzz: the build failed; see $build/build.log" >&2
  exit 2
fi

# The whole-clock targets keep their application folder in a temporary folder of their own,
# on tmpfs when there is one (the settings writer syncs to disk on every save).
scratch_base=/dev/shm
[ -d "$scratch_base" ] && [ -w "$scratch_base" ] || scratch_base=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$scratch_base/vvfuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

export ASAN_OPTIONS=${FUZZ_ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

failed=0
summary=()
for t in "${targets[@]}"; do
  exe="$build/fuzz_$t"
  [ -x "$exe" ] || { echo "fuzz: no target $t" >&2; exit 2; }
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  logs="$build/logs/$t"
  mkdir -p "$corpus" "$artifacts" "$logs"
  rm -f "$logs"/*.log
  echo "fuzz: $t for ${seconds}s with $jobs process(es)"
  # The whole-clock targets keep state from one input to the next (the backdrop, the loaded
  # tables, sounds still playing), so a per-input leak check would scan the heap after
  # nearly every input; their leaks are looked for once, at exit.
  leaks=1
  case "$t" in prefs_file | minute_work) leaks=0 ;; esac
  # Table lines and settings lines are short; longer inputs only slow the search down.
  max_len=4096
  # A sound file that decodes past the bound takes some 3000 of the shortest frames.
  case "$t" in table_pipeline | prefs_file) max_len=1024 ;; picture_file) max_len=32768 ;; sound_open) max_len=65536 ;; esac
  pids=()
  for ((j = 1; j <= jobs; j++)); do
    TMPDIR="$scratch" "$exe" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 \
      -print_final_stats=1 -detect_leaks=$leaks -max_len=$max_len \
      -artifact_prefix="$artifacts/" "$corpus" "$root/fuzz/corpus/$t" \
      > "$logs/$j.log" 2>&1 &
    pids+=($!)
  done
  crashed=0
  for pid in "${pids[@]}"; do wait "$pid" || crashed=$((crashed + 1)); done
  execs=$(awk '/stat::number_of_executed_units:/ { n += $2 } END { print n + 0 }' "$logs"/*.log)
  if [ "$crashed" -ne 0 ]; then
    failed=1
    echo "fuzz: $t CRASHED; logs in $logs, inputs in $artifacts:" >&2
    ls -1 "$artifacts" >&2 || true
    grep -h -m3 -E 'ERROR|SUMMARY|fuzz_[a-z_]+:' "$logs"/*.log >&2 || true
  fi
  summary+=("$(printf '%-16s %12s execs  %d crashed process(es)  corpus %d' "$t" "$execs" "$crashed" \
    "$(find "$corpus" -type f | wc -l)")")
done

echo "fuzz: summary (${seconds}s per target, $jobs process(es) each)"
printf '  %s\n' "${summary[@]}"
exit $failed
