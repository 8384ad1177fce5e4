#!/usr/bin/env bash
# The target, compiler, assembler, locate and misc pages of a 51, a 251 and
# a 166 target in the running program on the X11 platform under Xvfb:
# Alt+F7 opens the sheet, each page shows its stored options and takes a
# change (the preview shows it), OK saves the project, F7 builds with the
# stand-in tools, and the tools' command lines (recorded by the stand-ins)
# and the linker's control file have the changes. Every page is a PNG in
# <build>/gallery/options_family.
#   family_end_to_end.sh <build> <screen_grab> <family_projects>
# Exit 77 (skipped) without xvfb-run or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); grab=$2; maker=$3
command -v xvfb-run > /dev/null || { echo "xvfb-run is not installed"; exit 77; }
command -v xdotool > /dev/null || { echo "xdotool is not installed"; exit 77; }
if [ "${PM2_IN_XVFB:-}" != 1 ]; then
  export PM2_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/pm2fam_XXXXXX)
trap 'kill "${pid:-0}" 2>/dev/null || true; [ -n "${PM2_KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
"$maker" "$work"
gallery="$build/gallery/options_family"
mkdir -p "$gallery"
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb PM2_NO_SPLASH=1
export PM2_STANDIN="record $work/args.txt"
unset WAYLAND_DISPLAY
prog="$build/root/PM2/pelmora2"

fail() { "$grab" "$gallery/failed.png" || true; echo "FAIL: $*"; cat "$work"/run*.txt 2>/dev/null; exit 1; }
find_window() {
  for _ in $(seq 1 100); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.1
  done
  return 1
}
shot() { sleep 0.5; "$grab" "$gallery/$1.png" || fail "no screenshot $1"; }
click_ok() {
  eval "$(xdotool getwindowgeometry --shell "$sheet")"
  xdotool mousemove "$((X + WIDTH / 2 - 92))" "$((Y + HEIGHT - 22))" click 1
}
type_into() {  # mnemonic, text: replaces the field's text
  xdotool key "$1"
  xdotool key ctrl+a BackSpace
  [ -n "$2" ] && xdotool type --delay 20 "$2"
  return 0
}
next_page() { xdotool key ctrl+Tab; sleep 0.3; }

# name, then per page (target, compiler, assembler, locate, misc) the
# mnemonic and the text typed into it.
run_family() {
  local name=$1 compiler=$2 assembler=$3 linker=$4 locateKey=$5 locateText=$6
  local project="$work/$name/$name.Pm2"
  rm -f "$work/args.txt"
  "$prog" "$project" > "$work/run-$name.txt" 2>&1 &
  pid=$!
  main=$(find_window "Pelmora2") || fail "$name: the main window did not appear"
  sleep 1
  xdotool mousemove 640 500
  xdotool key alt+F7
  sheet=$(find_window "Options for Target '$name'") || fail "$name: the options sheet did not open"
  # The target page: the clock.
  type_into alt+x "24"
  shot "$name-1-target"
  next_page; next_page; next_page
  # The compiler page: a define, shown in the preview.
  type_into alt+d "E2EDEF"
  shot "$name-2-compiler"
  [ "$name" = P166 ] && next_page   # the EC++ page
  next_page
  type_into alt+s "E2ESET"
  shot "$name-3-assembler"
  next_page
  type_into "$locateKey" "$locateText"
  shot "$name-4-locate"
  next_page
  type_into alt+m "E2EMISC"
  shot "$name-5-misc"
  click_ok
  for _ in $(seq 1 50); do xdotool search --onlyvisible --name "Options for Target" > /dev/null 2>&1 || break; sleep 0.1; done
  xdotool search --onlyvisible --name "Options for Target" > /dev/null 2>&1 && fail "$name: OK did not close the sheet"
  sleep 0.5
  grep -q "E2EDEF" "$project" || fail "$name: the project file lacks the define"
  grep -q "E2ESET" "$project" || fail "$name: the project file lacks the set list"
  grep -q "E2EMISC" "$project" || fail "$name: the project file lacks the linker's misc controls"
  grep -q "24000000" "$work/$name/$name.Opt" || fail "$name: the options file lacks the clock"
  xdotool mousemove 640 500; xdotool windowfocus "$main" 2>/dev/null || true; sleep 0.3
  xdotool key F7
  for _ in $(seq 1 300); do
    grep -q "Error(s)" "$work/$name/Obj/$name.plg" 2>/dev/null && break
    sleep 0.1
  done
  grep -q '0 Error(s)' "$work/$name/Obj/$name.plg" || fail "$name: the build failed"
  shot "$name-6-built"
  grep -q "^$compiler .*DEFINE *(E2EDEF)" "$work/args.txt" || fail "$name: the compiler's line lacks the define"
  grep -q "^$assembler .*E2ESET" "$work/args.txt" || fail "$name: the assembler's line lacks the set list"
  grep -q "E2EMISC" "$work/$name/Obj/$name.lnp" || fail "$name: the linker's controls lack the misc controls"
  grep -q -F "$locateText" "$work/$name/Obj/$name.lnp" || fail "$name: the linker's controls lack the locate change"
  cat "$work/args.txt" > "$gallery/$name-command-lines.txt"
  cat "$work/$name/Obj/$name.lnp" >> "$gallery/$name-command-lines.txt"
  xdotool key alt+F4
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null || true
}

run_family P51 Q51 W51 NB51 alt+s "?STACK?E2E"
run_family P251 Q251 W251 N251 alt+r "0x100-0x1FF"
run_family P166 Q166 W166 N166 alt+s "?PR?E2E%FCODE"
echo "pictures in $gallery"
