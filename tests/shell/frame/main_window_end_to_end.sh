#!/usr/bin/env bash
# The main window as a new user meets it, on the X11 platform under Xvfb:
# the Window menu opened twice with editor windows open, an editor message
# in its box, a key assigned on View > Options > Shortcuts shown in the
# menus then and after a restart, and the event interface's objects gone
# from /dev/shm after File > Exit. Pictures in <build>/gallery/main_window.
#   main_window_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool xwininfo
e2e_in_xvfb "$@"
e2e_start_work pm2main main_window
e2e_copy_blinky
# The program's event interface is in a namespace of this run alone.
objects() { find /dev/shm -maxdepth 1 -name "*.$(id -u)$PM2_IPC_SUFFIX" | wc -l; }
has_objects() { [ "$(objects)" -gt 0 ]; }
# A message box of the program: a window titled just "Pelmora2".
box_up() { visible '^Pelmora2$'; }
# A menu opened by its keys, then the next keys go to it: keys...
menu() {
  xdotool key "$1"
  e2e_wait_popup
}
menu_closed() {
  xdotool key Escape
  e2e_wait_no_popup
}
[ "$(objects)" = 0 ] || fail "objects of this run's namespace before the start"

start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
e2e_wait "the event interface's objects in /dev/shm" 30 has_objects
# 0: View > Options > Shortcuts: F9 for the last command of the list
# ("Edit:Clear All Bookmarks"), through the key-capture dialog.
focus_main
menu alt+v
xdotool key t
options=$(e2e_wait_window "^Options$")
e2e_wait_focus "$options"
xdotool key ctrl+Tab ctrl+Tab
xdotool key Tab End
xdotool key alt+a
capture=$(e2e_wait_window "Assign Shortcut")
e2e_wait_focus "$capture"
xdotool key F9
shot 00-assign-f9
eval "$(xdotool getwindowgeometry --shell "$capture")"
xdotool mousemove "$((X + WIDTH - 45))" "$((Y + 20))" click 1
wait_gone "Assign Shortcut" "the key-capture dialog stayed open"
e2e_focus "$options"
xdotool key Return
e2e_wait_gone "^Options$"
e2e_poll 10 test -f "$XDG_CONFIG_HOME/Vond/Pelmora2/pelmora2.Mac" || fail "OK wrote no shortcut file"
# Two texts: Ctrl+N twice.
focus_main
xdotool key ctrl+n ctrl+n
wait_title "Text2" "Ctrl+N opened no second text"
# The Edit menu keeps every key text and shows F9.
focus_main
menu alt+e
shot 00-edit-menu-keys
menu_closed
# 1: the Window menu opened twice; the program lives on and lists both.
for round in 1 2; do
  focus_main
  menu alt+w
  shot "01-window-menu-$round"
  menu_closed
  e2e_alive "$pid" || fail "the program ended at opening $round of the Window menu"
done
# 2: Alt+P, then Esc: the keys typed next reach the editor.
focus_main
menu alt+p
menu_closed
xdotool type --delay "$type_delay" "int x;"
shot 02-typed-after-alt-p-esc
# An editor message: Find of a text that is not there.
xdotool key ctrl+f
find=$(e2e_wait_window "^Find$")
e2e_wait_focus "$find"
xdotool type --delay "$type_delay" "zq_nowhere"
xdotool key Return
box=$(e2e_wait_window '^Pelmora2$')
e2e_wait_focus "$box"
shot 02-not-found-box
xdotool key Return
e2e_wait_gone '^Pelmora2$'
e2e_focus "$find"
xdotool key Escape
e2e_wait_gone "^Find$"
# 3: File > Exit without saving the texts; the objects go with the program.
focus_main
menu alt+f
xdotool key x
# "Save changes to 'Text1' ?": No, to each question, until the program ends.
exited_saying_no() {
  e2e_alive "$pid" || return 0
  if box_up && e2e_take_focus '^Pelmora2$'; then
    xdotool key n
    e2e_poll 10 hidden '^Pelmora2$' || true
  fi
  return 1
}
e2e_poll 60 exited_saying_no || fail "File > Exit did not end the program"
wait "$pid" 2>/dev/null || true
[ "$(objects)" = 0 ] || fail "$(objects) objects of the event interface left in /dev/shm after the exit"
# 4: a restart with the user's shortcut file: the menus show its keys.
start_program "$work/run2.txt"
shot 03-restarted
# The texts never saved were not stored: no window of them, no box. The
# program takes Ctrl+N after what it restores at its start, so a text of
# that start would be there by the time the new one is.
xdotool key ctrl+n
wait_title "Text1" "Ctrl+N opened no text after the restart"
visible "Text2" && fail "a text never saved came back with the project"
[ "$(xdotool search --onlyvisible --name "Pelmora2" | wc -l)" = 1 ] || fail "a message box came up at the restart"
focus_main
menu alt+e
shot 03-edit-menu-after-restart
menu_closed
quit_program
e2e_alive "$pid" && fail "the program did not close"
[ "$(objects)" = 0 ] || fail "objects of the event interface left after the second exit"
echo "pictures in $gallery"
