#!/usr/bin/env bash
# A user's road through a debug session of the example, end to end on the
# X11 platform under Xvfb with the GDB driver and qemu: Ctrl+F5 stops at
# main by itself (the example's "Go till main()") with the arrow in
# Blinky.c's margin; a key typed into the editor after the stop leaves the
# text as it was (the line is not selected); F10 steps; a double click in
# the margin sets a breakpoint and F5 runs to it; the session ends with the
# breakpoint kept, shown outside the session, written to the options file
# and set again in the next session, where F5 stops at it once more. There
# a register is edited on the register page (double click, value, Enter); a
# second client of the event interface reads it from the driver, runs until
# Timer_Init, writes and reads R1, and sets and clears a breakpoint by a
# function's name; a double click in Timer.c's margin sets a breakpoint on
# its line's first instruction, where gdb alone breaks for the line, and F5
# stops there; Set Program Counter from the disassembly window's menu
# moves the PC to the cursor's line. A client of the event interface hears
# the session start and end and every run and stop. Every step is a PNG in
# <build>/gallery/debugger/session-*.png.
#   debug_session_end_to_end.sh <build> <source> <screen_grab> <ipc client>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3; client=$4
here=$(cd "$(dirname "$0")" && pwd)
fail_shot=session-failed shot_prefix=session- debug_work=pm2dbgsession debug_gallery=debugger
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
e2e_need python3
. "$(dirname "${BASH_SOURCE[0]}")/debug_e2e.sh"
fail_also="$fail_also $work/client.txt"
find_png() { python3 "$here/png_find.py" "$@"; }
# The program counter's arrow (its yellow) in the editors' area: "x0 y0 x1 y1".
arrow() { find_png "$gallery/session-$1.png" bbox 255 255 0 80 160 900 760; }
arrow_mid() {  # shot name -> the arrow's vertical middle
  local x0 y0 x1 y1
  read -r x0 y0 x1 y1 <<< "$(arrow "$1")" || true
  [ -n "${y1:-}" ] || fail "no arrow in the margin ($1)"
  echo "$(( (y0 + y1) / 2 )) $x0"
}

build_example
cp "$work/blinky/Blinky.c" "$work/Blinky.c.orig"
open_example
"$client" "$PM2_IPC_SUFFIX" "$XDG_RUNTIME_DIR" 2 > "$work/client.txt" 2>&1 &
client_pid=$!
e2e_wait_file_contains "$work/client.txt" "identity " 60

# 1: Ctrl+F5 runs to main and stops there with the arrow in Blinky.c.
dbg_start_session
e2e_wait_window "Blinky.c" > /dev/null
dbg_shot 01-stopped-at-main
read -r mid0 ax0 <<< "$(arrow_mid 01-stopped-at-main)"
# 2: a key typed into the editor after the stop goes in front of main's
# line (the line is not selected, so it is not replaced); Backspace takes
# it out again and the text is as it was. A click on the editor window's
# title gives it the keys without moving its caret.
xdotool mousemove 900 151 click 1
dbg_settle
xdotool type --delay 40 "x"
dbg_shot 02-key-typed
xdotool key ctrl+s
saved_changed() { ! cmp -s "$work/blinky/Blinky.c" "$work/Blinky.c.orig"; }
e2e_wait "Blinky.c saved with the typed key" 60 saved_changed
grep -q "^xint main(void) {" "$work/blinky/Blinky.c" || fail "the key typed after the stop did not go in front of main's line: $(diff "$work/Blinky.c.orig" "$work/blinky/Blinky.c" | head -5)"
xdotool key BackSpace ctrl+s
saved_as_it_was() { cmp -s "$work/blinky/Blinky.c" "$work/Blinky.c.orig"; }
e2e_wait "Blinky.c saved again after Backspace, as it was" 60 saved_as_it_was
cmp -s "$work/blinky/Blinky.c" "$work/Blinky.c.orig" || fail "a key typed after the stop changed the text: $(diff "$work/Blinky.c.orig" "$work/blinky/Blinky.c" | head -5)"
# 3: F10 steps to the next line; the arrow moves one line down.
dbg_run_to_stop "F10's stop" key F10
dbg_shot 03-step-over
read -r mid _ <<< "$(arrow_mid 03-step-over)"
h=$(( mid - mid0 ))
[ "$h" -ge 8 ] && [ "$h" -le 40 ] || fail "F10 did not move the arrow one line ($mid0 to $mid)"
# 4: a double click in the margin of the next line (LED_Init) sets a
# breakpoint; F5 runs to it.
xdotool mousemove "$((ax0 + 1))" "$((mid + h))" click --repeat 2 --delay 80 1
dbg_shot 04-margin-breakpoint
find_png "$gallery/session-04-margin-breakpoint.png" bbox 255 0 0 $((ax0 - 4)) $((mid + h / 2)) $((ax0 + h)) $((mid + 3 * h / 2)) | grep -q . ||
  fail "no breakpoint mark after the double click"
