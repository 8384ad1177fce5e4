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

work=$(mktemp -d /tmp/pm2dlg_XXXXXX)
trap 'kill "${pid:-0}" 2>/dev/null || true; for c in $(pgrep -f "$work/" 2>/dev/null); do kill -KILL "$c" 2>/dev/null || true; done; rm -rf "$work"' EXIT
cp -r "$src/examples/blinky" "$work/blinky"
rm -rf "$work/blinky/Obj"
gallery="$build/gallery/debug_dialogs"
mkdir -p "$gallery"
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb PM2_NO_SPLASH=1
unset WAYLAND_DISPLAY
prog="$build/root/PM2/pelmora2"
elf="$work/blinky/Obj/Blinky.elf"

fail() { "$grab" "$gallery/e2e-failed.png" || true; echo "FAIL: $*"; cat "$work"/run*.txt 2>/dev/null; exit 1; }
shot() { sleep 0.7; "$grab" "$gallery/$1.png" || fail "no screenshot $1"; }
wait_title() {  # wait_title <window name> <message>
  for _ in $(seq 1 300); do
    xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "$2"
}
wait_gone() {  # wait_gone <window name> <message>
  for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 || return 0
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

timeout 120 "$prog" -b "$work/blinky/Blinky.pm2" > "$work/run0.txt" 2>&1 || fail "the example did not build"
[ -f "$elf" ] || fail "no program file after the build"

"$prog" "$work/blinky/Blinky.pm2" > "$work/run1.txt" 2>&1 &
pid=$!
wait_title "Pelmora2" "the main window did not appear"
sleep 1
xdotool mousemove 640 400
xdotool key ctrl+F5
wait_children 2
sleep 1
# 1: a tool box button and a breakpoint at main, typed in the command page.
xdotool type --delay 20 'DEFINE BUTTON "Lights", "BS LED_Off"'
xdotool key Return
xdotool type --delay 30 "BS main"
xdotool key Return
xdotool key F5
wait_title "Blinky.c" "the stop at main did not show Blinky.c"
shot e2e-01-stopped-at-main
# 2: Debug > Breakpoints: the breakpoint at main is listed; Timer_Init defined by expression.
xdotool key alt+d
sleep 0.8
xdotool key b
wait_title "^Breakpoints$" "the breakpoints dialog did not open"
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
wait_title "Timer.c" "the run did not stop at the breakpoint defined in the dialog"
shot e2e-04-serial-and-timer-init
# 4: View > Symbols: main found by mask.
xdotool key alt+v
sleep 0.8
xdotool key y
wait_title "^Symbols$" "the symbols dialog did not open"
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
wait_title "^Memory Map$" "the memory map dialog did not open"
sleep 1.5
shot e2e-06-memory-map
xdotool key Escape
wait_gone "^Memory Map$" "Escape did not close the memory map dialog"
# 6: View > Toolbox; its button sets a breakpoint at LED_Off, where the run stops.
xdotool key alt+v
sleep 0.8
xdotool key x
wait_title "^Toolbox$" "the tool box did not open"
sleep 0.5
box=$(xdotool search --onlyvisible --name "^Toolbox$" | head -1)
eval "$(xdotool getwindowgeometry --shell "$box")"
bw=$((WIDTH * 3 / 4)); bh=$(((HEIGHT - 12) / 2))
shot e2e-07-toolbox
xdotool mousemove "$((X + bw / 3 + bw / 2))" "$((Y + 4 + bh + bh / 2))" click 1
sleep 1
# The click made the tool box the active window: the run key goes to the
# main window, which takes the keys again when activated.
main=$(xdotool search --onlyvisible --name "Pelmora2" | head -1)
[ -n "$main" ] || fail "no main window after the tool box click"
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
sleep 0.5
xdotool key F5
wait_title "LED.c" "the run did not stop at the tool box button's breakpoint"
sleep 1
xdotool key F5
wait_title "LED.c" "the second run did not stop at LED_Off"
sleep 2
shot e2e-08-led-off-and-serial
# The session ends; no gdb or qemu is left.
xdotool key ctrl+F5
wait_children 0
echo "pictures in $gallery"
