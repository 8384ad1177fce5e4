#!/usr/bin/env bash
# The editor in the whole program on the X11 platform under Xvfb, driven
# with xdotool as a user would: Ctrl+H with a regular expression and a
# group replaces with the case of the text; a 1,000,000-line file opens,
# Replace All changes every line and one Undo takes it all back. The saved
# files are checked; every step is a PNG in <build>/gallery/editor_ide.
#   editor_end_to_end.sh <build> <screen_grab>
# Exit 77 (skipped) without xvfb-run or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); grab=$2
command -v xvfb-run > /dev/null || { echo "xvfb-run is not installed"; exit 77; }
command -v xdotool > /dev/null || { echo "xdotool is not installed"; exit 77; }
if [ "${PM2_IN_XVFB:-}" != 1 ]; then
  export PM2_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/pm2edit_XXXXXX)
trap 'kill "${pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
gallery="$build/gallery/editor_ide"
mkdir -p "$gallery"
rm -f "$gallery/failed.png"
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb PM2_NO_SPLASH=1
unset WAYLAND_DISPLAY
prog="$build/root/PM2/pelmora2"
printf 'void main(void)\r\n{\r\n  LED_Init();\r\n  led_init();\r\n}\r\n' > "$work/main.c"
awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "\tsum = sum + q * %d;\r\n", i % 1000 }' > "$work/big.c"
cp "$work/big.c" "$work/big.orig"

fail() { "$grab" "$gallery/failed.png" || true; echo "FAIL: $*"; cat "$work"/run*.txt; exit 1; }
shot() { sleep "${2:-0.5}"; "$grab" "$gallery/$1.png" || fail "no screenshot $1"; }
wait_name() {  # a window whose title matches
  for _ in $(seq 1 "${2:-100}"); do
    xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "no window named '$1'"
}
start() {
  "$prog" > "$work/run$1.txt" 2>&1 &
  pid=$!
  wait_name "Pelmora2" 300
  sleep 1
  xdotool mousemove 640 500
}
open_file() {
  xdotool key ctrl+o
  sleep 1.2
  xdotool type --delay 5 "$1"
  xdotool key Return
}
# The saved file passes a check (a command given as words).
wait_file() {
  for _ in $(seq 1 300); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
lines_replaced() { [ "$(grep -c ' r \* ' "$work/big.c")" = 1000000 ]; }
stop() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# 1: a regular expression with a group, match case off: the group keeps
# the case the text has.
start 1
open_file "$work/main.c"
wait_name "main.c"
shot 01-opened
xdotool mousemove 500 300 click 1
xdotool key ctrl+h
sleep 1
xdotool key ctrl+a; xdotool type --delay 5 '([a-z]+)_init'
xdotool key Tab; xdotool key ctrl+a; xdotool type --delay 5 '\1_Start'
xdotool key alt+e
shot 02-replace-dialog
xdotool key alt+a
shot 03-replaced-all 1
xdotool key Escape
sleep 0.3
xdotool mousemove 500 300 click 1
xdotool key ctrl+s
wait_file grep -q "LED_Start();" "$work/main.c" || fail "LED_Init was not replaced as LED_Start"
grep -q "led_Start();" "$work/main.c" || fail "led_init was not replaced as led_Start"
stop

# 2: a 1,000,000-line file opens; Replace All, then one Undo.
start 2
open_file "$work/big.c"
wait_name "big.c" 300
shot 04-big-opened
xdotool mousemove 500 300 click 1
xdotool key ctrl+End
shot 05-big-end
xdotool key ctrl+Home ctrl+h
sleep 1
xdotool key ctrl+a; xdotool type --delay 5 'q'
xdotool key Tab; xdotool key ctrl+a; xdotool type --delay 5 'r'
xdotool key alt+a
shot 06-big-replaced 1
xdotool key Escape
sleep 0.3
xdotool mousemove 500 300 click 1
xdotool key ctrl+s
wait_file lines_replaced || fail "not every line was replaced"
xdotool key ctrl+z
shot 07-big-undone 1
xdotool key ctrl+s
wait_file cmp -s "$work/big.c" "$work/big.orig" || fail "one Undo did not give the file back"
shot 08-big-saved
stop
echo "editor end to end: passed"
