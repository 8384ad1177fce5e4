#!/usr/bin/env bash
# A stored breakpoint in the whole program under Xvfb: set from the Debug
# menu on Blinky.c's line 14, two lines typed above it move it
# with its code to line 16, the saved file and the project keep it there,
# and the program started again shows it on the same code. Every step is a
# PNG in <build>/gallery/breakpoint.
#   breakpoint_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool xwininfo
e2e_in_xvfb "$@"
e2e_start_work pm2break breakpoint
e2e_copy_blinky
source_file="$work/blinky/Blinky.c"
code=$(sed -n 14p "$source_file")

open_source() {
  xdotool key ctrl+o
  enter_in_dialog "Open File" "$source_file"
  e2e_wait_window "Blinky.c" > /dev/null
  focus_main
}
# Line 16 of the saved file is the breakpoint's code.
saved_at_16() { [ "$(sed -n 16p "$source_file")" = "$code" ]; }
# The editor window fills the area under the toolbars: its first text row
# is centred 82 pixels below the main window's top, a row 17 pixels high,
# the margin 200 pixels from the left edge.

start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
eval "$(xdotool getwindowgeometry --shell "$main")"
open_source
# 1: Debug > Insert/Remove Breakpoint on line 14 sets a breakpoint. (The
# caret goes there by the keyboard: a row's height is the font's.)
xdotool key ctrl+Home
xdotool key --repeat 13 --delay 20 Down
xdotool key alt+d
e2e_wait_popup
xdotool key i
shot 01-breakpoint-line-14
# 2: two lines typed at the start of line 10; the mark moves with its code.
xdotool key ctrl+Home
xdotool key --repeat 9 --delay 20 Down
xdotool key Home Return Return
shot 02-two-lines-above
# 3: saved; the program ends (the project keeps its breakpoints).
xdotool key ctrl+s
e2e_wait "the saved file with the breakpoint's code on line 16" 30 saved_at_16
quit_program
e2e_alive "$pid" && fail "the program did not end"
grep -q "OPTBB 0,0,16,1,.*(Blinky.c)" "$work/blinky/Blinky.Opt" || fail "the options file does not keep the breakpoint on line 16"
# 4: started again, the breakpoint is on the same code, now line 16.
start_program "$work/run2.txt" "$work/blinky/Blinky.pm2"
eval "$(xdotool getwindowgeometry --shell "$main")"
open_source
shot 03-reopened
quit_program
echo "pictures in $gallery"
