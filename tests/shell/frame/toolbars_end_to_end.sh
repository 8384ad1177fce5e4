#!/usr/bin/env bash
# The toolbars at the main window's default width, as a user meets them on
# the X11 platform under Xvfb: the File toolbar dragged by its gripper onto
# the menu bar's row gets a row of its own under it (every menu title stays),
# and in a debug session of the example under qemu the Debug toolbar shows
# every button inside the window. The layouts the program keeps tell where
# the bars were; the pictures in <build>/gallery/toolbars show them.
#   toolbars_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool xwininfo gdb-multiarch qemu-system-arm
e2e_need_arm_gcc
e2e_in_xvfb "$@"
e2e_start_work pm2toolbars toolbars
e2e_copy_blinky
settings="$XDG_CONFIG_HOME/Vond/Pelmora2"

# The program's processes below it: process.
descendants() {
  local child
  for child in $(pgrep -P "$1"); do
    echo "$child"
    descendants "$child"
  done
}
# The session's gdb and qemu (the driver ends them with the session).
session_processes() {
  local p
  for p in $(descendants "$pid"); do ps -o comm= -p "$p" 2>/dev/null; done | grep -cE '^(gdb|qemu)' || true
}
session_processes_are() { [ "$(session_processes)" = "$1" ]; }
# The entries of a saved layout's record of a bar (the settings file's
# section "...\<profile>-Bar<n>" whose BarID is the bar's): profile, bar id.
# Prints the section's "key=type:value" lines.
record_of() {
  awk -v profile="$1" -v id="$2" '
    /^\[/ { section = $0; inbar = index(section, "\\" profile "-Bar") > 0; next }
    inbar { lines[section] = lines[section] $0 "\n"; if ($0 == "BarID=d:" id) found = section }
    END { if (found != "") printf "%s", lines[found] }' "$settings"/*.ini
}
value_of() { sed -n "s/^$2=[a-z]://p" <<< "$1" | head -n 1; }  # record, key

start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
eval "$(xdotool getwindowgeometry --shell "$main")"
mx=$X my=$Y mw=$WIDTH
shot 01-default-width

# 1: F7 builds the example; Ctrl+F5 starts a session under qemu that stops
# at main: the Debug toolbar takes the Build toolbar's place beside the
# File toolbar, too long for the row: it goes on in a line below.
focus_main
xdotool key F7
# The hex file is the build's last output.
e2e_wait_file "$work/blinky/Obj/Blinky.hex" 120
e2e_wait "the build to end" 30 e2e_program_settled "${EPOCHREALTIME/./}"
xdotool key ctrl+F5
e2e_wait "gdb and qemu of the session" 60 session_processes_are 2
wait_title "Blinky.c" "the stop at main did not show Blinky.c"
shot 02-debug-session
focus_main
xdotool key ctrl+F5
e2e_wait "the session to end" 60 session_processes_are 0
shot 03-session-ended

# 2: the File toolbar (the row under the menu bar) dragged by its gripper
# onto the lower half of the menu bar's row.
focus_main
xdotool mousemove "$((mx + 3))" "$((my + 36))" mousedown 1
for step in 1 2 3 4 5 6; do xdotool mousemove "$((mx + 3 + 300 * step / 6))" "$((my + 36 - 20 * step / 6))"; done
shot 04-dragged-over-the-menu-row
xdotool mouseup 1
shot 05-dropped-on-the-menu-row
quit_program
e2e_alive "$pid" && fail "the program did not close"

# The layout the program keeps outside a session: the menu bar alone in its
# row, the File toolbar in the next.
[ -n "$(ls "$settings"/*.ini 2>/dev/null)" ] || fail "no settings written under $settings"
top=$(record_of 'BSTAT2\\XX' 59419)  # the top dock bar (0xE81B)
[ -n "$top" ] || fail "no record of the top dock bar in the kept layout"
[ "$(value_of "$top" 'Bar#0')" = 59647 ] || fail "the menu bar is not first at the top: $top"
[ "$(value_of "$top" 'Bar#1')" = 0 ] || fail "the menu bar shares its row: $top"
[ "$(value_of "$top" 'Bar#2')" = 59392 ] || fail "the File toolbar is not in the row under the menu bar: $top"
# The session's layout: the Debug toolbar shown, its right edge inside the
# window.
debug=$(record_of 'DSTAT2\\XX' 59397)
[ -n "$debug" ] || fail "no record of the Debug toolbar in the session's layout"
[ "$(value_of "$debug" Visible)" != 0 ] || fail "the Debug toolbar was not shown in the session: $debug"
right=$(value_of "$debug" MRUDockRightPos)
[ -n "$right" ] && [ "$right" -le "$mw" ] || fail "the Debug toolbar ends at $right, past the window's width $mw"
echo "pictures in $gallery"
