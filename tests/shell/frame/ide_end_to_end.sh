#!/usr/bin/env bash
# The program end to end on the X11 platform under Xvfb: starts
# <build>/test-root/PM2/pelmora2 on a copy of the example, builds with F7, breaks
# a source file and builds again, jumps to the error line with a double
# click, closes and starts again; every step is a PNG in <build>/gallery/ide.
#   ide_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool xwininfo
e2e_need_arm_gcc
e2e_in_xvfb "$@"
e2e_start_work pm2ide ide
e2e_copy_blinky

# The build log is the program's own record of what the output window shows.
wait_log() { e2e_wait_file_contains "$work/blinky/Obj/Blinky.plg" "$1" 120; }
menu() {  # the keys that open a menu
  xdotool key "$1"
  e2e_wait_popup
}
menu_closed() {  # the keys that close it
  xdotool key "$@"
  e2e_wait_no_popup
}

# 1: start on the project; the window shows the project tree.
start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
win=$main
shot 01-started
# 2: F7 builds the target.
# Without a window manager the one window has the keyboard.
xdotool mousemove 640 500
xdotool key F7
"$grab" "$gallery/02-building.png" || fail "no screenshot 02-building"
wait_log "0 Error(s), 0 Warning(s)"
shot 02-built
# 3: a broken line, a second build, and a double click on the error line.
# File times count in seconds: the change must come a second after the build.
e2e_wait_clock_past "$work/blinky/Obj/Blinky.plg"
printf '\nint broken_value = ;\n' >> "$work/blinky/LED.c"
xdotool key F7
wait_log "Target not created"
shot 03-error
# The output pane's error line: the screenshot's output window holds it; the
# frame's geometry gives the pane, the line is found by the program itself.
eval "$(xdotool getwindowgeometry --shell "$win")"
echo "window at $X,$Y size ${WIDTH}x$HEIGHT"
line=$(grep -n "LED.c(" "$work/blinky/Obj/Blinky.plg" | head -1 | cut -d: -f1 || true)
[ -n "$line" ] || fail "no error line in the build log"
# Ask the window for the row: PM2 writes nothing of the kind, so the test
# double-clicks each visible row of the output pane until LED.c opens.
opened=0
for y in $(seq $((Y + HEIGHT - 140)) 14 $((Y + HEIGHT - 70))); do
  xdotool mousemove "$((X + 300))" "$y" click --repeat 2 --delay 80 1
  if e2e_poll 3 visible "LED.c"; then opened=1; break; fi
done
[ "$opened" = 1 ] || fail "a double click on the error line did not open LED.c"
shot 04-jumped
# 4: close; the second start restores the project and the layout.
quit_program
e2e_alive "$pid" && fail "the program did not close"
grep -q "LprJ" "$work/config/Vond/Pelmora2/settings.ini" || fail "the settings were not saved"
start_program "$work/run2.txt"
win=$main
shot 05-restarted
xdotool search --onlyvisible --name "Blinky" > /dev/null || fail "the second start did not reopen the project"
# The editor window open at the close is open again, and active.
xdotool search --onlyvisible --name "LED.c" > /dev/null || fail "the second start did not reopen LED.c"
# The status line tells what the toolbar button under the mouse does.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove "$((X + 14))" "$((Y + 40))"
xdotool mousemove "$((X + 16))" "$((Y + 42))"
shot 05b-status-prompt
# Ctrl+N: a new text in a window of its own.
xdotool mousemove 640 500
xdotool key ctrl+n
wait_title "Text1" "Ctrl+N opened no new text"
shot 05c-new-text
# Window > Save Workspace As...: the workspace dialog.
menu alt+w
xdotool key w
dialog=$(e2e_wait_window "^Save Workspace$")
e2e_wait_focus "$dialog"
shot 05d-workspace-dialog
xdotool key Escape
e2e_wait_gone "^Save Workspace$"
# View > Options: the editor options with their shortcuts page.
focus_main
menu alt+v
xdotool key t
dialog=$(e2e_wait_window "^Options$")
e2e_wait_focus "$dialog"
shot 05e-options
xdotool key Escape
e2e_wait_gone "^Options$"
# 5: the Project menu dropped from the menu bar with Alt+P, drawn with its
# button images; then the File menu with Alt, then Down.
focus_main
menu alt+p
shot 06-project-menu
menu_closed Escape Escape
xdotool key alt
menu Down
shot 07-file-menu
menu_closed Escape Escape
stop_program
# 6: -b with a display builds in the window, prints the lines and closes
# with the command-line build's exit status: 1 while LED.c is broken, then 0.
status=0
timeout 120 "$prog" -b "$work/blinky/Blinky.pm2" > "$work/batch1.txt" 2>&1 || status=$?
[ "$status" = 1 ] || fail "a failed windowed build ended with status $status"
grep -q "LED.c(22): error" "$work/batch1.txt" || fail "the windowed build printed no error line"
e2e_wait_clock_past "$work/blinky/Obj/Blinky.plg"
sed -i '/broken_value/d' "$work/blinky/LED.c"
status=0
timeout 120 "$prog" -b -o "$work/copy.txt" "$work/blinky/Blinky.pm2" > "$work/batch2.txt" 2>&1 || status=$?
[ "$status" = 0 ] || fail "a good windowed build ended with status $status"
grep -q "0 Error(s), 0 Warning(s)" "$work/batch2.txt" || fail "the windowed build printed no closing line"
grep -q "0 Error(s), 0 Warning(s)" "$work/copy.txt" || fail "the -o copy lacks the closing line"
# A batch start on a missing project ends at once with status 1.
status=0
timeout 60 "$prog" -b "$work/missing/X.pm2" > "$work/batch3.txt" 2>&1 || status=$?
[ "$status" = 1 ] || fail "a batch start on a missing project ended with status $status"
echo "pictures in $gallery"
