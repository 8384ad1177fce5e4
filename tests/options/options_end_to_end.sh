#!/usr/bin/env bash
# The options sheet in the running program on the X11 platform under Xvfb:
# Alt+F7 opens it on the example's target, the output name and a define
# are changed through the pages (the preview shows the define), a bad
# Define list is refused and the sheet stays, OK saves the project file
# (a new file renamed over the old), F7 builds with the new options, and
# Cancel changes nothing. Every step is a PNG in <build>/gallery/options_ide.
#   options_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without xvfb-run, xdotool or the ARM tools.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
command -v xvfb-run > /dev/null || { echo "xvfb-run is not installed"; exit 77; }
command -v xdotool > /dev/null || { echo "xdotool is not installed"; exit 77; }
command -v arm-none-eabi-gcc > /dev/null || { echo "arm-none-eabi-gcc is not installed"; exit 77; }
if [ "${PM2_IN_XVFB:-}" != 1 ]; then
  export PM2_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/pm2opts_XXXXXX)
trap 'kill "${pid:-0}" 2>/dev/null || true; [ -n "${PM2_KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
cp -r "$src/examples/blinky" "$work/blinky"
rm -rf "$work/blinky/Obj"
gallery="$build/gallery/options_ide"
mkdir -p "$gallery"
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb PM2_NO_SPLASH=1
unset WAYLAND_DISPLAY
prog="$build/root/PM2/pelmora2"
project="$work/blinky/Blinky.pm2"

fail() { "$grab" "$gallery/failed.png" || true; echo "FAIL: $*"; cat "$work"/run*.txt; exit 1; }
find_window() {
  for _ in $(seq 1 100); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.1
  done
  return 1
}
shot() { sleep 0.5; "$grab" "$gallery/$1.png" || fail "no screenshot $1"; }
# Clicks a button of the sheet's bottom row: -1 OK, 0 Cancel, 1 Defaults.
click_button() {
  eval "$(xdotool getwindowgeometry --shell "$sheet")"
  xdotool mousemove "$((X + WIDTH / 2 + $1 * 92))" "$((Y + HEIGHT - 22))" click 1
}
type_into() {  # mnemonic, text: replaces the field's text
  xdotool key "$1"
  xdotool key ctrl+a BackSpace
  [ -n "$2" ] && xdotool type --delay 30 "$2"
  return 0
}

"$prog" "$project" > "$work/run1.txt" 2>&1 &
pid=$!
main=$(find_window "Pelmora2") || fail "the main window did not appear"
# Without a window manager a closed dialog leaves no window with the
# keyboard: the main window gets it back explicitly.
focus_main() { xdotool mousemove 640 500; xdotool windowfocus "$main" 2>/dev/null || true; sleep 0.3; }
sleep 1
xdotool mousemove 640 500
# 1: Project > Options for Target (Alt+F7) opens the sheet on the target page.
xdotool key alt+F7
sheet=$(find_window "Options for Target 'LPC2138'") || fail "the options sheet did not open"
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
# sheet stays open on the field.
xdotool key Return
sleep 0.3
xdotool search --onlyvisible --name "Options for Target" > /dev/null || fail "Enter closed the sheet"
type_into alt+d "A;B"
click_button -1
sleep 0.5
shot 04-define-refused
xdotool key Return   # the message box's OK
sleep 0.3
xdotool search --onlyvisible --name "Options for Target" > /dev/null || fail "the refused sheet closed"
type_into alt+d "E2E_OPT"
# 5: OK saves the project through a new file renamed over the old one.
inode=$(stat -c %i "$project")
click_button -1
for _ in $(seq 1 50); do xdotool search --onlyvisible --name "Options for Target" > /dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name "Options for Target" > /dev/null 2>&1 && fail "OK did not close the sheet"
sleep 0.5
grep -q "OutName (E2EOut)" "$project" || fail "the project file lacks the new output name"
grep -q "E2E_OPT" "$project" || fail "the project file lacks the new define"
[ "$(stat -c %i "$project")" != "$inode" ] || fail "the project file was written in place"
shot 05-saved
# 6: F7 builds with the new options.
focus_main
xdotool key F7
for _ in $(seq 1 600); do
  grep -q "0 Error(s), 0 Warning(s)" "$work/blinky/Obj/E2EOut.plg" 2>/dev/null && break
  sleep 0.1
done
grep -q '"./Obj/E2EOut.elf" - 0 Error(s), 0 Warning(s)' "$work/blinky/Obj/E2EOut.plg" ||
  fail "the build did not create the renamed output"
[ -f "$work/blinky/Obj/E2EOut.elf" ] || fail "no E2EOut.elf"
shot 06-built
# 7: Cancel changes nothing.
cp "$project" "$work/before.pm2"
focus_main
xdotool key alt+F7
sheet=$(find_window "Options for Target 'LPC2138'") || fail "the options sheet did not open again"
xdotool key ctrl+Tab
type_into alt+n "Cancelled"
click_button 0
sleep 1
cmp -s "$project" "$work/before.pm2" || fail "Cancel changed the project file"
shot 07-cancelled
# 8: the project window's menu opens the sheet on a file: its properties
# and its compiler page.
focus_main
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove "$((X + 110))" "$((Y + 165))" click 1   # LED.c in the project tree
sleep 0.3
xdotool click 3
sleep 0.5
xdotool key Down Return   # the first enabled item: a file has no device
sheet=$(find_window "Options for File 'LED.c'") || fail "the context menu did not open the file's sheet"
shot 08-file-sheet
click_button 0
sleep 0.5
focus_main
xdotool key alt+F4
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
grep -q "Cancelled" "$project" && fail "Cancel reached the project on closing"
echo "pictures in $gallery"
