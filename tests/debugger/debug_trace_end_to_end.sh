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
windows_dump

# Right click in the disassembly window, then a menu key.
disasm_menu() {
  read -r dx dy < <(grep "disasm-centre:" "$work/windows.txt" | cut -d' ' -f2-)
  xdotool mousemove "$dx" "$dy" click 3
  sleep 0.5
  xdotool key "$@"
  sleep 0.5
}

build_example
open_example
xdotool key ctrl+F5
wait_children 2
sleep 1
# A breakpoint where the example sets up its LEDs.
xdotool type --delay 30 "BS LED_Init"
xdotool key Return
sleep 0.5
# The disassembly window (View menu), and trace recording on from its menu.
xdotool key alt+v
sleep 0.3
xdotool key i
sleep 1.5
dump
expect "disasm-centre:" "the disassembly window did not open"
disasm_menu r
xdotool key F5
for _ in $(seq 1 100); do
  grep -q "disasm-pc: 0x" "$work/windows.txt" 2>/dev/null && grep -q "LED_Init\|LED.c" "$work/windows.txt" && break
  sleep 0.2
done
grep -q "LED_Init\|LED.c" "$work/windows.txt" || fail "the stop at LED_Init did not show in the disassembly window"
sleep 1
dump
# The disassembly window the user had in front stays there at the stop.
shot 20-trace-stopped-at-led-init
dump
expect "checked: 32752" "the disassembly window did not stay open"
# View Trace Records from the window's menu: the history up to the PC.
disasm_menu t
sleep 1
dump
expect "disasm-trace: 0x" "the trace view shows no executed instructions"
expect "disasm-trace: .*[0-9]: " "the trace view shows no source lines"
pc=$(grep "disasm-pc:" "$work/windows.txt" | head -1)
[ -n "$pc" ] || fail "no PC line in the trace view"
grep -q "disasm-trace: ${pc#disasm-pc: }" "$work/windows.txt" || grep -q "disasm-trace: $(echo "$pc" | cut -d' ' -f2)" "$work/windows.txt" \
  || fail "the PC line ($pc) is not the history's last entry"
shot 21-trace-records
# Scrolling back through the history.
xdotool key Page_Up
sleep 0.5
dump
expect "disasm-trace: 0x" "the history went away on Page Up"
shot 22-trace-records-earlier
# The session ends from the editor.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool key ctrl+F5
wait_children 0
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "pictures in $gallery"
