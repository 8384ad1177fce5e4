#!/usr/bin/env bash
# Trace recording end to end under Xvfb with the GDB driver and qemu: the
# disassembly window's menu switches recording on, the example runs to a
# breakpoint in LED_Init, and View Trace Records shows the executed
# instructions with their source lines, the last one at the program
# counter. Every step is a PNG in <build>/gallery/debugger.
#   debug_trace_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
fail_shot=trace-failed debug_work=pm2dbgtrace debug_gallery=debugger
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/debug_e2e.sh"

# Right click in the disassembly window, then a menu key.
disasm_menu() {
  read -r dx dy < <(grep "disasm-centre:" "$work/windows.txt" | cut -d' ' -f2-)
  dbg_open_menu "the disassembly window's context menu" mousemove "$dx" "$dy" click 3
  dbg_close_menu "the disassembly window's context menu" key "$@"
  dbg_settle
}

build_example
open_example
dbg_start_session
# A breakpoint where the example sets up its LEDs.
dbg_command "BS LED_Init"
# The disassembly window (View menu), and trace recording on from its menu.
dbg_open_menu "the View menu" key alt+v
xdotool key i
dbg_wait_dump "disasm-centre:" "the disassembly window open"
dump
disasm_menu r
dbg_run_to_stop "F5's stop at LED_Init" key F5
at_led_init() { dbg_dump_has "disasm-pc: 0x" && dbg_dump_has "LED_Init\|LED.c"; }
e2e_wait "the stop at LED_Init in the disassembly window" 60 at_led_init
dump
# The disassembly window the user had in front stays there at the stop.
dbg_shot 20-trace-stopped-at-led-init
dump
expect "checked: 32752" "the disassembly window did not stay open"
# View Trace Records from the window's menu: the history up to the PC.
disasm_menu t
dbg_wait_dump "disasm-trace: 0x" "the trace view's executed instructions"
dump
expect "disasm-trace: 0x" "the trace view shows no executed instructions"
expect "disasm-trace: .*[0-9]: " "the trace view shows no source lines"
pc=$(grep "disasm-pc:" "$work/windows.txt" | head -1)
[ -n "$pc" ] || fail "no PC line in the trace view"
grep -q "disasm-trace: ${pc#disasm-pc: }" "$work/windows.txt" || grep -q "disasm-trace: $(echo "$pc" | cut -d' ' -f2)" "$work/windows.txt" \
  || fail "the PC line ($pc) is not the history's last entry"
dbg_shot 21-trace-records
# Scrolling back through the history.
xdotool key Page_Up
dump
expect "disasm-trace: 0x" "the history went away on Page Up"
dbg_shot 22-trace-records-earlier
# The session ends from the editor.
dbg_end_session
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "pictures in $gallery"
