#!/usr/bin/env bash
# The debug windows of the example end to end on the X11 platform under
# Xvfb, with the GDB driver and qemu: the session stops at main by itself,
# F10 steps, a breakpoint set by a double click in the editor's margin, F5
# runs to it and the arrow stands on its line; the watch bar (View menu)
# shows the locals of main, Watch #1 the global
# pattern_step (kept in the options file) and its change after a step, the
# call stack main and its caller; a value tip shows pattern_step's value.
# Every step is a PNG in <build>/gallery/debugger/windows-*.png.
#   debug_bar_windows_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
here=$(cd "$(dirname "$0")" && pwd)
fail_shot=windows-failed shot_prefix=windows- debug_work=pm2dbgwin debug_gallery=debugger
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
e2e_need python3
. "$(dirname "${BASH_SOURCE[0]}")/debug_e2e.sh"
# Watch #1 of the target holds pattern_step, as a session would leave it.
sed -i 's/^  OPTLC <>\(\r\?\)$/  OPTLC <>\1\n  OPTWA 0,1,(pattern_step)\1/' "$work/blinky/Blinky.Opt"
grep -q "OPTWA 0,1,(pattern_step)" "$work/blinky/Blinky.Opt" || { echo "the options file has no OPTLC line"; exit 1; }
find_png() { python3 "$here/png_find.py" "$@"; }

# The program counter's arrow (its yellow) in the editors' area: "x0 y0 x1 y1".
arrow() { find_png "$1" bbox 255 255 0 80 160 900 760; }

build_example
open_example
eval "$(xdotool getwindowgeometry --shell "$main")"
wx=$X; wy=$Y
xdotool mousemove 640 400
# "Go till main()" of the example's options: the session stops at main.
dbg_start_session
e2e_wait_window "Blinky.c" > /dev/null
# The main window's place, for the menu bar.
eval "$(xdotool getwindowgeometry --shell "$main")"
wx=$X; wy=$Y
dbg_shot 01-stopped-at-main
read -r ax0 ay0 ax1 ay1 <<< "$(arrow "$gallery/windows-01-stopped-at-main.png")" || true
[ -n "${ay1:-}" ] || fail "no arrow in the margin at main"
mid0=$(( (ay0 + ay1) / 2 ))
# F10 steps to main's next line: the arrow's move is the line height (the
# line is in sight, so the view does not scroll).
dbg_run_to_stop "F10's stop" key F10
dbg_shot 01-stepped
read -r ax0 ay0 ax1 ay1 <<< "$(arrow "$gallery/windows-01-stepped.png")" || true
[ -n "${ay1:-}" ] || fail "no arrow in the margin after the step"
mid=$(( (ay0 + ay1) / 2 ))
h=$(( mid - mid0 ))
[ "$h" -ge 8 ] && [ "$h" -le 40 ] || fail "the step did not move the arrow one line ($mid0 to $mid)"
echo "arrow $ax0 $ay0 $ax1 $ay1 mid $mid height $h window $wx $wy"
# View > Watch & Call Stack Window: the debug bar opens or closes.
watch_bar() {
  dbg_open_menu "the View menu" mousemove "$((wx + 80))" "$((wy + 10))" click 1
  dbg_close_menu "the View menu" key w
  dbg_settle
}
# 1: a double click in the margin of the line after (the call of LED_Init)
# sets a breakpoint; F5 runs to it and the arrow stands on the
# breakpoint's mark.
target=$((mid + h))
xdotool mousemove "$((ax0 + 1))" "$target" click --repeat 2 --delay 80 1
dbg_shot 03-margin-breakpoint
dbg_run_to_stop "F5's stop at the margin's breakpoint" key F5
dbg_shot 04-stopped-at-breakpoint
read -r bx0 by0 bx1 by1 <<< "$(arrow "$gallery/windows-04-stopped-at-breakpoint.png")" || true
[ -n "${by1:-}" ] || fail "no arrow after the run to the breakpoint"
# The breakpoint's red mark in the margin, under the arrow.
read -r rx0 ry0 rx1 ry1 <<< "$(find_png "$gallery/windows-04-stopped-at-breakpoint.png" bbox 255 0 0 \
                                $((bx0 - 4)) 125 $((bx1 + 4)) 760)" || true
[ -n "${ry1:-}" ] || fail "no breakpoint mark in the margin after the run"
[ $(( ry1 - ry0 )) -le $(( 2 * h )) ] || fail "more than one breakpoint mark in the margin ($ry0..$ry1)"
bmid=$(( (by0 + by1) / 2 ))
[ "$bmid" -ge "$ry0" ] && [ "$bmid" -le "$ry1" ] ||
  fail "the arrow is not on the breakpoint's line (arrow $by0..$by1, mark $ry0..$ry1)"
# 2: the watch bar shows the locals of main.
watch_bar
dbg_shot 02-watch-bar-locals
# The bar's tabs and first row lie where the fresh layout puts them.
tab_y=$((wy + 854)); row_y=$((wy + 778))
# 3: the call stack shows main and its caller.
xdotool mousemove "$((wx + 250))" "$tab_y" click 1
dbg_shot 05-call-stack
# 4: Watch #1 shows the global; its value edited in place and a typed
# number assign it through gdb, and the new value is highlighted.
xdotool mousemove "$((wx + 112))" "$tab_y" click 1
dbg_shot 06-watch-global
# A double click on the value opens it in place.
xdotool mousemove "$((wx + 233))" "$row_y" click --repeat 2 --delay 80 1
dbg_settle
xdotool type --delay 40 "5"
xdotool key Return
dbg_shot 07-watch-assigned
# 5: a value tip over pattern_step in LED_On(pattern_step), six lines
# below the breakpoint's line (the bar closed, the lines where they were).
watch_bar
dbg_open_menu "the value tip over pattern_step" mousemove "$((bx1 + 5 + 15 * 8))" "$((bmid + 6 * h))" \
  mousemove "$((bx1 + 6 + 15 * 8))" "$((bmid + 6 * h))"
dbg_shot 08-value-tip
# 6: a step into LED_Init; the call stack follows.
dbg_run_to_stop "F11's stop in LED_Init" key F11
e2e_wait_window "LED.c" > /dev/null
dbg_shot 09-step-into
watch_bar
xdotool mousemove "$((wx + 250))" "$tab_y" click 1
dbg_shot 10-call-stack-in-led-init
# 7: Ctrl+F5 ends the session; gdb and qemu are gone.
dbg_end_session
dbg_shot 11-session-ended
echo "pictures in $gallery"
