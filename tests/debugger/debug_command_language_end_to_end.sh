#!/usr/bin/env bash
# The IDE's own command language on the GDB driver end to end on the X11
# platform under Xvfb, with qemu: on the command page "BS main, 1, ..." (a
# breakpoint with a command), "BS Timer_Init" and "BL" (the page's numbers
# from 1, the command readable); F5 stops at main; Run to Cursor (Ctrl+F10)
# to a line below; "$=main" moves the program counter; "g,LED_Init" runs
# until a function given by name (LED.c comes to the front); "R0 = 0x1234"
# shows on the register page; "Map ..." is refused by the driver. Then
# Flash > Download through the GDB driver: into qemu with the target side
# in simulation (no error), and with no GDB server listening a message
# within seconds. Every step is a PNG in <build>/gallery/debugger/language-*.png.
#   debug_command_language_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
here=$(cd "$(dirname "$0")" && pwd)
fail_shot=language-failed shot_prefix=language- debug_work=pm2dbglang debug_gallery=debugger
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
e2e_need python3
. "$(dirname "${BASH_SOURCE[0]}")/debug_e2e.sh"
find_png() { python3 "$here/png_find.py" "$@"; }
# The program counter's arrow (its yellow) in the editors' area.
arrow() { find_png "$1" bbox 255 255 0 80 160 900 760; }
# The flash options name the GDB driver; the target side runs in simulation.
target_side() {  # parameters
  sed -i "s|^\( *OPTDBG [^(]*([^)]*)([^)]*)()()()(GDBDRV.DLL)\)([^)]*)|\1($1)|" \
    "$work/blinky/Blinky.pm2" "$work/blinky/Blinky.Opt"
}
sed -i 's|^ FLASH2 ()| FLASH2 (../../PM2/GdbDrv.dll)|' "$work/blinky/Blinky.pm2"
target_side "-sim"
grep -q "(GDBDRV.DLL)(-sim)()()() " "$work/blinky/Blinky.Opt" || { echo "the options file has no OPTDBG line"; exit 1; }
boxes() { xdotool search --onlyvisible --name "Pelmora2" 2>/dev/null | wc -l; }

build_example
open_example
eval "$(xdotool getwindowgeometry --shell "$main")"
wx=$X; wy=$Y
# The command page's input line, above its syntax line and the output tabs.
cmdline() { xdotool mousemove 600 883 click 1; dbg_settle; }
typed() { dbg_command "$1"; }
windows=$(boxes)

# 1: breakpoints typed on the command page, listed with the page's numbers.
dbg_start_session
typed 'BS main, 1, "print 42"'
typed 'BS Timer_Init'
typed 'BL'
dbg_shot 01-breakpoints-listed
# 2: F5 stops at main, where the breakpoint's command runs.
dbg_run_to_stop "F5's stop at main" key F5
e2e_wait_window "Blinky.c" > /dev/null
dbg_shot 02-stopped-at-main
[ -n "$(arrow "$gallery/language-02-stopped-at-main.png")" ] || fail "no arrow at main"
# 3: Run to Cursor: the caret three lines below, Ctrl+F10.
read -r _ ay0 _ ay1 <<< "$(arrow "$gallery/language-02-stopped-at-main.png")"
xdotool mousemove 420 "$(( (ay0 + ay1) / 2 + 3 * (ay1 - ay0 + 9) ))" click 1
dbg_settle
dbg_run_to_stop "Run to Cursor's stop" key ctrl+F10
dbg_shot 03-run-to-cursor
[ -n "$(arrow "$gallery/language-03-run-to-cursor.png")" ] || fail "no arrow after Run to Cursor"
# 4: "$=main" sets the program counter; BD 1 keeps main's breakpoint from
# stopping the run until LED_Init.
cmdline
typed '$=main'
dbg_shot 04-set-pc
typed 'BD 1'
stops=$(dbg_heard "execution stopped ")
typed 'g,LED_Init'
e2e_wait "g,LED_Init's stop (on the event interface)" 60 dbg_heard_more "execution stopped " "$stops"
e2e_wait_window "LED.c" > /dev/null
dbg_shot 05-run-until-led-init
# 5: a register written by its page name; the driver refuses what it can't do.
cmdline
typed 'R0 = 0x1234'
typed 'Map 0,0xFFF Clear'
typed 'BK 2'
typed 'BL'
dbg_shot 06-register-refused-listed
dbg_end_session
[ "$(boxes)" = "$windows" ] || fail "a message box came up during the session"

# 6: Flash > Download into qemu: no message.
flash_download() {
  dbg_open_menu "the Flash menu" mousemove "$((wx + 215))" "$((wy + 10))" click 1
  dbg_shot "$1"
  xdotool key Down Return
}
lines=$(dbg_command_lines)
flash_download 07-flash-menu
# The download is over when the driver has said what it did and its gdb
# and qemu are gone.
e2e_wait "what Download said on the command page" 60 dbg_more_lines "$lines"
wait_children 0
dbg_shot 08-flash-downloaded
[ "$(boxes)" = "$windows" ] || fail "Download into qemu said something"
# What the driver said is on the command page.
xdotool mousemove 265 926 click 1
dbg_shot 09-flash-said
wait_children 0
echo "pictures in $gallery"
