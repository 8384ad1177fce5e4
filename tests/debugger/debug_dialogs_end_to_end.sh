#!/usr/bin/env bash
# The debug dialogs on the example end to end on the X11 platform under
# Xvfb, with the GDB driver in simulation: a tool box button defined by
# command, a breakpoint at main by command; the breakpoints dialog lists it
# and defines one at Timer_Init by expression, which the run stops at; serial
# window 1 shows what the program writes to its UART and takes a key; the
# symbols dialog finds main by mask; the memory map dialog lists the
# program's memory; the tool box button sets a breakpoint at LED_Off, which
# the run stops at. Every step is a PNG in <build>/gallery/debug_dialogs.
#   debug_dialogs_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
fail_shot=e2e-failed debug_work=pm2dlg debug_gallery=debug_dialogs
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/debug_e2e.sh"

build_example
open_example
xdotool key ctrl+F5
wait_children 2
sleep 1
# 1: a tool box button and a breakpoint at main, typed in the command page.
xdotool type --delay 20 'DEFINE BUTTON "Lights", "BS LED_Off"'
xdotool key Return
xdotool type --delay 30 "BS main"
xdotool key Return
xdotool key F5
wait_title "Blinky.c" "the stop at main did not show Blinky.c" 300
shot e2e-01-stopped-at-main
# 2: Debug > Breakpoints: the breakpoint at main is listed; Timer_Init defined by expression.
xdotool key alt+d
sleep 0.8
xdotool key b
wait_title "^Breakpoints$" "the breakpoints dialog did not open" 300
shot e2e-02-breakpoints
xdotool type --delay 30 "Timer_Init"
xdotool key Return
shot e2e-03-breakpoint-defined
xdotool key Return
wait_gone "^Breakpoints$" "Enter with an empty expression did not close the dialog"
# 3: View > Serial Window #1; a key typed there; the run stops at Timer_Init.
xdotool key alt+v
sleep 0.8
xdotool key 1
sleep 1  # an MDI child of the main window: the screenshots show it
xdotool type "k"
sleep 0.5
xdotool key alt+d
sleep 0.8
xdotool key g
wait_title "Timer.c" "the run did not stop at the breakpoint defined in the dialog" 300
shot e2e-04-serial-and-timer-init
# 4: View > Symbols: main found by mask.
xdotool key alt+v
sleep 0.8
xdotool key y
wait_title "^Symbols$" "the symbols dialog did not open" 300
sleep 1
xdotool type --delay 30 "mai*"
xdotool key Return
shot e2e-05-symbols-main
xdotool key Escape
wait_gone "^Symbols$" "Escape did not close the symbols dialog"
# 5: Debug > Memory Map: the program's memory.
xdotool key alt+d
sleep 0.8
xdotool key m
wait_title "^Memory Map$" "the memory map dialog did not open" 300
sleep 1.5
shot e2e-06-memory-map
xdotool key Escape
wait_gone "^Memory Map$" "Escape did not close the memory map dialog"
# 6: View > Toolbox; its button sets a breakpoint at LED_Off, where the run stops.
xdotool key alt+v
sleep 0.8
xdotool key x
wait_title "^Toolbox$" "the tool box did not open" 300
sleep 0.5
box=$(xdotool search --onlyvisible --name "^Toolbox$" | head -1)
eval "$(xdotool getwindowgeometry --shell "$box")"
bw=$((WIDTH * 3 / 4)); bh=$(((HEIGHT - 12) / 2))
shot e2e-07-toolbox
xdotool mousemove "$((X + bw / 3 + bw / 2))" "$((Y + 4 + bh + bh / 2))" click 1
sleep 1
# The click made the tool box the active window: its run key reaches the
# main frame all the same.
xdotool key F5
wait_title "LED.c" "the run did not stop at the tool box button's breakpoint" 300
sleep 1
xdotool key F5
wait_title "LED.c" "the second run did not stop at LED_Off" 300
sleep 2
shot e2e-08-led-off-and-serial
# The session ends; no gdb or qemu is left.
xdotool key ctrl+F5
wait_children 0
echo "pictures in $gallery"
