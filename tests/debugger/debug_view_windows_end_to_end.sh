#!/usr/bin/env bash
# The debug windows on the example end to end under Xvfb with the GDB
# driver and qemu: the command window takes a command with its syntax help
# and completion; stopped at main, the disassembly window (View menu) shows
# the code with the source lines between and follows the program counter
# over a step; the memory window (View menu) shows the RAM at 0x40000000 in
# bytes, words and ASCII, and a value written there reads back. Every step
# is a PNG in <build>/gallery/debugger.
#   debug_view_windows_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without xvfb-run, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
for p in xvfb-run xdotool gdb-multiarch qemu-system-arm; do
  command -v "$p" > /dev/null || { echo "$p is not installed"; exit 77; }
done
[ -x "$build/root/GNU/Arm-Tools/Bin/arm-uclibc-gcc" ] || { echo "arm-none-eabi-gcc is not installed"; exit 77; }
if [ "${PM2_IN_XVFB:-}" != 1 ]; then
  export PM2_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/pm2dbgwin_XXXXXX)
trap 'kill -KILL "${pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp -r "$src/examples/blinky" "$work/blinky"
rm -rf "$work/blinky/Obj"
gallery="$build/gallery/debugger"
mkdir -p "$gallery"
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb PM2_NO_SPLASH=1
unset WAYLAND_DISPLAY
prog="$build/root/PM2/pelmora2"
elf="$work/blinky/Obj/Blinky.elf"
# What the windows show, written by the program for this test.
export PM2_DEBUG_WINDOWS_DUMP="$work/windows.txt"

fail() { "$grab" "$gallery/view-windows-failed.png" || true; echo "FAIL: $*"; cat "$work"/run*.txt "$work/windows.txt" 2>/dev/null; exit 1; }
wait_window() {
  for _ in $(seq 1 100); do
    win=$(xdotool search --onlyvisible --name "Pelmora2" 2>/dev/null | head -1 || true)
    [ -n "$win" ] && return 0
    sleep 0.1
  done
  fail "the main window did not appear"
}
shot() { sleep 0.7; "$grab" "$gallery/$1.png" || fail "no screenshot $1"; }
wait_title() {
  for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "$2"
}
children() { pgrep -f "$elf" || true; }
wait_children() {
  for _ in $(seq 1 100); do
    [ "$(children | wc -l)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "expected $1 gdb/qemu processes, found: $(children | tr '\n' ' ')"
}
# The windows' contents as the program writes them four times a second.
dump() { sleep 0.6; [ -s "$work/windows.txt" ] || fail "no dump of the windows"; }
# Right click on the memory page's first value, then menu keys.
memory_menu() {
  read -r mx my < <(grep "memory-value:" "$work/windows.txt" | cut -d' ' -f2-)
  xdotool mousemove "$mx" "$my" click 3
  sleep 0.5
  xdotool key "$@"
}
expect() { grep -q -- "$1" "$work/windows.txt" || fail "$2"; }

timeout 120 "$prog" -b "$work/blinky/Blinky.pm2" > "$work/run0.txt" 2>&1 || fail "the example did not build"
"$prog" "$work/blinky/Blinky.pm2" > "$work/run1.txt" 2>&1 &
pid=$!
wait_window
sleep 1
xdotool mousemove 640 400
xdotool key ctrl+F5
wait_children 2
sleep 1
# 1: the command window: help for "BAC", a blank completes it, Enter runs it.
xdotool type --delay 40 "BAC"
sleep 0.3
dump
expect "help: BACKTRACE" "the help line did not offer BACKTRACE"
xdotool key space
sleep 0.3
dump
expect "edit: BACktrace" "the blank did not complete BACKTRACE"
shot 10-command-help-completion
xdotool key BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace ctrl+a
xdotool type --delay 30 "BS main"
xdotool key Return
sleep 0.5
xdotool key F5
wait_title "Blinky.c" "the stop at main did not show Blinky.c"
sleep 1
# 2: the disassembly window at the PC, source lines between.
xdotool key alt+v
sleep 0.3
xdotool key i
sleep 1.5
dump
expect "disasm-pc: 0x" "the disassembly window shows no PC line"
expect "disasm-source:" "the disassembly window shows no source lines"
pc1=$(grep "disasm-pc:" "$work/windows.txt")
shot 11-disassembly-at-main
xdotool key F10
sleep 2
dump
pc2=$(grep "disasm-pc:" "$work/windows.txt")
[ "$pc1" != "$pc2" ] || fail "the disassembly window did not follow the PC ($pc1)"
shot 12-disassembly-after-step
# 3: the memory window at the RAM, in bytes, words and ASCII; a write reads back.
xdotool key alt+v
sleep 0.3
xdotool key m
sleep 1
xdotool type --delay 30 "0x40000000"
xdotool key Return
sleep 0.5
dump
expect "memory: 40000000: " "the memory window does not show 0x40000000"
shot 13-memory-bytes
memory_menu u l   # unsigned long: words
dump
expect "memory: 40000000: [0-9A-F]\\{8\\} " "the memory window does not show words"
shot 14-memory-words
memory_menu a     # ASCII
dump
shot 15-memory-ascii
memory_menu m     # modify memory at 0x40000000
sleep 0.5
for _ in $(seq 1 30); do xdotool search --onlyvisible --name "Enter Ascii" > /dev/null 2>&1 && break; sleep 0.1; done
xdotool type --delay 30 'PM2!'
xdotool key Return
sleep 1
dump
expect "memory: 40000000: PM2!" "the value written did not read back"
shot 16-memory-written
# The session ends from the editor (a click into Blinky.c gives it the keys).
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove "$((X + 400))" "$((Y + 300))" click 1
sleep 0.5
xdotool key ctrl+F5
wait_children 0
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "pictures in $gallery"
