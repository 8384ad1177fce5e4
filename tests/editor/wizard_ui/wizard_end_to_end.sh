#!/usr/bin/env bash
# The configuration wizard in the program under Xvfb: builds the example,
# opens its startup file (which opens in the wizard), tries a stack size
# that is no number and one below its MIN, checks "Set up the PLL", saves, builds again and finds the PLL code in the startup object;
# then opens View > Options, sets the disassembly window's background on
# the colours page and finds it stored when the program ends. Every step
# is a PNG in <build>/gallery/wizard.
#   wizard_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool or the ARM tools.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool xwininfo arm-none-eabi-size
[ -x "$build/test-root/GNU/Arm-Tools/Bin/arm-uclibc-gcc" ] || { echo "arm-none-eabi-gcc is not installed"; exit 77; }
e2e_in_xvfb "$@"
e2e_start_work pm2wizard wizard
e2e_copy_blinky
startup="$work/blinky/Startup.s"

plg="$work/blinky/Obj/Blinky.plg"
wait_log() { e2e_wait_file_contains "$plg" "$1" 120; }
# The builds the log has summed up: the build pane keeps its log open, so
# the next build's lines follow the last one's summary in the same file.
summaries() { grep -c "Error(s)" "$plg" 2>/dev/null || true; }
summed_up_after() { [ "$(summaries)" -gt "$1" ]; }
# Clicks at a point given relative to the main window's top left corner.
click_at() { xdotool mousemove "$((X + $1))" "$((Y + $2))" click --repeat "${3:-1}" --delay 80 1; }

start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool key F7
wait_log "0 Error(s), 0 Warning(s)"
before=$(arm-none-eabi-size "$work/blinky/Obj/Startup.o" | awk 'NR==2 {print $1}')
# 1: a double click on Startup.s in the project window opens the wizard.
click_at 116 106 2
e2e_wait_window "Startup.s" > /dev/null
shot 01-wizard
# 1b: the IRQ stack size takes only a number, held to its MIN of 0x20. A
# press on the value starts its in-place editor at once; the second edit
# presses a few pixels away, so that the two presses make no double click.
edit_stack() {  # x, text
  click_at "$1" 127
  xdotool key ctrl+a
  xdotool type --delay 40 "$2"
  xdotool key Return
}
edit_stack 398 zz
shot 01b-stack-not-a-number
edit_stack 406 10
shot 01c-stack-held-to-min
# 2: the PLL's check box enables the clock settings; Ctrl+S saves.
click_at 384 139
shot 02-pll-checked
xdotool key ctrl+s
e2e_wait_file_contains "$startup" "^        .equ    PLL_SETUP, 1"
grep -q "TYPE = BOOL  DEFAULT = 1" "$startup" || fail "the block does not keep the checked value"
grep -q "^        .equ    IRQ_Stack_Size, 0x20$" "$startup" || fail "the stack size was not held to its MIN of 0x20"
grep -q "DEFAULT = 0x20  MIN = 0x20" "$startup" || fail "the block does not keep the stack size"
# 3: the next build assembles the PLL code.
built=$(summaries)
xdotool key F7
e2e_wait "the second build's log" 120 summed_up_after "$built"
[ "$(grep -c "0 Error(s), 0 Warning(s)" "$plg")" -gt "$built" ] || fail "the second build failed: $(cat "$plg")"
after=$(arm-none-eabi-size "$work/blinky/Obj/Startup.o" | awk 'NR==2 {print $1}')
[ "$after" -gt "$before" ] || fail "the startup code did not grow with the PLL ($before -> $after bytes)"
shot 03-built
# 4: the text editor button shows the text.
click_at 232 426
shot 04-text
# 5: View > Options opens the editor configuration sheet.
xdotool key alt+v
e2e_wait_popup
xdotool key t
sheet=$(e2e_wait_window "^Options$")
e2e_wait_focus "$sheet"
shot 05-options
# 6: on its colours page the disassembly window's background becomes cyan
# (the entry above white); OK keeps it, and the program stores it at exit.
eval "$(xdotool getwindowgeometry --shell "$sheet")"
xdotool key ctrl+Tab
xdotool mousemove "$((X + 80))" "$((Y + 75))" click 1  # the window list
xdotool type --delay 40 "Disassembly"
xdotool key Tab
xdotool type --delay 40 "Background"
xdotool key Tab Up
shot 06-options-disassembly-colours
xdotool key Return
e2e_wait_gone "^Options$"
quit_program
e2e_alive "$pid" && fail "the program did not end"
# The disassembly background is byte 644 of the stored record, two hex digits a byte.
stored=$(grep -o "^Dbg=s:.*" "$XDG_CONFIG_HOME/Vond/Pelmora2/settings.ini" | cut -c7-)
[ "$(echo "$stored" | cut -c1289-1296)" = "00FFFF00" ] || fail "the disassembly background was not stored: $stored"
echo "pictures in $gallery"
