# Shared helpers for the end-to-end tests: each test gets its own X server (Xvfb), its own
# application folder (a copy of the built binary and its Resources), its own settings folder
# and its own small payload, so tests never touch the user's files and can run in parallel.
#
# Sourced by tests/e2e/test_*.sh. CTest sets VV_BUILD_DIR, VV_APP_DIR and VV_SOURCE_DIR.
# Set VV_E2E_KEEP=1 to keep the temporary folder (screenshots, logs) after a run.

set -u

: "${VV_BUILD_DIR:?VV_BUILD_DIR is not set (run through ctest)}"
: "${VV_APP_DIR:=$VV_BUILD_DIR/vantoViewer3}"
: "${VV_SOURCE_DIR:?VV_SOURCE_DIR is not set (run through ctest)}"

source "$VV_SOURCE_DIR/tools/harness.sh"
E2E_NAME=$HARNESS_NAME
E2E_TMP=$SCRATCH
KEEP_SCRATCH=${VV_E2E_KEEP:-${KEEP_SCRATCH:-0}}
E2E_START=$(date +%s%N)
APP=$E2E_TMP/app
APP_LOG=$E2E_TMP/app.log
APP_STATUS=
WATCH_LOG=$E2E_TMP/windows.log
PROBE=$VV_BUILD_DIR/tools/vv_e2e
MAKE_PAYLOAD=$VV_BUILD_DIR/tools/make_payload
STANDARD_PAYLOAD="$APP/vanto-rimal/Payload/Vanto-Rimal3.app"
HD_PAYLOAD="$APP/vanto-rimal/Payload/Vanto-Rimal3 HD.app"

# A private, predictable environment: settings, runtime folder, time zone.
private_env
PREFS_FILE="$XDG_CONFIG_HOME/vantoViewer3 Prefs"

# The file a first run writes: every voice actor on, no alarm, voice mode 0.
DEFAULT_PREFS='seiyuOn/Off=1,1,1,1,1,1,1,1,1,1,1,1
alarmOn=0
alarmHour=00
alarmMin=00
alarmVoice=0
voiceMode=0'

log() { echo "[$E2E_NAME $(elapsed_ms) ms] $*"; }

elapsed_ms() { echo $((($(date +%s%N) - E2E_START) / 1000000)); }

diagnostics() {
  echo "---- diagnostics ($E2E_NAME) ----"
  if [ -n "${DISPLAY:-}" ] && [ -n "$XVFB_PID" ]; then
    echo "windows of the application:"
    local w
    for w in $(app_windows all); do
      echo "  $w \"$(xdotool getwindowname "$w" 2>/dev/null)\" $(window_size "$w")"
    done
  fi
  echo "application status: ${APP_STATUS:-running or not started}"
  echo "application log ($APP_LOG):"
  sed 's/^/  | /' "$APP_LOG" 2>/dev/null
  if [ -e "$PREFS_FILE" ]; then
    echo "settings file:"
    od -c "$PREFS_FILE" | sed 's/^/  | /'
  else
    echo "settings file: none"
  fi
  [ -s "$WATCH_LOG" ] && { echo "top-level window events:"; sed 's/^/  | /' "$WATCH_LOG" | tail -40; }
}

fail() {
  echo "FAIL [$E2E_NAME]: $*"
  diagnostics
  exit 1
}

# ---- X server ------------------------------------------------------------------------------

# Starts Xvfb on a free display (the server picks it: -displayfd) and exports DISPLAY.
start_x() {
  need Xvfb xdotool
  [ -x "$PROBE" ] || fail "$PROBE is not built (cmake --build \"$VV_BUILD_DIR\" --target vv_e2e)"
  start_xvfb
  log "Xvfb on $DISPLAY"
}

# Records every top-level window's creation, size and mapping in $WATCH_LOG.
start_window_watch() {
  "$PROBE" watch >"$WATCH_LOG" 2>&1 &
  STOP_PIDS+=($!)
  wait_until 5 grep -q '^ready' "$WATCH_LOG" || fail "the window watch did not start"
}

# The largest width and height any top-level window had, as "W H".
largest_window_seen() {
  awk '$1 == "create" || $1 == "configure" { if ($3 > w) w = $3; if ($4 > h) h = $4 }
       END { print w + 0, h + 0 }' "$WATCH_LOG"
}

# ---- application folder and payloads -------------------------------------------------------

# The application finds its folder two levels above its real executable, so it gets a copy
# of its own (a link would lead back to the build folder).
make_app() {
  [ -x "$VV_APP_DIR/bin/vantoViewer3" ] || fail "no built binary at $VV_APP_DIR/bin/vantoViewer3"
  [ -f "$VV_APP_DIR/Resources/ActTime.txt" ] || fail "no Resources in $VV_APP_DIR"
  mkdir -p "$APP/bin"
  cp "$VV_APP_DIR/bin/vantoViewer3" "$APP/bin/"
  cp -r "$VV_APP_DIR/Resources" "$APP/Resources"
}

