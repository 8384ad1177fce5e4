#!/usr/bin/env bash
# `pelmora2 -d` under Xvfb on a copy of the example whose options file keeps
# hostile settings of the GDB driver: a gdb target "|script", a machine
# whose option would have the emulator overwrite a victim file, and a gdb
# and an emulator of the project's folder (each script leaves a marker
# when it runs). Each start says why in its box before anything runs
# (a program named by its path is asked for first, Enter answering No);
# the marker stays absent and the victim byte for byte as it was. Then the
# untouched example's -d session runs. Pictures hostile-*.png in
# <build>/gallery/debugger.
#   debug_hostile_settings_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb, xdotool, gdb-multiarch or qemu-system-arm.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
debug_work=pm2hostile debug_gallery=debugger fail_shot=hostile-failed shot_prefix=hostile-
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/debug_e2e.sh"

build_example
blinky="$work/blinky"
marker="$blinky/marker"
victim="$blinky/victim.txt"
printf 'the user'"'"'s own file\n' > "$victim"
cp "$victim" "$work/victim.kept"
own_program() {  # name, what it does
  printf '#!/bin/sh\n%s\n' "$2" > "$blinky/$1"
  chmod +x "$blinky/$1"
}
own_program pipe.sh "touch '$marker'"
own_program gdbx "touch '$marker'; exec gdb-multiarch \"\$@\""
own_program qemux "touch '$marker'; exec qemu-system-arm \"\$@\""
cp "$blinky/Blinky.Opt" "$work/Blinky.Opt.kept"
example='OPTDBG 44029,0,(GDBDRV.DLL)(-sim)()()()(GDBDRV.DLL)(-remote localhost:3333)()()()'
grep -qF -- "$example" "$work/Blinky.Opt.kept" || fail "the example's debug options changed"
# The options file with both sides' parameter texts: flags (44029 the
# simulator's side, 44028 the target's), simulator's text, target's text.
debug_options() {
  local opt
  opt=$(cat "$work/Blinky.Opt.kept")
  printf '%s\n' "${opt/"$example"/"OPTDBG $1,0,(GDBDRV.DLL)($2)()()()(GDBDRV.DLL)($3)()()()"}" > "$blinky/Blinky.Opt"
}

box_line() { sed -n 's/^box: //p' "$work/windows.txt" 2>/dev/null | head -1; }
box_open() { [ -n "$(box_line)" ]; }
box_other() { [ -n "$(box_line)" ] && [ "$(box_line)" != "$1" ]; }
# The box that came (its text in $said), Enter pressed in it.
answer_box() {  # what, the text before (a box that is still open)
  e2e_wait "$1" "$e2e_wait_bound" box_other "${2:-}"
  said=$(box_line)
  local w
  w=$(xdotool search --onlyvisible --pid "$pid" --name '^Pelmora2$' 2>/dev/null | tail -1)
  [ -n "$w" ] || fail "no box window for: $said"
  e2e_focus "$w"
}
field_sim="the Parameter field of the simulator's CPU DLL (Options for Target - Debug), kept in the project's options file"
field_target="the Parameter field of the target side's Driver DLL (Options for Target - Debug), kept in the project's options file"
nothing_ran() {  # row
  [ ! -e "$marker" ] || fail "$1: a program of the project ran"
  cmp -s "$victim" "$work/victim.kept" || fail "$1: the victim file changed"
  [ "$(children | wc -l)" = 0 ] || fail "$1: gdb or qemu is running: $(children | tr '\n' ' ')"
}
# One hostile start: -d, the boxes answered with Enter, then the program
# ended (a -d start that failed leaves the project open).
# row, flags, simulator's text, target's text, the refusal (after "Error: "),
# the question's program ("" none).
hostile() {
  local row=$1 asked=$6
  debug_options "$2" "$3" "$4"
  rm -f "$work/windows.txt"
  "$prog" -d "$blinky/Blinky.pm2" > "$work/run-$row.txt" 2>&1 &
  pid=$!
  local before=""
  if [ -n "$asked" ]; then
    answer_box "$row: the question before the project's program runs"
    case "$said" in *" | $asked | "*) ;; *) fail "$row: the question does not name '$asked': $said" ;; esac
    grep -q '^box-default: &*No$' "$work/windows.txt" || fail "$row: No is not the question's default: $(cat "$work/windows.txt")"
    dbg_shot "$row-question"
    nothing_ran "$row (asked)"
    before=$said
    xdotool key Return
  fi
  answer_box "$row: the refusal" "$before"
  [ "$said" = "Error: $5 | Debugger aborted !" ] || fail "$row: the box says: $said
expected: Error: $5 | Debugger aborted !"
  nothing_ran "$row (refused)"
  dbg_shot "$row-refused"
  xdotool key Return
  e2e_wait "$row: the box to close" "$e2e_wait_bound" eval '! box_open'
  nothing_ran "$row (closed)"
  kill "$pid"
  e2e_wait_exit "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
  nothing_ran "$row"
}

gdbx=$(realpath "$blinky/gdbx")
qemux=$(realpath "$blinky/qemux")
hostile server-pipe 44028 "-sim" "-remote |$blinky/pipe.sh" \
  "-remote '|$blinky/pipe.sh' in $field_target, is not a host and a port from 1 to 65535 ('|' has gdb run the rest as a program of this machine); nothing was started" ""
hostile machine-dumpdtb 44029 "-sim -machine virt,dumpdtb=$victim" "-remote localhost:3333" \
  "-machine 'virt,dumpdtb=$victim' in $field_sim, is not a machine's name: a name holds only letters, digits, '.', '-' and '_' (after ',' the emulator would take options of the machine, such as a file it writes); nothing was started" ""
not_run="was not run: a program the project brings runs only when the user says Yes to it (a start without a window asks nobody); nothing was started"
hostile gdb-by-path 44029 "-sim -gdb $blinky/gdbx" "-remote localhost:3333" \
  "the GDB program '$gdbx', named by its path in $field_sim, $not_run" "$gdbx"
hostile gdb-of-the-folder 44029 "-sim -gdb ./gdbx" "-remote localhost:3333" \
  "the GDB program '$gdbx', named by its path in $field_sim, $not_run" "$gdbx"
hostile emulator-by-path 44029 "-sim -qemu $blinky/qemux" "-remote localhost:3333" \
  "the Emulator '$qemux', named by its path in $field_sim, $not_run" "$qemux"

# The untouched example: -d starts its session in qemu, which stops at main.
cp "$work/Blinky.Opt.kept" "$blinky/Blinky.Opt"
rm -f "$work/windows.txt"
"$prog" -d "$blinky/Blinky.pm2" > "$work/run-example.txt" 2>&1 &
pid=$!
wait_children 2
dbg_wait_dump "^disasm-pc: \|^command-lines: [1-9]" "the example's session"
box_open && fail "the example's start asked or said: $(box_line)"
dbg_shot example-session
kill "$pid"
e2e_wait_exit "$pid"
wait "$pid" 2>/dev/null || true
pid=""
wait_children 0
nothing_ran example
echo "pictures in $gallery"
