#!/usr/bin/env bash
# The debug windows on the example end to end under Xvfb with the GDB
# driver and qemu: the command window takes a command with its syntax help
# and completion; stopped at main, the disassembly window (View menu) shows
# the code with the source lines between and follows the program counter
# over a step; the memory window (View menu) shows the RAM at 0x40000000 in
# bytes, words and ASCII, and a value written there reads back; the next
# session shows the page's address and format again. The disassembly and
# memory windows take the colours and the font the settings of an earlier
# run hold. Every step is a PNG in <build>/gallery/debugger.
#   debug_view_windows_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
fail_shot=view-windows-failed debug_work=pm2dbgwin debug_gallery=debugger
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/debug_e2e.sh"

# Right click on the memory page's first value, then menu keys.
memory_menu() {
  read -r mx my < <(grep "memory-value:" "$work/windows.txt" | cut -d' ' -f2-)
  dbg_open_menu "the memory page's context menu" mousemove "$mx" "$my" click 3
  dbg_close_menu "the memory page's context menu" key "$@"
  dbg_settle
}

# The shared window settings an earlier run left: the disassembly window
# yellow and white on navy in a 16-pixel font, the memory window on light
# yellow (the other colours as in a new record).
window_settings() {
  local -a b
  for i in $(seq 0 1047); do b[i]=00; done
  put() { local at=$1; shift; for v in "$@"; do b[at]=$v; at=$((at + 1)); done; }
  put 60 F0 FF FF FF; put 76 90 01  # disassembly font: height -16, weight 400
  for n in 0 1 2; do put $((300 + 112 * n + 108)) FF FF FF; done  # serial windows on white
  put 636 FF FF 00 00  C0 C0 C0 00  00 00 80 00  FF FF 00 00  FF FF FF 00
  put 656 00 00 00 00  FF FF C0 00
  put 664 00 00 00 00  FF FF FF 00  00 00 80 00  00 00 7D 00
  mkdir -p "$XDG_CONFIG_HOME/Vond/Pelmora2"
  printf '; Pelmora2 settings 1\n[Software\\Vond\\Pelmora2\\MFrame]\nDbg=s:%s\n' "$(IFS=; echo "${b[*]}")" \
    > "$XDG_CONFIG_HOME/Vond/Pelmora2/settings.ini"
}

window_settings
build_example
open_example
dbg_start_session
# 1: the command window: help for "BAC", a blank completes it, Enter runs it.
e2e_wait_focus "$main"
xdotool type --delay 40 "BAC"
e2e_wait "'BAC' typed into the command page" 60 dbg_dump_line "edit: BAC"
dump
expect "help: BACKTRACE" "the help line did not offer BACKTRACE"
xdotool key space
blank_taken() { ! dbg_dump_line "edit: BAC"; }
e2e_wait "the blank taken by the command page" 60 blank_taken
dump
expect "edit: BACktrace" "the blank did not complete BACKTRACE"
dbg_shot 10-command-help-completion
xdotool key BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace ctrl+a
dbg_command "BS main"
dbg_run_to_stop "F5's stop at main" key F5
e2e_wait_window "Blinky.c" > /dev/null
# 2: the disassembly window at the PC, source lines between.
dbg_open_menu "the View menu" key alt+v
xdotool key i
dbg_wait_dump "disasm-pc: 0x" "the disassembly window's PC line"
dump
expect "disasm-pc: 0x" "the disassembly window shows no PC line"
expect "disasm-source:" "the disassembly window shows no source lines"
expect "disasm-background: #000080" "the disassembly window did not take the stored background"
expect "disasm-font: 16" "the disassembly window did not take the stored font"
pc1=$(grep "disasm-pc:" "$work/windows.txt")
dbg_shot 11-disassembly-at-main
dbg_run_to_stop "F10's stop" key F10
dump
pc2=$(grep "disasm-pc:" "$work/windows.txt")
[ "$pc1" != "$pc2" ] || fail "the disassembly window did not follow the PC ($pc1)"
dbg_shot 12-disassembly-after-step
# 3: the memory window at the RAM, in bytes, words and ASCII; a write reads back.
dbg_open_menu "the View menu" key alt+v
xdotool key m
dbg_wait_dump "memory-page: " "the memory window open"
dump
xdotool type --delay 30 "0x40000000"
xdotool key Return
dbg_wait_dump "memory-page: 0x40000000 " "the memory page taking the address typed"
dump
expect "memory: 0x40000000: " "the memory window does not show 0x40000000"
expect "memory-background: #ffffc0" "the memory window did not take the stored background"
dbg_shot 13-memory-bytes
memory_menu u l   # unsigned long: words
dump
expect "memory: 0x40000000: [0-9A-F]\\{8\\} " "the memory window does not show words"
dbg_shot 14-memory-words
memory_menu a     # ASCII
dump
dbg_shot 15-memory-ascii
memory_menu m     # modify memory at 0x40000000
e2e_wait_focus "Enter Ascii"
xdotool type --delay 30 'PM2!'
xdotool key Return
e2e_wait_gone "Enter Ascii"
dump
expect "memory: 0x40000000: PM2!" "the value written did not read back"
dbg_shot 16-memory-written
# The session ends from the editor (a click into Blinky.c gives it the keys).
end_session() {
  focus_main
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove "$((X + 400))" "$((Y + 300))" click 1
  dbg_settle
  dbg_end_session
}
end_session
# 4: the next session shows the page as this one left it: its address, in ASCII.
dbg_start_session
dump
expect "memory-page: 0x40000000 8$" "the next session did not bring back the memory page's address and format"
expect "memory: 0x40000000: " "the next session's memory page does not show 0x40000000"
dbg_shot 17-memory-next-session
end_session
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "pictures in $gallery"
