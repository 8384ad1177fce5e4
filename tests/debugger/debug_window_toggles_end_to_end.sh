#!/usr/bin/env bash
# The debug windows' commands on the example end to end under Xvfb with the
# GDB driver and qemu: stopped at main, the View menu shows the open debug
# windows checked (serial window 1, the tool box, the disassembly window)
# and choosing an open one closes it; the disassembly window's context menu
# with its own commands; a breakpoint set in the disassembly window leaves
# the view where it is; the command page's context menu clears it. Every
# step is a PNG in <build>/gallery/debugger.
#   debug_window_toggles_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
fail_shot=toggles-failed debug_work=pm2dbgtog debug_gallery=debugger shot_prefix=toggles-
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/debug_e2e.sh"

expect_not() { ! grep -q -- "$1" "$work/windows.txt" || fail "$2"; }
checked() { grep "^checked:" "$work/windows.txt"; }
view_menu() { dbg_open_menu "the View menu" key alt+v; }

build_example
open_example
dbg_start_session
dbg_command "BS main"
dbg_run_to_stop "F5's stop at main" key F5
e2e_wait_window "Blinky.c" > /dev/null
# 1: serial window 1, the tool box and the disassembly window from the View menu.
view_menu
xdotool key 1
dbg_settle
view_menu
xdotool key x
e2e_wait_window "^Toolbox$" > /dev/null
focus_main
view_menu
xdotool key i
dbg_wait_dump "disasm-centre:" "the disassembly window open"
dump
checked | grep -q " 32735" || fail "serial window 1 is not checked: $(checked)"
checked | grep -q " 35073" || fail "the tool box is not checked: $(checked)"
checked | grep -q " 32752" || fail "the disassembly window is not checked: $(checked)"
# The View menu open: the three shown checked.
view_menu
dbg_shot 01-view-menu-checked
dbg_close_menu "the View menu" key Escape Escape
dbg_settle
# 2: the disassembly window's context menu.
read -r dx dy < <(grep "disasm-centre:" "$work/windows.txt" | cut -d' ' -f2-)
dbg_open_menu "the disassembly window's context menu" mousemove "$dx" "$dy" click 3
dbg_shot 02-disassembly-menu
dbg_close_menu "the disassembly window's context menu" key Escape
# 3: a breakpoint by double click two pages down: the view stays there.
xdotool mousemove "$dx" "$dy" click 1
xdotool key Next Next
dump
xdotool mousemove "$dx" "$dy" click --repeat 2 --delay 80 1
dbg_shot 03-disassembly-breakpoint-keeps-the-view
dump
expect_not "disasm-pc:" "the breakpoint moved the disassembly window back to the PC"
# 4: choosing the open tool box closes it.
focus_main
view_menu
xdotool key x
e2e_wait_gone "^Toolbox$"
dump
checked | grep -q " 35073" && fail "the closed tool box is still checked: $(checked)"
# 5: the command page's context menu: Clear empties it.
dump
read -r cx cy < <(grep "command-centre:" "$work/windows.txt" | cut -d' ' -f2-) || fail "the command page is not shown"
expect "command-lines: [1-9]" "the command page shows no lines before Clear"
dbg_open_menu "the command page's context menu" mousemove "$cx" "$cy" click 3
dbg_shot 04-command-menu
dbg_close_menu "the command page's context menu" key l
dump
expect "command-lines: 0$" "Clear did not empty the command page"
dbg_shot 05-command-page-cleared
# The session ends; no gdb or qemu is left.
focus_main
dbg_end_session
stop_program
echo "pictures in $gallery"