dbg_run_to_stop "F5's stop at the margin's breakpoint" key F5
dbg_shot 05-stopped-at-breakpoint
read -r bmid _ <<< "$(arrow_mid 05-stopped-at-breakpoint)"
[ $(( bmid - mid - h )) -le 2 ] && [ $(( mid + h - bmid )) -le 2 ] || fail "F5 did not stop at the breakpoint ($bmid, not $((mid + h)))"
# 5: Ctrl+F5 ends the session; the breakpoint stays in the margin as a
# stored one, and the Start/Stop button is up again.
dbg_end_session
dbg_shot 06-session-ended
# Outside a session the toolbars take one row less (the Debug toolbar wraps
# onto a second one in a session), so the text stands up to a row higher.
find_png "$gallery/session-06-session-ended.png" bbox 255 0 0 $((ax0 - 4)) $((bmid - 26 - h / 2)) $((ax0 + h)) $((bmid + h / 2)) | grep -q . ||
  fail "the breakpoint is not kept in the margin after the session"
# 6: the next session stops at main again and F5 stops at the kept breakpoint.
dbg_start_session
dbg_shot 07-second-session
dbg_run_to_stop "F5's stop at the kept breakpoint" key F5
dbg_shot 08-kept-breakpoint
read -r kmid _ <<< "$(arrow_mid 08-kept-breakpoint)"
[ $(( kmid - bmid )) -le 2 ] && [ $(( bmid - kmid )) -le 2 ] || fail "the next session did not stop at the kept breakpoint ($kmid, not $bmid)"
# 7: a register edited on the register page: a double click on R4's value,
# a value typed, Enter; R4's value then looks unlike R5's (both were zero).
r4y=256 r5y=270
[ "$(find_png "$gallery/session-08-kept-breakpoint.png" same 175 $((r4y - 5)) 175 $((r5y - 5)) 60 11)" = same ] ||
  fail "R4 and R5 did not show the same value before the edit"
xdotool mousemove 210 "$r4y" click --repeat 2 --delay 80 1
dbg_settle
xdotool type --delay 40 "0x1234ABCD"
xdotool key Return
dbg_shot 09-register-edited
[ "$(find_png "$gallery/session-09-register-edited.png" same 175 $((r4y - 5)) 175 $((r5y - 5)) 60 11)" = differ ] ||
  fail "the register page does not show R4's new value"
# 8: a second client in the IDE's own words: R4 as the driver has it now,
# ExecuteUntil a function by name (Timer.c comes to the front), a register
# written by its page name and read back, a breakpoint set and cleared by
# a function's name; each request answered.
timeout "$(e2e_left 120)" "$client" "$PM2_IPC_SUFFIX" "$XDG_RUNTIME_DIR" requests > "$work/requests.txt" 2>&1 ||
  fail "the requests client failed ($?): $(cat "$work/requests.txt")"
fail_also="$work/client.txt $work/requests.txt"
grep -q "^register R4 0x1234ABCD$" "$work/requests.txt" || fail "the driver does not have R4 as edited"
read -r _ _ until_pc <<< "$(grep "^execution stopped " "$work/requests.txt" | tail -1)"
read -r _ _ timer_init _ <<< "$(grep "^address Timer_Init " "$work/requests.txt")"
[ -n "$until_pc" ] && [ $(( until_pc - timer_init )) -ge 0 ] && [ $(( until_pc - timer_init )) -lt 32 ] ||
  fail "ExecuteUntil Timer_Init stopped at $until_pc, not in Timer_Init ($timer_init)"
grep -A1 "^execution started$" "$work/requests.txt" | grep -q "^execution stopped " ||
  fail "the requests client did not hear ExecuteUntil's run start before its stop"
for answer in "wrote R1 0x5A5A1234" "register R1 0x5A5A1234" "set LED_Off 1" "cleared LED_Off 1"; do
  grep -q "^$answer$" "$work/requests.txt" || fail "the requests client got no '$answer'"
