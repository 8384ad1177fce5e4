#!/usr/bin/env bash
# A debug session of the example end to end on the X11 platform under Xvfb,
# with the GDB driver and qemu: Ctrl+F5 starts the session in simulation,
# "BS main" typed in the command page sets a breakpoint, F5 runs to it, F10
# steps over a line and F11 into LED_Init, the register page shows the registers, Ctrl+F5 ends the
# session and no gdb or qemu is left; a session whose qemu is killed ends
# with a message and keeps the editor's unsaved text; a session whose IDE
# is killed leaves no gdb or qemu either. Every step is a PNG in <build>/gallery/debugger.
#   debug_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
debug_work=pm2dbg debug_gallery=debugger
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/debug_e2e.sh"

build_example

# 1: the project opens; Ctrl+F5 starts a session in simulation.
open_example
shot 01-project
xdotool key ctrl+F5
wait_children 2
shot 02-session-started
# 2: a breakpoint at main typed in the command page, F5 runs to it.
xdotool type --delay 30 "BS main"
xdotool key Return
sleep 0.5
xdotool key F5
wait_title "Blinky.c" "the stop at main did not show Blinky.c"
shot 03-stopped-at-main
# 3: step over, then step into LED_Init.
xdotool key F10
sleep 1.5
shot 04-step-over
xdotool key F11
wait_title "LED.c" "stepping into LED_Init did not show LED.c"
shot 05-step-into
# 4: Ctrl+F5 ends the session; gdb and qemu are gone.
xdotool key ctrl+F5
wait_children 0
shot 06-session-ended
# 5: a session whose qemu dies ends with a message; the IDE and the unsaved
# text in the editor stay.
xdotool key ctrl+F5
wait_children 2
sleep 1
# Esc hands the keys back to the active editor.
xdotool key Escape
sleep 0.5
xdotool key ctrl+End
xdotool type --delay 20 "// unsaved line"
pkill -KILL -f "qemu-system-arm.*$elf" || fail "no qemu to kill"
wait_children 0
sleep 1
shot 07-qemu-killed
kill -0 "$pid" 2>/dev/null || fail "the IDE ended with the session"
grep -q "unsaved line" "$work"/blinky/*.c && fail "the unsaved text was written"
# The editor is still there: the frame's title names its text.
xdotool search --onlyvisible --name '\.c' > /dev/null 2>&1 || fail "the editor with the unsaved text is gone"
# 6: a third session, and the IDE killed: its children go with it.
xdotool key ctrl+F5
wait_children 2
kill -KILL "$pid"
wait "$pid" 2>/dev/null || true
wait_children 0
echo "pictures in $gallery"