# make_payload FOLDER MINUTES [make_payload options...]: a small payload with 64x96 pictures.
make_payload() {
  local folder=$1 minutes=$2
  shift 2
  [ -x "$MAKE_PAYLOAD" ] || fail "$MAKE_PAYLOAD is not built"
  # The generator only lays out the fixture. Under load LeakSanitizer's exit-time tracer has
  # crashed in its worker threads, failing the test for nothing the clock did.
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$MAKE_PAYLOAD" --out "$folder" --resources "$VV_SOURCE_DIR/Resources" --minutes "$minutes" \
    --size 64x96 --jobs 2 "$@" >"$E2E_TMP/make_payload.log" 2>&1 ||
    fail "make_payload failed: $(cat "$E2E_TMP/make_payload.log")"
}

# ---- the application -----------------------------------------------------------------------

# The usual fixture: Xvfb, the application folder and a standard payload of MINUTES (a
# make_payload range) without voices.
setup_clock() {
  start_x
  make_app
  make_payload "$STANDARD_PAYLOAD" "$1" --no-voices
}

# The day every faked clock runs on: start_app "$DAY 12:34:05".
DAY="@2026-12-07"

# start_app [FAKETIME]: starts the copied binary; with FAKETIME (libfaketime's syntax, for
# instance "@2026-12-07 12:34:56") its clock starts there and runs on at real speed.
# Extra variables for the application can be put in APP_ENV (an array of NAME=VALUE); its
# stderr goes to the open file descriptor APP_STDERR_FD when set, else into $APP_LOG.
start_app() {
  local faked=${1:-}
  local -a env_args=()
  if [ -n "$faked" ]; then
    env_args+=("LD_PRELOAD=$(faketime_lib)" "FAKETIME=$faked")
  fi
  env_args+=("QT_QPA_PLATFORM=xcb" "SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}")
  if [ -n "${APP_ENV+x}" ]; then env_args+=("${APP_ENV[@]}"); fi
  APP_LAUNCHED=$(date +%s%N)
  env "${env_args[@]}" "$APP/bin/vantoViewer3" >"$APP_LOG" 2>&"${APP_STDERR_FD:-1}" &
  APP_PID=$!
  APP_STATUS=
  log "started the application (pid $APP_PID${faked:+, time $faked})"
}

app_running() { kill -0 "$APP_PID" 2>/dev/null && [ -z "$APP_STATUS" ]; }

# Waits for the application to end; its exit status lands in APP_STATUS.
wait_app_exit() {
  local seconds=${1:-10}
  if ! wait_until "$seconds" app_gone; then
    fail "the application did not exit within $seconds s"
  fi
  wait "$APP_PID" 2>/dev/null
  APP_STATUS=$?
  log "the application exited with status $APP_STATUS"
}

app_gone() { gone "$APP_PID"; }

# The application's visible windows (its own id in _NET_WM_PID), or all with "all".
app_windows() {
  if [ "${1:-}" = all ]; then
    xdotool search --pid "$APP_PID" 2>/dev/null
  else
    xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null
  fi
}

# The first visible window of the application whose title matches the extended regex.
find_window() {
  local pattern=$1 w
  for w in $(app_windows); do
    if xdotool getwindowname "$w" 2>/dev/null | grep -Eq "$pattern"; then
      echo "$w"
      return 0
    fi
  done
  return 1
}

# wait_window VARIABLE PATTERN [SECONDS]: sets VARIABLE to the window's id.
wait_window() {
  local var=$1 pattern=$2 seconds=${3:-10}
  local found=
  wait_until "$seconds" eval "found=\$(find_window '$pattern')" ||
    fail "no window titled /$pattern/ within $seconds s"
  printf -v "$var" '%s' "$found"
}

# The main window: its title is a time of day.
wait_main_window() { wait_window "$1" '^[0-9]{2}:[0-9]{2}:[0-9]{2}$' "${2:-10}"; }

window_title() { xdotool getwindowname "$1" 2>/dev/null; }

# "W H" of the whole top-level window (the menu bar and the content area below it).
window_size() {
  local WIDTH= HEIGHT= X= Y= SCREEN= WINDOW=
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)"
  echo "${WIDTH:-?} ${HEIGHT:-?}"
}

# wait_window_size WINDOW WIDTH MIN_HEIGHT MAX_HEIGHT [SECONDS]
wait_window_size() {
  local w=$1 width=$2 lo=$3 hi=$4 seconds=${5:-5}
  wait_until "$seconds" window_size_is "$w" "$width" "$lo" "$hi"
}

