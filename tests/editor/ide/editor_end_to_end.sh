#!/usr/bin/env bash
# The editor in the whole program on the X11 platform under Xvfb, driven
# with xdotool as a user would: Ctrl+H with a regular expression and a
# group replaces with the case of the text; a 200,000-line file opens,
# Replace All changes every line and one Undo takes it all back. The saved
# files are checked; every step is a PNG in <build>/gallery/editor_ide.
#   editor_end_to_end.sh <build> <screen_grab>
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); grab=$2
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool
e2e_in_xvfb "$@"
e2e_start_work pm2edit editor_ide
printf 'void main(void)\r\n{\r\n  LED_Init();\r\n  led_init();\r\n}\r\n' > "$work/main.c"
awk 'BEGIN { for (i = 0; i < 200000; i++) printf "\tsum = sum + q * %d;\r\n", i % 1000 }' > "$work/big.c"
cp "$work/big.c" "$work/big.orig"

wait_name() { e2e_wait_window "$1" "${2:-30}" > /dev/null; }
start() { start_program "$work/run$1.txt"; }
open_file() {
  xdotool key ctrl+o
  enter_in_dialog "Open File" "$1"
}
# The saved file passes a check (a command given as words).
wait_file() { e2e_wait "the saved $work/main.c to pass: $*" 30 "$@"; }
# Replace All and Undo over the big text take a while, much longer in an
# unoptimised build; the program takes no keys meanwhile.
wait_big_file() { e2e_wait "the saved big.c to pass: $*" 150 "$@"; }
# Ctrl+H opens the Replace dialog; the keys typed next must reach it, not
# the text under it, so they wait until it has the keyboard.
open_replace() {
  local dialog
  xdotool key ctrl+h
  dialog=$(e2e_wait_window '^Replace$')
  e2e_wait_focus "$dialog"
}
# Escape closes the find dialog once the program has done what came before
# (a Replace All): the keys after it go to the text, not to the dialog,
# which gets the keyboard back.
close_dialog() {
  xdotool key Escape
  e2e_wait_gone '^Replace$' "${1:-30}"
  xdotool mousemove 500 300 click 1
  e2e_focus "$main"
}
lines_replaced() { [ "$(grep -c ' r \* ' "$work/big.c")" = 200000 ]; }
stop() { stop_program; }

# 1: a regular expression with a group, match case off: the group keeps
# the case the text has.
start 1
open_file "$work/main.c"
wait_name "main.c"
shot 01-opened
xdotool mousemove 500 300 click 1
open_replace
xdotool key ctrl+a; xdotool type --delay 5 '([a-z]+)_init'
xdotool key Tab; xdotool key ctrl+a; xdotool type --delay 5 '\1_Start'
xdotool key alt+e
shot 02-replace-dialog
xdotool key alt+a
shot 03-replaced-all
close_dialog
xdotool key ctrl+s
wait_file grep -q "LED_Start();" "$work/main.c" || fail "LED_Init was not replaced as LED_Start"
grep -q "led_Start();" "$work/main.c" || fail "led_init was not replaced as led_Start"
stop

# 2: a 200,000-line file opens; Replace All, then one Undo.
start 2
open_file "$work/big.c"
wait_name "big.c" 60
shot 04-big-opened
xdotool mousemove 500 300 click 1
xdotool key ctrl+End
shot 05-big-end
xdotool key ctrl+Home
open_replace
xdotool key ctrl+a; xdotool type --delay 5 'q'
xdotool key Tab; xdotool key ctrl+a; xdotool type --delay 5 'r'
xdotool key alt+a
close_dialog 150
xdotool key ctrl+s
wait_big_file lines_replaced || fail "not every line was replaced"
shot 06-big-replaced
xdotool key ctrl+z
xdotool key ctrl+s
wait_big_file cmp -s "$work/big.c" "$work/big.orig" || fail "one Undo did not give the file back"
shot 07-big-undone
stop
echo "editor end to end: passed"
