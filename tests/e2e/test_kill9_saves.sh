#!/bin/bash
# kill -9 of the running clock at random moments around its save: the quit is asked for
# (SIGTERM, which makes the Close handler write the settings), then SIGKILL follows after
# 0 to 3 ms, before, during or after the save. Whatever the moment, the settings file is the old one or the new one, whole.
# VV_KILL9_ROUNDS sets the number of rounds (default 12).
source "$(dirname "$0")/lib.sh"

setup_clock 1200-1200

# The old file is in a form the clock never writes, so the new one differs from it.
OLD=$'seiyuOn/Off=0,1,1\r\nalarmOn=1\r\nalarmHour=07\r\n'
NEW='seiyuOn/Off=0,1,1,0,0,0,0,0,0,0,0,0
alarmOn=1
alarmHour=07
alarmMin=
alarmVoice=0
voiceMode=0'
printf '%s' "$OLD" >"$E2E_TMP/old"
printf '%s\n' "$NEW" >"$E2E_TMP/new"

rounds=${VV_KILL9_ROUNDS:-12}
old=0 new=0 killed=0
for ((round = 1; round <= rounds; round++)); do
  cp "$E2E_TMP/old" "$PREFS_FILE"
  start_app "$DAY 12:00:00"
  wait_main_window win 20
  delay=$(printf '0.%06d' $((RANDOM % 3000)))
  kill -TERM "$APP_PID"
  sleep "$delay"
  kill -KILL "$APP_PID" 2>/dev/null
  wait_app_exit 5
  drop_faketime_shm
  [ "$APP_STATUS" = 137 ] && killed=$((killed + 1))
  [ -f "$PREFS_FILE" ] || fail "round $round (SIGKILL ${delay}s after SIGTERM): no settings file"
  if cmp -s "$PREFS_FILE" "$E2E_TMP/old"; then
    old=$((old + 1))
  elif cmp -s "$PREFS_FILE" "$E2E_TMP/new"; then
    new=$((new + 1))
  else
    fail "round $round (SIGKILL ${delay}s after SIGTERM, exit $APP_STATUS): the settings file is neither the old nor the new one"
  fi
done
leftovers=$(find "$XDG_CONFIG_HOME" -maxdepth 1 -name 'vantoViewer3 Prefs.*' | wc -l)
log "$rounds rounds, $killed ended by SIGKILL: old file $old times, new file $new times; $leftovers temporary file(s) left"
pass "kill -9 around the save never left a missing or partial settings file"
