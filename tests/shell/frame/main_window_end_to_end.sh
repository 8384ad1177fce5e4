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
e2e_need Xvfb xdotool
e2e_in_xvfb "$@"
e2e_start_work pm2main main_window
e2e_copy_blinky
# The program's event interface is in a namespace of this run alone.
objects() { find /dev/shm -maxdepth 1 -name "*.$(id -u)$PM2_IPC_SUFFIX" | wc -l; }
[ "$(objects)" = 0 ] || fail "objects of this run's namespace before the start"

start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
poll 100 test "$(objects)" -gt 0 || fail "the event interface made no objects"
# 0: View > Options > Shortcuts: F9 for the last command of the list
# ("Edit:Clear All Bookmarks"), through the key-capture dialog.
focus_main
xdotool key alt+v
sleep 0.3
xdotool key t
sleep 0.8
xdotool key ctrl+Tab ctrl+Tab
sleep 0.3
xdotool key Tab End
sleep 0.3
xdotool key alt+a
capture=$(find_window "Assign Shortcut") || fail "Assign... opened no key-capture dialog"
xdotool key F9
sleep 0.3
shot 00-assign-f9
eval "$(xdotool getwindowgeometry --shell "$capture")"
xdotool mousemove "$((X + WIDTH - 45))" "$((Y + 20))" click 1
wait_gone "Assign Shortcut" "the key-capture dialog stayed open"
xdotool key Return
sleep 0.5
[ -f "$XDG_CONFIG_HOME/Vond/Pelmora2/pelmora2.Mac" ] || fail "OK wrote no shortcut file"
# Two texts: Ctrl+N twice.
xdotool key ctrl+n
sleep 0.3
xdotool key ctrl+n
wait_title "Text2" "Ctrl+N opened no second text"
# The Edit menu keeps every key text and shows F9.
focus_main
xdotool key alt+e
shot 00-edit-menu-keys
xdotool key Escape
sleep 0.3
# 1: the Window menu opened twice; the program lives on and lists both.
for round in 1 2; do
  focus_main
  xdotool key alt+w
  shot "01-window-menu-$round"
  xdotool key Escape
  sleep 0.3
  kill -0 "$pid" 2>/dev/null || fail "the program ended at opening $round of the Window menu"
done
# 2: Alt+P, then Esc: the keys typed next reach the editor.
focus_main
xdotool key alt+p
sleep 0.3
xdotool key Escape
sleep 0.3
xdotool type --delay "$type_delay" "int x;"
shot 02-typed-after-alt-p-esc
# An editor message: Find of a text that is not there.
xdotool key ctrl+f
sleep 0.5
xdotool type --delay "$type_delay" "zq_nowhere"
xdotool key Return
wait_title "Pelmora2" "no message box"
sleep 0.5
shot 02-not-found-box
xdotool key Return
sleep 0.3
xdotool key Escape
sleep 0.3
# 3: File > Exit without saving the texts; the objects go with the program.
focus_main
xdotool key alt+f
sleep 0.3
xdotool key x
for _ in $(seq 1 20); do
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || break
  # "Save changes to 'Text1' ?": No.
  xdotool key n 2>/dev/null || true
done
kill -0 "$pid" 2>/dev/null && fail "File > Exit did not end the program"
wait "$pid" 2>/dev/null || true
[ "$(objects)" = 0 ] || fail "$(objects) objects of the event interface left in /dev/shm after the exit"
# 4: a restart with the user's shortcut file: the menus show its keys.
start_program "$work/run2.txt"
shot 03-restarted
# The texts never saved were not stored: no window of them, no box.
visible "Text2" && fail "a text never saved came back with the project"
[ "$(xdotool search --onlyvisible --name "Pelmora2" | wc -l)" = 1 ] || fail "a message box came up at the restart"
xdotool key ctrl+n
wait_title "Text1" "Ctrl+N opened no text after the restart"
focus_main
xdotool key alt+e
shot 03-edit-menu-after-restart
xdotool key Escape
sleep 0.3
quit_program
kill -0 "$pid" 2>/dev/null && fail "the program did not close"
[ "$(objects)" = 0 ] || fail "objects of the event interface left after the second exit"
echo "pictures in $gallery"
