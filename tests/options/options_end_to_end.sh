#!/usr/bin/env bash
# The options sheet in the running program on the X11 platform under Xvfb:
# Alt+F7 opens it on the example's target, the output name and a define
# are changed through the pages (the preview shows the define), a bad
# Define list is refused and the sheet stays, OK saves the project file
# (a new file renamed over the old), F7 builds with the new options, and
# Cancel changes nothing. Every step is a PNG in <build>/gallery/options_ide.
#   options_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool or the ARM tools.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/options_e2e.sh"
e2e_need Xvfb xdotool xwininfo arm-none-eabi-gcc
e2e_in_xvfb "$@"
e2e_start_work pm2opts options_ide
e2e_copy_blinky
project="$work/blinky/Blinky.pm2"

start_program "$work/run1.txt" "$project"
# 1: Project > Options for Target (Alt+F7) opens the sheet on the target page.
xdotool key alt+F7
sheet=$(find_window "Options for Target 'LPC2138'") || fail "the options sheet did not open"
e2e_wait_focus "$sheet"
shot 01-sheet-opened
# 2: the output name on the Output page.
xdotool key ctrl+Tab
type_into alt+n "E2EOut"
shot 02-output-name
# 3: a define on the compiler page; the preview follows the keys.
xdotool key ctrl+Tab ctrl+Tab
type_into alt+d "E2E_OPT"
shot 03-define-in-preview
# 4: Enter closes nothing; a bad Define list is refused on OK and the
# sheet stays open on the field. The refusal's message box (titled as the
# sheet) comes only from a sheet still open after the Enter.
sheet_windows() { xdotool search --onlyvisible --name "Options for Target 'LPC2138'" 2>/dev/null | wc -l; }
box_up() { [ "$(sheet_windows)" -ge 2 ]; }
box_gone() { [ "$(sheet_windows)" = 1 ]; }
xdotool key Return
type_into alt+d "A;B"
click_button -1
e2e_wait "the message box refusing the Define list 'A;B' (or Enter closed the sheet)" 30 box_up
box=$(xdotool search --onlyvisible --name "Options for Target 'LPC2138'" | grep -v -x "$sheet" | sed -n 1p)
e2e_wait_focus "$box"
shot 04-define-refused
xdotool key Return   # the message box's OK
e2e_wait "the message box to close" 30 box_gone
sheet_open || fail "the refused sheet closed"
e2e_focus "$sheet"
type_into alt+d "E2E_OPT"
# 5: OK saves the project through a new file renamed over the old one.
inode=$(stat -c %i "$project")
ok_and_wait
e2e_wait_file_contains "$project" "OutName (E2EOut)" 10
grep -q "E2E_OPT" "$project" || fail "the project file lacks the new define"
[ "$(stat -c %i "$project")" != "$inode" ] || fail "the project file was written in place"
shot 05-saved
# 6: F7 builds with the new options.
focus_main
xdotool key F7
e2e_poll 120 in_file "$work/blinky/Obj/E2EOut.plg" "0 Error(s), 0 Warning(s)" || true
grep -q '"./Obj/E2EOut.elf" - 0 Error(s), 0 Warning(s)' "$work/blinky/Obj/E2EOut.plg" ||
  fail "the build did not create the renamed output"
[ -f "$work/blinky/Obj/E2EOut.elf" ] || fail "no E2EOut.elf"
shot 06-built
# 7: Cancel changes nothing.
cp "$project" "$work/before.pm2"
focus_main
xdotool key alt+F7
sheet=$(find_window "Options for Target 'LPC2138'") || fail "the options sheet did not open again"
e2e_wait_focus "$sheet"
xdotool key ctrl+Tab
type_into alt+n "Cancelled"
cancel_and_wait
cmp -s "$project" "$work/before.pm2" || fail "Cancel changed the project file"
shot 07-cancelled
# 8: the project window's menu opens the sheet on a file: its properties
# and its compiler page.
focus_main
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove "$((X + 110))" "$((Y + 165))" click 1   # LED.c in the project tree
xdotool click 3
e2e_wait_popup
xdotool key Down Return   # the first enabled item: a file has no device
sheet=$(find_window "Options for File 'LED.c'") || fail "the context menu did not open the file's sheet"
e2e_wait_focus "$sheet"
shot 08-file-sheet
cancel_and_wait
quit_program
grep -q "Cancelled" "$project" && fail "Cancel reached the project on closing"
echo "pictures in $gallery"
