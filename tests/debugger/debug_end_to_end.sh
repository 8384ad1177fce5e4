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

# 1: the project opens; Ctrl+F5 starts a session in simulation, which runs
# to main by itself.
open_example
dbg_shot 01-project
dbg_start_session
dbg_shot 02-session-started
# 2: a breakpoint at main typed in the command page, F5 runs to it.
dbg_command "BS main"
dbg_run_to_stop "F5's stop at the breakpoint at main" key F5
e2e_wait_window "Blinky.c" > /dev/null
dbg_shot 03-stopped-at-main
# 3: step over, then step into LED_Init.
dbg_run_to_stop "F10's stop" key F10
dbg_shot 04-step-over
dbg_run_to_stop "F11's stop in LED_Init" key F11
e2e_wait_window "LED.c" > /dev/null
dbg_shot 05-step-into
# 4: Ctrl+F5 ends the session; gdb and qemu are gone.
dbg_end_session
dbg_shot 06-session-ended
# 5: a session whose qemu dies ends with a message; the IDE and the unsaved
# text in the editor stay.
dbg_start_session
# A click into the editor's text gives it the keys (the session gave them
# to the command page); the line typed there changes the editor's text only.
xdotool mousemove 640 400 click 1
dbg_settle
xdotool key ctrl+End
xdotool type --delay 20 "// unsaved line"
dbg_settle
expect "^edit: $" "the line meant for the editor went to the command page"
ended=$(dbg_heard "debugger stopped")
pkill -KILL -f "qemu-system-arm.*$elf" || fail "no qemu to kill"
wait_children 0
e2e_wait "the session's end after qemu died" 60 dbg_heard_more "debugger stopped" "$ended"
dbg_shot 07-qemu-killed
e2e_alive "$pid" || fail "the IDE ended with the session"
grep -q "unsaved line" "$work"/blinky/*.c && fail "the unsaved text was written"
# The editor is still there: the frame's title names its text.
xdotool search --onlyvisible --name '\.c' > /dev/null 2>&1 || fail "the editor with the unsaved text is gone"
# 6: a third session, and the IDE killed: its children go with it.
dbg_start_session
kill -KILL "$pid"
wait "$pid" 2>/dev/null || true
wait_children 0
echo "pictures in $gallery"
