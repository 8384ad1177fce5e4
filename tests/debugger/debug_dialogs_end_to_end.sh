#!/usr/bin/env bash
# The debug dialogs on the example end to end on the X11 platform under
# Xvfb, with the GDB driver in simulation: a tool box button defined by
# command, a breakpoint at main by command; the breakpoints dialog lists it
# and defines one at Timer_Init by expression, which the run stops at; serial
# window 1 shows what the program writes to its UART and takes a key; the
# symbols dialog finds main by mask; the memory map dialog lists the
# program's memory; the tool box button sets a breakpoint at LED_Off, which
# the run stops at; the code coverage window counts what runs after it
# opened. Every step is a PNG in <build>/gallery/debug_dialogs.
#   debug_dialogs_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
fail_shot=e2e-failed debug_work=pm2dlg debug_gallery=debug_dialogs
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/debug_e2e.sh"

build_example
open_example
dbg_start_session
# 1: a tool box button and a breakpoint at main, typed in the command page.
dbg_command 'DEFINE BUTTON "Lights", "BS LED_Off"'
dbg_command "BS main"
dbg_run_to_stop "F5's stop at main" key F5
e2e_wait_window "Blinky.c" > /dev/null
dbg_shot e2e-01-stopped-at-main
# 2: Debug > Breakpoints: the breakpoint at main is listed; Timer_Init defined by expression.
dbg_open_menu "the Debug menu" key alt+d
xdotool key b
e2e_wait_focus "^Breakpoints$"
dbg_shot e2e-02-breakpoints
xdotool type --delay 30 "Timer_Init"
xdotool key Return
dbg_shot e2e-03-breakpoint-defined
xdotool key Return
e2e_wait_gone "^Breakpoints$"
# 3: View > Serial Window #1 (an MDI child of the main window: the
# screenshots show it); a key typed there; the run stops at Timer_Init.
focus_main
dbg_open_menu "the View menu" key alt+v
xdotool key 1
dbg_settle
xdotool type "k"
dbg_settle
dbg_open_menu "the Debug menu" key alt+d
dbg_run_to_stop "the stop at the breakpoint defined in the dialog" key g
e2e_wait_window "Timer.c" > /dev/null
dbg_shot e2e-04-serial-and-timer-init
# 4: View > Symbols: main found by mask.
dbg_open_menu "the View menu" key alt+v
xdotool key y
e2e_wait_focus "^Symbols$"
dbg_settle
xdotool type --delay 30 "mai*"
xdotool key Return
dbg_shot e2e-05-symbols-main
xdotool key Escape
e2e_wait_gone "^Symbols$"
# 5: Debug > Memory Map: the program's memory.
focus_main
dbg_open_menu "the Debug menu" key alt+d
xdotool key m
e2e_wait_focus "^Memory Map$"
dbg_shot e2e-06-memory-map
xdotool key Escape
e2e_wait_gone "^Memory Map$"
# 6: View > Toolbox; its button sets a breakpoint at LED_Off, where the run stops.
focus_main
dbg_open_menu "the View menu" key alt+v
xdotool key x
e2e_wait_window "^Toolbox$" > /dev/null
dbg_settle
box=$(xdotool search --onlyvisible --name "^Toolbox$" | head -1)
eval "$(xdotool getwindowgeometry --shell "$box")"
bw=$((WIDTH * 3 / 4)); bh=$(((HEIGHT - 12) / 2))
dbg_shot e2e-07-toolbox
xdotool mousemove "$((X + bw / 3 + bw / 2))" "$((Y + 4 + bh + bh / 2))" click 1
dbg_settle
# The click made the tool box the active window: its run key reaches the
# main frame all the same.
dbg_run_to_stop "the stop at the tool box button's breakpoint" key F5
e2e_wait_window "LED.c" > /dev/null
dbg_run_to_stop "the second stop at LED_Off" key F5
e2e_wait_window "LED.c" > /dev/null
dbg_shot e2e-08-led-off-and-serial
# 7: View > Code Coverage Window: from now on the simulation counts; the
# next stop at LED_Off shows what ran between, LED_Off itself in part.
focus_main
dbg_open_menu "the View menu" key alt+v
xdotool key c
e2e_wait_window "^Code Coverage$" > /dev/null
dbg_settle
focus_main
dbg_run_to_stop "the third stop at LED_Off" key F5
e2e_wait_window "LED.c" > /dev/null
dbg_settle
dbg_shot e2e-09-code-coverage
# The window closes again (its command toggles it); the disassembly
# window's gutter shows the same: executed code green.
focus_main
dbg_open_menu "the View menu" key alt+v
xdotool key c
e2e_wait_gone "^Code Coverage$"
dbg_open_menu "the View menu" key alt+v
xdotool key i
dbg_wait_dump "disasm-pc: 0x" "the disassembly window's PC line"
dbg_settle
dbg_shot e2e-10-coverage-in-disassembly
# The session ends; no gdb or qemu is left.
dbg_end_session
echo "pictures in $gallery"
