#!/usr/bin/env bash
# The target, compiler, assembler, locate and misc pages of a 51, a 251 and
# a 166 target in the running program on the X11 platform under Xvfb:
# Alt+F7 opens the sheet, each page shows its stored options and takes a
# change (the preview shows it), OK saves the project, F7 builds with the
# stand-in tools, and the tools' command lines (recorded by the stand-ins)
# and the linker's control file have the changes. Every page is a PNG in
# <build>/gallery/options_family.
#   family_end_to_end.sh <build> <screen_grab> <family_projects>
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); grab=$2; maker=$3
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/options_e2e.sh"
e2e_need Xvfb xdotool
e2e_in_xvfb "$@"
e2e_start_work pm2fam options_family
type_delay=20
"$maker" "$work"
export PM2_STANDIN="record $work/args.txt"

# name, then per page (target, compiler, assembler, locate, misc) the
# mnemonic and the text typed into it; "enter" closes the sheet with Enter
# on the misc page instead of the OK button.
run_family() {
  local name=$1 compiler=$2 assembler=$3 linker=$4 locateKey=$5 locateText=$6
  local project="$work/$name/$name.Pm2"
  rm -f "$work/args.txt"
  start_program "$work/run-$name.txt" "$project"
  xdotool key alt+F7
  sheet=$(find_window "Options for Target '$name'") || fail "$name: the options sheet did not open"
  e2e_wait_focus "$sheet"
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
  if [ "${7:-}" = enter ]; then
    # This misc page leaves Enter to the dialog: it presses OK.
    xdotool key Return
    e2e_poll 30 sheet_closed || fail "$name: Enter on the misc page did not close the sheet"
  else
    ok_and_wait "$name: "
  fi
  e2e_wait_file_contains "$project" "E2EMISC" 10
  grep -q "E2EDEF" "$project" || fail "$name: the project file lacks the define"
  grep -q "E2ESET" "$project" || fail "$name: the project file lacks the set list"
  grep -q "E2EMISC" "$project" || fail "$name: the project file lacks the linker's misc controls"
  e2e_wait_file_contains "$work/$name/$name.Opt" "24000000" 10
  focus_main
  xdotool key F7
  e2e_poll 60 in_file "$work/$name/Obj/$name.plg" "Error(s)" || true
  grep -q '0 Error(s)' "$work/$name/Obj/$name.plg" || fail "$name: the build failed"
  shot "$name-6-built"
  grep -q "^$compiler .*DEFINE *(E2EDEF)" "$work/args.txt" || fail "$name: the compiler's line lacks the define"
  grep -q "^$assembler .*E2ESET" "$work/args.txt" || fail "$name: the assembler's line lacks the set list"
  grep -q "E2EMISC" "$work/$name/Obj/$name.lnp" || fail "$name: the linker's controls lack the misc controls"
  grep -q -F "$locateText" "$work/$name/Obj/$name.lnp" || fail "$name: the linker's controls lack the locate change"
  cat "$work/args.txt" > "$gallery/$name-command-lines.txt"
  cat "$work/$name/Obj/$name.lnp" >> "$gallery/$name-command-lines.txt"
  quit_program
  kill "$pid" 2>/dev/null || true
}

run_family P51 Q51 W51 NB51 alt+s "?STACK?E2E"
run_family P251 Q251 W251 N251 alt+r "0x100-0x1FF" enter
run_family P166 Q166 W166 N166 alt+s "?PR?E2E%FCODE"
echo "pictures in $gallery"
