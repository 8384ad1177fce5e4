#!/usr/bin/env bash
# A new project as a new user makes it, on the X11 platform under Xvfb:
# Project > New Project, the NXP LPC2148 in the device sheet, Yes to the
# startup file, a main.c added through Add Files, F7 builds and links
# without an option set by hand, Ctrl+F5 runs the program in simulation with
# the GDB driver under qemu and stops at main. Every step is a PNG in
# <build>/gallery/new_project.
#   new_project_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool xwininfo gdb-multiarch qemu-system-arm arm-none-eabi-nm
e2e_need_arm_gcc
e2e_in_xvfb "$@"
e2e_start_work pm2newproject new_project
# Whatever the session started from the work folder goes with the test.
# The program is ended first, so that it leaves no objects of its namespace.
trap 'e2e_end_program; pkill -KILL -f "$work/" 2>/dev/null || true; e2e_cleanup' EXIT
export PM2_DEBUG_WINDOWS_DUMP="$work/windows.txt"
fail_also="$work/windows.txt"
folder="$work/Fresh"
elf="$folder/Fresh.elf"
mkdir -p "$folder"

# gdb and qemu of this test's program file, by their command lines.
children() { pgrep -f "$elf" || true; }
children_are() { [ "$(children | wc -l)" = "$1" ]; }
wait_children() {  # count
  e2e_poll 30 children_are "$1" || fail "expected $1 gdb/qemu processes, found: $(children | tr '\n' ' ')"
}
menu() {  # the keys that open a menu
  xdotool key "$1"
  e2e_wait_popup
}

# Clicks at a place given against a window's top left corner: window, x, y.
click_in() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove "$((X + $2))" "$((Y + $3))" click 1
}

# 1: the program without a project.
start_program "$work/run1.txt"
shot 01-started
# 2: Project > New Project, the project's name typed into the file dialog.
focus_main
menu alt+p
xdotool key n
dialog=$(e2e_wait_window "Create New Project")
e2e_wait_focus "$dialog"
xdotool type --delay "$type_delay" "$folder/Fresh.pm2"
shot 02-new-project-name
xdotool key Return
# 3: the device sheet: NXP, LPC2148 (the tree takes the keyboard after a
# click into it, and finds an item by its first letters), then OK.
sheet=$(e2e_wait_window "Select Device for Target")
e2e_wait_focus "$sheet"
eval "$(xdotool getwindowgeometry --shell "$sheet")"
sheet_w=$WIDTH sheet_h=$HEIGHT
click_in "$sheet" 100 380
xdotool type --delay 80 "NXP"
# The tree's search by first letters ends on a timer of its own, so the
# device is not searched for right after the vendor: LPC2148 is the sixth
# of NXP's devices in the tests' database (the startup file and linker
# script copied later tell a wrong one).
xdotool key Right
xdotool key --delay 80 Down Down Down Down Down Down
shot 03-device-lpc2148
click_in "$sheet" $((sheet_w / 2 - 48)) $((sheet_h - 21))
# 4: Yes to the copy of the device's startup file.
e2e_wait_file "$folder/Fresh.pm2"
box=$(e2e_wait_window "^Pelmora2$")
e2e_wait_focus "$box"
shot 04-startup-question
xdotool key Return
e2e_wait_file "$folder/Startup.s"
e2e_wait_file "$folder/LPC2148.ld"
shot 05-startup-copied
# 5: main.c, written by the user, added to the group through Add Files.
printf '/* The program of a new project. */\nvolatile unsigned counter = 3;\n\nint main(void) {\n  for (;;) {\n    counter = counter * 7 / 5 + 1;\n  }\n}\n' > "$folder/main.c"
focus_main
click_in "$main" 116 94  # "Source Group 1" in the project window
menu alt+p
click_in "$main" 230 167  # "Add Files to Group 'Source Group 1'..."
adder=$(e2e_wait_window "Add Files to Group")
e2e_wait_focus "$adder"
xdotool type --delay "$type_delay" "main.c"
xdotool key Return
shot 06-add-main
# Close (a first click may only close the name field's completion list).
eval "$(xdotool getwindowgeometry --shell "$adder")"
adder_w=$WIDTH adder_h=$HEIGHT
for _ in 1 2 3; do
  visible "Add Files to Group" || break
  click_in "$adder" $((adder_w - 50)) $((adder_h - 22))
  e2e_poll 5 hidden "Add Files to Group" || true
done
wait_gone "Add Files to Group" "Add Files did not close"
shot 07-project-with-main
# 6: F7 builds and links.
focus_main
xdotool key F7
e2e_poll 120 in_file "$folder/Fresh.plg" "Error(s)" || true
fail_also="$work/windows.txt $folder/Fresh.plg"
grep -q '"Fresh.elf" - 0 Error(s), 0 Warning(s).' "$folder/Fresh.plg" || fail "F7 did not build the new project"
grep -q "compiling main.c" "$folder/Fresh.plg" || fail "the build did not compile main.c"
[ -f "$elf" ] || fail "no program file after the build"
shot 08-built
# 7: Ctrl+F5: the simulated session stops at main, main.c shows it.
focus_main
xdotool key ctrl+F5
wait_children 2
wait_title "main.c" "the stop at main did not show main.c"
shot 09-stopped-at-main
# The disassembly window's PC line is main's address.
main_at=$(arm-none-eabi-nm "$elf" | awk '$3 == "main" { print toupper($1) }')
[ -n "$main_at" ] || fail "no main in the program file"
focus_main
menu alt+v
xdotool key i
e2e_poll 30 in_file "$work/windows.txt" "disasm-pc: 0x$main_at " || fail "the session did not stop at main (0x$main_at)"
shot 10-disassembly-at-main
# 8: Ctrl+F5 ends the session; gdb and qemu are gone.
focus_main
xdotool key ctrl+F5
wait_children 0
shot 11-session-ended
quit_program
echo "pictures in $gallery"
