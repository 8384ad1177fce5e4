#!/usr/bin/env bash
# A new user's start under Xvfb with a settings file that is damaged, a pipe
# in the file's place, or a file of 100,000 keys: the window appears, says
# once what was reset (a message over the window), closes with Alt+F4 and
# ends with status 0 without hanging on the pipe. Pictures in
# <build>/gallery/settings.
#   damaged_settings_end_to_end.sh <build> <screen_grab>
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); grab=$2
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool
e2e_in_xvfb "$@"
e2e_start_work pm2settings settings

fail() { "$grab" "$gallery/failed-$case.png" || true; echo "FAIL ($case): $*"; cat "$work"/run-*.txt; exit 1; }
# The number of visible windows named exactly "Pelmora2" (the frame without
# a project, and the message box over it).
windows() { xdotool search --onlyvisible --name '^Pelmora2' 2>/dev/null | wc -l || true; }

# The message box over the frame: the narrowest of the two windows.
message_box() {
  local box="" narrowest=100000 w
  for w in $(xdotool search --onlyvisible --name '^Pelmora2' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if [ "$WIDTH" -lt "$narrowest" ]; then narrowest=$WIDTH; box=$w; fi
  done
  echo "$box"
}
two_windows() { [ "$(windows)" -ge 2 ]; }
one_window() { [ "$(windows)" -le 1 ]; }
# Ended, failing at once if a message comes up again on the way.
ended_without_message() {
  [ "$(windows)" -ge 2 ] && fail "the message was shown more than once"
  ! e2e_alive "$pid"
}

# The file of 100,000 keys is read (and written back) at start and at the
# end: a sanitized program on a loaded machine takes far longer than a user
# waits, so the waits run to the test's own time rather than a fixed bound.
run_case() {
  case=$1; expect=$2
  export XDG_CONFIG_HOME="$work/$case"
  local file="$XDG_CONFIG_HOME/Vond/Pelmora2/settings.ini"
  local started=$(date +%s%N)
  "$prog" > "$work/run-$case.txt" 2>&1 &
  pid=$!
  e2e_wait "a window with a message over it" 280 two_windows
  echo "$case: window and message after $(( ($(date +%s%N) - started) / 1000000 )) ms"
  # The message gets the keyboard by hand (no window manager); Return
  # closes it.
  local box
  box=$(message_box)
  e2e_focus "$box"
  shot "$case"
  xdotool key Return
  e2e_wait "the message to close" 280 one_window
  # Without a window manager the keyboard goes back to the frame by hand.
  # Alt+F4 ends the program; a message shown again on the way (a modal box
  # would hold the frame's close) fails the case.
  local frame
  frame=$(xdotool search --onlyvisible --name '^Pelmora2' | sed -n 1p)
  e2e_focus "$frame"
  xdotool mousemove 640 500
  xdotool key alt+F4
  e2e_poll 280 ended_without_message || fail "the program did not close"
  local status=0
  wait "$pid" || status=$?
  [ "$status" = 0 ] || fail "the program ended with status $status"
  case "$expect" in
    backup) [ -f "${file%.ini}_ini.Bak" ] || fail "the damaged file was not kept"
            grep -q "LprJ" "$file" || fail "the settings were not saved" ;;
    kept)   [ -p "$file" ] || fail "the pipe was replaced" ;;
  esac
}

# A damaged file: one line that can't be read.
mkdir -p "$work/damaged/Vond/Pelmora2"
printf '; Pelmora2 settings 1\n[Software\\Vond\\Pelmora2\\MFrame]\nLprJ=d:12x\n' \
  > "$work/damaged/Vond/Pelmora2/settings.ini"
run_case damaged backup
# A pipe where the file belongs: refused at once, never written over.
mkdir -p "$work/pipe/Vond/Pelmora2"
mkfifo "$work/pipe/Vond/Pelmora2/settings.ini"
run_case pipe kept
# 100,000 keys, one of them damaged.
mkdir -p "$work/large/Vond/Pelmora2"
{
  echo '; Pelmora2 settings 1'
  for i in $(seq 1 100000); do printf '[Software\\Vond\\Pelmora2\\Many\\K%d]\nv=s:x\n' "$i"; done
  echo 'broken line'
} > "$work/large/Vond/Pelmora2/settings.ini"
run_case large backup
echo "pictures in $gallery"
