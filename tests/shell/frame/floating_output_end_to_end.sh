#!/usr/bin/env bash
# A floating output window under a window manager (openbox, on Xvfb): it
# stays above the main window when the main window is clicked, in the
# session that floated it and after a restart that brings it back floating;
# a right click on its caption opens its system menu, whose Hide hides it.
# Pictures in <build>/gallery/floating.
#   floating_output_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, openbox or xprop.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool openbox xprop
e2e_in_xvfb "$@"
e2e_start_work pm2float floating
e2e_copy_blinky
openbox > "$work/wm.txt" 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true; e2e_cleanup' EXIT
# The window manager is up once it names itself on the root window.
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
e2e_wait "openbox to take the screen" 30 wm_up

# The window manager's stacking order, bottom first: the output window's
# id must come after the main window's.
above_main() {
  local out stack
  out=$(printf '0x%x' "$(xdotool search --onlyvisible --name "^Output Window$" | sed -n 1p)")
  stack=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
  local seen_main=0 w
  for w in $stack; do
    [ "$((w))" = "$main" ] && seen_main=1
    [ "$((w))" = "$((out))" ] && { [ "$seen_main" = 1 ]; return; }
  done
  return 1
}
# A click on the main window: the window manager makes it the active
# window, and stacks the windows, as it takes the click.
main_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$main" ]; }
click_main() {
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove "$((X + WIDTH / 2))" "$((Y + HEIGHT / 3))" click 1
  e2e_wait "the clicked main window to be the active one" 30 main_active
}

start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
# A double click on the output window's gripper floats it.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove "$((X + 8))" "$((Y + HEIGHT - 100))" click --repeat 2 --delay 80 1
find_window "^Output Window$" > /dev/null || fail "the output window did not float"
click_main
shot 01-floating-above
above_main || fail "the floating output window went under the main window"
quit_program
e2e_alive "$pid" && fail "the program did not close"
start_program "$work/run2.txt"
find_window "^Output Window$" > /dev/null || fail "the output window did not come back floating"
click_main
shot 02-restarted-above
above_main || fail "after a restart the floating output window went under the main window"
eval "$(xdotool getwindowgeometry --shell "$(find_window "^Output Window$")")"
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 10))" click 3
e2e_wait_popup
shot 03-system-menu
xdotool key h
e2e_wait_no_popup
e2e_wait_gone "^Output Window$"
shot 04-hidden
stop_program
echo "pictures in $gallery"
