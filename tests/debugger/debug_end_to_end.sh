#!/usr/bin/env bash
# A debug session of the example end to end on the X11 platform under Xvfb,
# with the GDB driver and qemu: Ctrl+F5 starts the session in simulation,
# "BS main" typed in the command page sets a breakpoint, F5 runs to it, F10
# steps over a line and F11 into LED_Init, the register page shows the registers, Ctrl+F5 ends the
# session and no gdb or qemu is left; a session whose qemu is killed ends
# with a message and keeps the editor's unsaved text; a session whose IDE
# is killed leaves no gdb or qemu either. Every step is a PNG in <build>/gallery/debugger.
#   debug_end_to_end.sh <build> <source> <screen_grab>
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

work=$(mktemp -d /tmp/pm2dbg_XXXXXX)
trap 'kill "${pid:-0}" 2>/dev/null || true; pkill -KILL -f "$work/" 2>/dev/null || true; rm -rf "$work"' EXIT
cp -r "$src/examples/blinky" "$work/blinky"
rm -rf "$work/blinky/Obj"
gallery="$build/gallery/debugger"
mkdir -p "$gallery"
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb PM2_NO_SPLASH=1
unset WAYLAND_DISPLAY
prog="$build/root/PM2/pelmora2"
elf="$work/blinky/Obj/Blinky.elf"

fail() { "$grab" "$gallery/failed.png" || true; echo "FAIL: $*"; cat "$work"/run*.txt 2>/dev/null; exit 1; }
wait_window() {
  for _ in $(seq 1 100); do
    win=$(xdotool search --onlyvisible --name "Pelmora2" 2>/dev/null | head -1 || true)
    [ -n "$win" ] && return 0
    sleep 0.1
  done
  fail "the main window did not appear"
}
shot() { sleep 0.7; "$grab" "$gallery/$1.png" || fail "no screenshot $1"; }
# A window (the main window's title names the active editor) within 10 s.
wait_title() {
  for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "$2"
}
# gdb and qemu of this test's program file, by their command lines.
children() { pgrep -f "$elf" || true; }
wait_children() {  # wait_children <count>
  for _ in $(seq 1 100); do
    [ "$(children | wc -l)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "expected $1 gdb/qemu processes, found: $(children | tr '\n' ' ')"
}

timeout 120 "$prog" -b "$work/blinky/Blinky.pm2" > "$work/run0.txt" 2>&1 || fail "the example did not build"
[ -f "$elf" ] || fail "no program file after the build"

# 1: the project opens; Ctrl+F5 starts a session in simulation.
"$prog" "$work/blinky/Blinky.pm2" > "$work/run1.txt" 2>&1 &
pid=$!
wait_window
sleep 1
xdotool mousemove 640 400
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
