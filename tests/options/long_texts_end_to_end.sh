#!/usr/bin/env bash
# Texts longer than their edits' limits through the options sheet in the
# running program under Xvfb: a Define list of 407 characters in the
# example's project file for the target's compiler and assembler. A peer
# that gives the group "Source" such a list by SetOptions is refused as the
# page refuses it (naming the field and its limit); one that fits is taken.
# The sheets are opened and left with OK without an edit; the project file
# keeps the lists whole and the build defines their last symbols (the
# sources fail to build otherwise). A key typed past an edit's limit is
# told at the field. Every step is a PNG in <build>/gallery/options_long_texts.
#   long_texts_end_to_end.sh <build> <source> <screen_grab> <ipc client>
# Exit 77 (skipped) without Xvfb, xdotool or the ARM tools.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3; client=$4
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/options_e2e.sh"
e2e_need Xvfb xdotool xwininfo arm-none-eabi-gcc
e2e_in_xvfb "$@"
e2e_start_work pm2longtexts options_long_texts
type_delay=5
e2e_copy_blinky
project="$work/blinky/Blinky.pm2"

# DEBUG=1,HEAD_001_X,...,HEAD_040_X: 407 characters for HEAD "SYM" or "GRP".
symbols() {
  local list="DEBUG=1" i
  for i in $(seq -f %03g 1 40); do list="$list,$1_${i}_X"; done
  echo "$list"
}
target_list=$(symbols SYM)
group_list=$(symbols GRP)
[ ${#target_list} = 407 ] || fail "the list has ${#target_list} characters"
sed -i "s/ ACDEFN ()/ ACDEFN ($target_list)/; s/ AADEFN ()/ AADEFN ($target_list)/" "$project"
grep -q "AADEFN ($target_list)" "$project" || fail "the example has no empty ACDEFN and AADEFN to fill"
printf '\n#if !defined(SYM_040_X) || !defined(GRP_040_X)\n#error "a Define list was cut"\n#endif\n' \
  >> "$work/blinky/Blinky.c"
printf '\n.ifndef SYM_040_X\n.error "the Define list was cut"\n.endif\n' >> "$work/blinky/Startup.s"

start_program "$work/run1.txt" "$project"
# 1: the target's sheet through its compiler and assembler pages; the
# output name changes, so that OK saves the project.
xdotool key alt+F7
sheet=$(find_window "Options for Target 'LPC2138'") || fail "the options sheet did not open"
e2e_wait_focus "$sheet"
next_page
type_into alt+n "LongTexts"
next_page; next_page
shot 01-target-compiler
next_page
shot 02-target-assembler
ok_and_wait
e2e_wait_file_contains "$project" "OutName (LongTexts)" 10
for key in ACDEFN AADEFN; do
  grep -q "$key ($target_list)" "$project" || fail "OK changed the target's $key: $(grep -o "$key ([^)]*)" "$project")"
done

# 2: a peer's SetOptions past the Define edit's limit is refused as the
# page refuses it; one that fits gives the group its list. The group's
# sheet, from the project window's menu, through its pages and OK.
focus_main
answer=$("$client" "$PM2_IPC_SUFFIX" "$XDG_RUNTIME_DIR" "setopt Source $group_list") ||
  fail "the peer's SetOptions failed: $answer"
case "$answer" in
  *"status 1 Group 'Source': The text of 'Define' cannot be longer than 128 characters"*) ;;
  *) fail "a Define past the page's limit was not refused: $answer" ;;
esac
group_list="DEBUG=1,GRP_040_X"
answer=$("$client" "$PM2_IPC_SUFFIX" "$XDG_RUNTIME_DIR" "setopt Source $group_list") ||
  fail "the peer's SetOptions failed: $answer"
case "$answer" in *"status 0 "*) ;; *) fail "SetOptions was refused: $answer" ;; esac
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove "$((X + 95))" "$((Y + 132))" click 1   # the group "Source" in the project tree
xdotool click 3
e2e_wait_popup
xdotool key Down Return   # the first enabled item: a group has no device
sheet=$(find_window "Options for Group 'Source'") || fail "the context menu did not open the group's sheet"
e2e_wait_focus "$sheet"
next_page
shot 03-group-compiler
next_page
shot 04-group-assembler
# 3: a key past the Misc Controls' limit (128) is told at the field; the
# sheet goes on taking keys.
xdotool key alt+m
xdotool type --delay 1 "$(printf 'm%.0s' $(seq 1 129))"
shot 05-key-past-the-limit
xdotool key ctrl+a BackSpace
ok_and_wait

# 4: the build defines both lists' last symbols.
focus_main
xdotool key F7
e2e_poll 120 in_file "$work/blinky/Obj/LongTexts.plg" "Error(s)" || true
shot 06-built
grep -q '"./Obj/LongTexts.elf" - 0 Error(s)' "$work/blinky/Obj/LongTexts.plg" ||
  fail "the build failed: $(sed -n '/Output/,$p' "$work/blinky/Obj/LongTexts.plg" 2>/dev/null)"
quit_program
grep -q "ACDEFN ($group_list)" "$project" || fail "the group's list was not saved whole"
for key in ACDEFN AADEFN; do
  grep -q "$key ($target_list)" "$project" || fail "the target's $key changed on closing"
done
echo "pictures in $gallery"
