# Shared by the debugger's end-to-end scripts (after e2e_common.sh): the
# tools a session needs, the example in the work folder, its program file
# (elf) and the session's gdb and qemu. The script sets debug_work (the
# mktemp prefix), debug_gallery (the gallery folder) and fail_shot if it has
# one before sourcing this.
e2e_need Xvfb xdotool gdb-multiarch qemu-system-arm
e2e_need_arm_gcc
e2e_in_xvfb "$@"
e2e_start_work "$debug_work" "$debug_gallery"
# Whatever the session started from the work folder goes with the test.
# The program is ended first, so that it leaves no objects of its namespace.
trap 'e2e_end_program; pkill -KILL -f "$work/" 2>/dev/null || true; e2e_cleanup' EXIT
e2e_copy_blinky
elf="$work/blinky/Obj/Blinky.elf"
shot_delay=0.7

# gdb and qemu of this test's program file, by their command lines.
children() { pgrep -f "$elf" || true; }
wait_children() {  # count
  for _ in $(seq 1 100); do
    [ "$(children | wc -l)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "expected $1 gdb/qemu processes, found: $(children | tr '\n' ' ')"
}
# Builds the example from the command line; the program file must be there.
build_example() {
  timeout 120 "$prog" -b "$work/blinky/Blinky.pm2" > "$work/run0.txt" 2>&1 || fail "the example did not build"
  [ -f "$elf" ] || fail "no program file after the build"
}
# Opens the example in the program (pid, win: its main window).
open_example() {
  start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
  win=$main
  xdotool mousemove 640 400
}
# The debug windows' contents as the program writes them four times a
# second for a test; a script that reads them calls windows_dump first.
windows_dump() {
  fail_also="$work/windows.txt"
  export PM2_DEBUG_WINDOWS_DUMP="$work/windows.txt"
}
dump() { sleep 0.6; [ -s "$work/windows.txt" ] || fail "no dump of the windows"; }
expect() { grep -q -- "$1" "$work/windows.txt" || fail "$2"; }