window_size_is() {
  local size
  read -r -a size <<<"$(window_size "$1")"
  [ "${size[0]}" = "$2" ] && [ "${size[1]}" -ge "$3" ] 2>/dev/null && [ "${size[1]}" -le "$4" ]
}

# Seconds since midnight of an HH:MM:SS title; fails on anything else.
title_seconds() {
  [[ "$1" =~ ^([0-9]{2}):([0-9]{2}):([0-9]{2})$ ]] || fail "\"$1\" is not a time of day"
  echo $((10#${BASH_REMATCH[1]} * 3600 + 10#${BASH_REMATCH[2]} * 60 + 10#${BASH_REMATCH[3]}))
}

# expect_title_since_launch TITLE HH:MM:SS: the faked clock started at HH:MM:SS with the
# process and runs at real speed, so a title read now lies between that time and that time
# plus the real seconds since start_app (rounded up); a slow machine moves only the bound.
expect_title_since_launch() {
  local title=$1 started elapsed seen
  started=$(title_seconds "$2")
  seen=$(title_seconds "$title")
  elapsed=$((($(date +%s%N) - APP_LAUNCHED + 999999999) / 1000000000))
  [ "$seen" -ge "$started" ] && [ "$seen" -le $((started + elapsed)) ] ||
    fail "title \"$title\" $elapsed s after a start at $2: expected $2 to $elapsed s later"
}

# The title of WINDOW has moved on from TEXT (the clock keeps ticking).
title_moved_on() { [ "$(window_title "$1")" != "$2" ]; }

# Keys (xdotool's names, e.g. ctrl+q) to a window, which gets the focus first: there is no
# window manager to give it.
send_keys() {
  local w=$1
  shift
  xdotool windowfocus --sync "$w" 2>/dev/null || xdotool windowfocus "$w"
  xdotool key --clearmodifiers "$@"
}

showing_windows() { app_windows | wc -l; }

# with_menu COMMAND...: runs a command that opens a menu (a drop-down of the menu bar, a
# pop-up's list) and waits until it shows: a menu is a window of its own. wait_menu_closed
# then waits until it has gone.
MENU_BASE=0
with_menu() {
  MENU_BASE=$(showing_windows)
  "$@"
  wait_until 10 eval '[ "$(showing_windows)" -gt "$MENU_BASE" ]' || fail "no menu showed after: $*"
}
wait_menu_closed() { wait_until 10 eval '[ "$(showing_windows)" -le "$MENU_BASE" ]' || fail "the menu stayed open"; }

# Opens the preferences window from the main window's menu bar with keys, as a keyboard user
# does: Alt selects the first menu (ファイル), Down opens it, Return chooses its first item
# (環境設定...). Sets VARIABLE to the preferences window's id.
open_prefs_by_keys() {
  with_menu send_keys "$1" alt Down
  xdotool key Return
  wait_window "$2" '^環境設定$' 10
}

# Ctrl+Q to WINDOW ends the process with status 0.
quit_by_keys() {
  send_keys "$1" ctrl+q
  wait_app_exit 10
  [ "$APP_STATUS" = 0 ] || fail "exit status $APP_STATUS after Ctrl+Q"
}

# Asks a window to close the way a window manager does (WM_DELETE_WINDOW).
close_window() { "$PROBE" close "$1" || fail "could not ask window $1 to close"; }

# shot WINDOW NAME: the window's pixels in $E2E_TMP/NAME.png; prints the path.
shot() {
  local file=$E2E_TMP/$2.png
  "$PROBE" shot "$1" "$file" || fail "could not take a screenshot of window $1"
  echo "$file"
}

# expect_pixel PNG X Y RRGGBB WHAT: fails unless the pixel is near that colour.
expect_pixel() {
  local seen
  seen=$("$PROBE" pixel "$1" "$2" "$3" "$4") ||
    fail "$5: pixel ($2, $3) of $(basename "$1") is ${seen:-unreadable}, expected about $4"
}

# Fails unless the settings file holds exactly the given lines, each ending in LF.
expect_prefs() {
  local expected=$1
  [ -f "$PREFS_FILE" ] || fail "no settings file at $PREFS_FILE"
  printf '%s\n' "$expected" >"$E2E_TMP/expected-prefs"
  cmp -s "$E2E_TMP/expected-prefs" "$PREFS_FILE" ||
    fail "the settings file differs from the expected one: $(diff "$E2E_TMP/expected-prefs" "$PREFS_FILE")"
}

pass() {
  log "PASS${1:+: $1}"
  exit 0
}
