#!/usr/bin/env bash
# The source browser end to end on the X11 platform under Xvfb: starts
# <build>/test-root/PM2/pelmora2 on a 51-family project built with the stand-in
# tools (their objects carry browse records), opens View > Source Browser,
# moves to the File Outline box with Alt+O (Util.c's outline lists what it
# defines), selects a symbol, goes to its definition with Enter, then to a reference
# and the next one from the editor's context menu, and closes the browser;
# every step is a PNG in <build>/gallery/browser_ide.
#   browser_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool xwininfo
e2e_in_xvfb "$@"
e2e_start_work pm2browser browser_ide
mkdir -p "$work/board"

cat > "$work/board/Main.c" << 'C'
sfr P1 = 0x90;
sbit LED = P1^0;
unsigned char counter;
int total = 0;
extern int util_add(int a, int b);

void delay(unsigned int n) {
  while (n--) ;
}

void main(void) {
  counter = 0;
  while (1) {
    LED = !LED;
    total += util_add(counter, 1);
    counter++;
    delay(100);
    LED = 0;
  }
}
C
printf 'int util_add(int a, int b) {\n  return a + b;\n}\n' > "$work/board/Util.c"
# A 51-family target with browse information on.
printf '%s\r\n' '### Pelmora2 Project, (C) Vond Software' '### Do not modify !' '' \
  "Target (Board), 0x0000 // Tools: 'MCS-51'" '' 'Group (Source)' '' \
  'File 1,1,<./Main.c><Main.c> 0x0 ' 'File 1,1,<./Util.c><Util.c> 0x0 ' '' '' \
  "Options 1,0,0  // Target 'Board'" ' OutDir (./Obj/)' ' OutName (Blinky)' ' Browse=1' 'EndOpt' '' \
  > "$work/board/Board.pm2"

wait_log() { e2e_wait_file_contains "$work/board/Obj/Blinky.plg" "$1" 120; }
# View > Source Browser (it opens the browser, or closes it when open).
browser_command() {
  xdotool key alt+v
  e2e_wait_popup
  xdotool key s
  e2e_wait_no_popup
}
# The editor's context menu from the keyboard, then an item counted from
# its end: Ups.
context_item() {
  xdotool key Menu
  e2e_wait_popup
  xdotool key "$@" Return
  e2e_wait_no_popup
}

start_program "$work/run1.txt" "$work/board/Board.pm2"
xdotool key F7
wait_log "0 Error(s), 0 Warning(s)"
[ "$(head -c 1 "$work/board/Obj/Blinky" | od -An -tx1 | tr -d ' ')" = 02 ] || fail "the linker wrote no browse module"
shot 01-built
# View > Source Browser: the list has the focus.
browser_command
shot 02-browser
# Alt+O moves to the File Outline box and leaves the menu bar alone: the
# next keys choose Util.c there, whose outline is what it defines.
xdotool key alt+o
xdotool key Down Down
shot 02b-outline-util
xdotool key alt+o
xdotool key Up Up
shot 02c-all-files
# Closed and opened again, the list has the focus.
browser_command
browser_command
# The third symbol (counter) selected: the results show its places.
xdotool key Down Down
shot 03-selected
# Enter goes to its definition in the editor (line 3), which selects the
# name there.
xdotool key Return
find_window "Main.c" > /dev/null || fail "no window titled 'Main.c'"
shot 04-definition
# The editor's context menu from the keyboard: its last four items are Go
# To Definition, Go To Reference, Next and Previous Reference.
xdotool key Menu
e2e_wait_popup
shot 05-context-menu
xdotool key Up Up Up Return
e2e_wait_no_popup
shot 06-reference  # line 12
context_item Up Up
shot 07-next-reference  # line 15
# The command again closes the browser.
browser_command
shot 08-browser-closed
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "pictures in $gallery"
