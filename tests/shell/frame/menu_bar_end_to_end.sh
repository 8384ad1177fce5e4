#!/usr/bin/env bash
# The menu bar moved as a user moves it, on Xvfb: a double click on its
# gripper floats it, Alt and Down open the File menu there, a drag of its
# floating frame's caption docks it at the main window's left edge, the keys
# still open the menus there, and a restart brings it back at the left.
# Pictures in <build>/gallery/menu_bar.
#   menu_bar_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool
e2e_in_xvfb "$@"
e2e_start_work pm2menubar menu_bar
e2e_copy_blinky
trap e2e_cleanup EXIT

# Alt, then Down: the File menu drops down; Escape twice closes it and
# leaves the menus.
open_file_menu() {
  focus_main
  xdotool key alt
  xdotool key Down
  e2e_wait_popup
  shot "$1"
  xdotool key Escape
  e2e_wait_no_popup
  xdotool key Escape
}

start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
eval "$(xdotool getwindowgeometry --shell "$main")"
mx=$X my=$Y mh=$HEIGHT
shot 01-docked-top
# The gripper is the bar's left edge in the first row of the main window.
xdotool mousemove "$((mx + 3))" "$((my + 10))" click --repeat 2 --delay 80 1
floater=$(find_window "^Menu Bar$") || fail "a double click on the menu bar's gripper did not float it"
open_file_menu 02-floating-file-menu
shot 03-floating

# The floating frame's caption dragged onto the main window's left edge.
eval "$(xdotool getwindowgeometry --shell "$floater")"
xdotool mousemove "$((X + 30))" "$((Y + 8))" mousedown 1
for step in 1 2 3 4 5 6 7 8; do
  xdotool mousemove "$((X + 30 + (mx + 8 - X - 30) * step / 8))" "$((Y + 8 + (my + mh / 2 - Y - 8) * step / 8))"
done
xdotool mouseup 1
e2e_wait "the menu bar dragged to the left edge to dock" 10 hidden "^Menu Bar$"
shot 04-docked-left
open_file_menu 05-left-file-menu

quit_program
e2e_alive "$pid" && fail "the program did not close"
start_program "$work/run2.txt"
hidden "^Menu Bar$" || fail "after a restart the menu bar floats instead of being docked"
shot 06-restarted-left
open_file_menu 07-restarted-file-menu
stop_program
echo "pictures in $gallery"
