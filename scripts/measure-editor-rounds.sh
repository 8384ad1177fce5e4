#!/usr/bin/env bash
# Measures what hours of editing cost the running program: it starts the
# program on a copy of the example under Xvfb and, round after round, opens
# twenty files with File > Open, types 200 characters in each, undoes them
# all with Ctrl+Z and closes every window with File > Close, printing the
# program's resident size after each round and, where gdb is installed, the
# heap in use (what a leak makes grow, unlike memory the allocator keeps:
# gdb stops the program a moment to give free memory back and ask). A
# measurement for a person to read (the sizes depend on the machine), not a
# test.
#   scripts/measure-editor-rounds.sh [build tree] [rounds]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
rounds=${2:-25}
src=$(cd "$(dirname "$0")/.." && pwd)
grab=true
export PM2_E2E_TIMEOUT=$((rounds * 120 + 120))
# shellcheck source=../tests/e2e_common.sh
. "$src/tests/e2e_common.sh"
e2e_need Xvfb xdotool
e2e_in_xvfb "$@"
e2e_start_work pm2rounds measure
e2e_copy_blinky
files=()
for i in $(seq -w 0 19); do
  { printf '/* file %s */\r\n' "$i"; cat "$work/blinky/Blinky.c"; } > "$work/blinky/cycle$i.c"
  files+=("$work/blinky/cycle$i.c")
done
typed=$(printf 'abcdefghijklmnopqrstuvwxy%.0s' $(seq 1 8))  # 200 characters

rss() { sed -n 's/^VmRSS:[[:space:]]*//p' "/proc/$pid/status"; }
# The heap in use after free memory went back: the program itself prints
# its allocator's figures (on its standard error, the run's log) when gdb
# calls in; the total's "in use" line is the last one printed.
gdb=$(command -v gdb || command -v gdb-multiarch || true)
heap() {
  [ -n "$gdb" ] || return 0
  "$gdb" -nx -batch -p "$pid" -ex 'call ((int (*)(unsigned long)) malloc_trim)(0)' \
    -ex 'call ((void (*)(void)) malloc_stats)()' > /dev/null 2>&1 || return 0
  awk '/^Total/ { total = 1 } total && /in use bytes/ { n = $NF; total = 0 } END { if (n) printf ", %d kB heap in use", n / 1024 }' "$work/run1.txt"
}
# The main window's title names the active file; none is open once every
# window has closed.
title_has() { xdotool getwindowname "$main" 2>/dev/null | grep -q -- "$1"; }
no_file_open() { ! title_has 'cycle'; }

start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
echo "started: $(rss) resident$(heap)"
for r in $(seq 1 "$rounds"); do
  for f in "${files[@]}"; do
    focus_main
    xdotool key ctrl+o
    enter_in_dialog "Open File" "$f"
    e2e_wait "${f##*/} in front" 30 title_has "${f##*/}"
    e2e_focus "$main"
    xdotool key ctrl+End Return
    xdotool type --delay 1 -- "$typed"
  done
  for _ in "${files[@]}"; do
    xdotool key --delay 1 --repeat 210 ctrl+z
    xdotool key alt+f c
  done
  e2e_wait "every window to close (round $r)" 120 no_file_open
  e2e_wait "the program to settle" 30 e2e_program_settled "${EPOCHREALTIME/./}"
  echo "round $r: $(rss) resident$(heap)"
done
quit_program