done
e2e_wait_window "Timer.c" > /dev/null
dbg_shot 10-execute-until
# 8b: a double click in Timer.c's margin two lines below the arrow (line 10,
# "T0MR0 = ...", four instructions) sets a breakpoint on the line's first
# instruction: F5 stops where gdb alone puts "break Timer.c:10".
read -r tmid _ <<< "$(arrow_mid 10-execute-until)"
stops_before=$(grep -c "^execution stopped " "$work/client.txt" || true)
xdotool mousemove "$((ax0 + 1))" "$((tmid + 2 * h))" click --repeat 2 --delay 80 1
dbg_settle
dbg_run_to_stop "F5's stop at the breakpoint of Timer.c's line 10" key F5
more_stops() { [ "$(grep -c "^execution stopped " "$work/client.txt" || true)" -gt "$stops_before" ]; }
e2e_wait "the stop at Timer.c's line 10 told to the first client" 60 more_stops
dbg_shot 10b-timer-line-breakpoint
read -r _ _ line_pc <<< "$(grep "^execution stopped " "$work/client.txt" | tail -1)"
gdb_pc=$(gdb-multiarch -nx -batch -ex "break Timer.c:10" "$elf" 2>/dev/null |
  sed -n 's/^Breakpoint 1 at \(0x[0-9a-fA-F]*\): file Timer.c, line 10\.$/\1/p')
[ -n "$gdb_pc" ] || fail "gdb alone gave no address for Timer.c:10"
[ $(( line_pc )) -eq $(( gdb_pc )) ] ||
  fail "the margin's breakpoint of Timer.c:10 stopped at $line_pc, gdb alone breaks at $gdb_pc"
read -r lmid _ <<< "$(arrow_mid 10b-timer-line-breakpoint)"
[ $(( lmid - tmid - 2 * h )) -le 2 ] && [ $(( tmid + 2 * h - lmid )) -le 2 ] ||
  fail "the arrow is not on Timer.c's line 10 after the stop ($lmid, not $((tmid + 2 * h)))"
# 9: Set Program Counter from the disassembly window's menu: View >
# Disassembly Window (Alt+V, I), a right click two lines below the
# program counter's line, the menu's item; the PC then is that line's address.
dbg_open_menu "the View menu" key alt+v
xdotool key i
dbg_wait_dump "^disasm-pc: " "the disassembly window's PC line"
dbg_settle
read -r _ old_pc _ <<< "$(grep "^disasm-pc: " "$work/windows.txt")"
read -r _ cx cy <<< "$(grep "^disasm-centre: " "$work/windows.txt")"
# The row at the window's middle may be a source line of the mixed listing
# (the window's height follows the toolbars' rows): the first instruction's
# row at or below it is taken (a left click moves the cursor there first).
for _ in 1 2 3 4; do
  xdotool mousemove "$cx" "$cy" click 1
  dbg_settle
  read -r _ _ _ _ cursor_text <<< "$(grep "^disasm-cursor: " "$work/windows.txt")"
  case "$cursor_text" in 0x*) break ;; esac
  cy=$((cy + 14))
done
dbg_open_menu "the disassembly window's context menu" mousemove "$cx" "$cy" click 3
dbg_shot 11-disassembly-menu
xdotool key Up Up Return
pc_moved() { ! dbg_dump_has "^disasm-pc: $old_pc "; }
e2e_wait "the disassembly window's PC line to leave $old_pc (Set Program Counter)" 60 pc_moved
dbg_settle
read -r _ _ _ cursor_at _ <<< "$(grep "^disasm-cursor: " "$work/windows.txt")"
read -r _ new_pc _ <<< "$(grep "^disasm-pc: " "$work/windows.txt")"
dbg_shot 12-set-program-counter
[ "$cursor_at" != "$old_pc" ] || fail "the right click left the cursor on the program counter's line"
[ "$new_pc" = "$cursor_at" ] || fail "Set Program Counter did not move the PC to the cursor ($old_pc, $new_pc, $cursor_at)"
dbg_end_session
# 10: the clients heard both sessions: their start and end, each run and stop.
e2e_wait "the event interface client to hear both sessions end" 60 e2e_gone_process "$client_pid"
wait "$client_pid" || fail "the event interface client did not hear both sessions end"
for event in "debugger started" "execution started" "execution stopped 0x" "debugger stopped"; do
  grep -q "^$event" "$work/client.txt" || fail "the client did not receive '$event'"
done
[ "$(grep -c "^debugger started" "$work/client.txt")" = 2 ] || fail "not two session starts told"
# 11: the options file keeps the breakpoint when the program closes.
dbg_quit
grep -q "OPTBB .*(Blinky.c)" "$work/blinky/Blinky.Opt" || fail "the options file keeps no breakpoint of Blinky.c"
echo "pictures in $gallery"
