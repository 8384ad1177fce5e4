# Shared by the debugger's end-to-end scripts (after e2e_common.sh): the
# tools a session needs, the example in the work folder, its program file
# (elf) and the session's gdb and qemu, and the waits for what a session
# shows or tells. The script sets debug_work (the mktemp prefix),
# debug_gallery (the gallery folder) and fail_shot if it has one before
# sourcing this.
#
# The waits are e2e_common.sh's (bounded to catch a hang and never past the
# test's time); those below are the session's own: a stop heard on the
# event interface, the debug windows' dump written again or showing a
# line, the command page's lines, gdb and qemu. What a run killed outright
# left (its gdb and qemu, which carry the run's owner in their environment
# too, its work folder and objects) goes with e2e_reap.
e2e_need Xvfb xdotool gdb-multiarch qemu-system-arm
e2e_need_arm_gcc
e2e_in_xvfb "$@"
e2e_start_work "$debug_work" "$debug_gallery"
# A session's steps wait for gdb and qemu, slower on a busy machine.
e2e_wait_bound=60
# The driver's and the build's temporary files go with the work folder.
export TMPDIR="$work/tmp"
mkdir "$TMPDIR"
# Whatever the session started from the work folder (gdb, qemu) goes with
# the test, as does the event interface's client. The program is ended
# first, so that it leaves no objects of its namespace.
dbg_listener=""
dbg_cleanup() {
  e2e_end_program
  [ -z "$dbg_listener" ] || kill "$dbg_listener" 2>/dev/null || true
  pkill -KILL -f "$work/" 2>/dev/null || true
  e2e_cleanup
}
trap dbg_cleanup EXIT
e2e_copy_blinky
elf="$work/blinky/Obj/Blinky.elf"
# What the debug windows show, written by the program four times a second:
# the command page's input line and line count, the checked window
# commands, the disassembly and memory windows. Its being written again
# also tells that the program's GUI thread went round its loop.
export PM2_DEBUG_WINDOWS_DUMP="$work/windows.txt"
# The notifications of the event interface a client hears: one line per
# session start and end, run and stop (debugger_ipc_client).
dbg_events="$work/events.txt"
dbg_client="$build/tests/debugger/debugger_ipc_client"
fail_also="$work/windows.txt $dbg_events"

# gdb and qemu of this test's program file, by their command lines.
children() { pgrep -f "$elf" || true; }
children_are() { [ "$(children | wc -l)" = "$1" ]; }
wait_children() {  # count
  e2e_wait "$1 gdb/qemu processes (found: $(children | tr '\n' ' '))" "$e2e_wait_bound" children_are "$1"
}

# A menu, context menu or value tip opened or closed: a visible window of
# the program came or went since before the keys. (Not just "a menu is
# open": a value tip the mouse left over the editor may be open already.)
dbg_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort; }
dbg_more_windows() { [ -n "$(comm -13 <(echo "$1") <(dbg_windows))" ]; }
dbg_fewer_windows() { [ -n "$(comm -23 <(echo "$1") <(dbg_windows))" ]; }
# Keys, then the wait for a window of the program to come or go: what
# comes or goes, dbg_more_windows or dbg_fewer_windows, keys...
dbg_keys_then() {
  local what=$1 change=$2 before
  shift 2
  before=$(dbg_windows)
  xdotool "$@"
  e2e_wait "$what" "$e2e_wait_bound" "$change" "$before"
}
dbg_open_menu() { dbg_keys_then "$1 to open" dbg_more_windows "${@:2}"; }  # what opens, keys...
dbg_close_menu() { dbg_keys_then "$1 to close" dbg_fewer_windows "${@:2}"; }  # what closes, keys...

# The dump of the debug windows: a line there (grep pattern).
dbg_dump_has() { in_file "$work/windows.txt" "$1"; }
dbg_dump_line() { grep -qxF -- "$1" "$work/windows.txt" 2>/dev/null; }  # the whole line
dbg_wait_dump() {  # pattern, what it shows
  e2e_wait "'$1' in the debug windows ($2)" "$e2e_wait_bound" dbg_dump_has "$1"
}
dbg_dump_id() { stat -c %i "$work/windows.txt" 2>/dev/null || echo none; }
dbg_dump_rewritten() { [ "$(dbg_dump_id)" != "$1" ]; }
# The program's GUI thread went round its loop twice (the dump written
# twice more): what was queued before, keys and paints, is done.
dbg_settle() {
  local was
  for _ in 1 2; do
    was=$(dbg_dump_id)
    e2e_wait "the debug windows' dump written again (the program's GUI thread is held)" "$e2e_wait_bound" \
      dbg_dump_rewritten "$was"
  done
}
dbg_command_lines() { sed -n 's/^command-lines: //p' "$work/windows.txt" 2>/dev/null | head -1; }
dbg_more_lines() { [ "$(dbg_command_lines)" -gt "$1" ] 2>/dev/null; }
# A command typed on the command page, which has the keyboard in the main
# window: the typed text must be seen in its input line before Return, and
# the line taken (the input line empty) after it.
dbg_command() {
  e2e_wait_focus "$main"
  dbg_wait_dump "^edit: $" "the command page's input line empty before '$1'"
  xdotool type --delay 30 "$1"
  e2e_wait "'$1' typed into the command page's input line" "$e2e_wait_bound" dbg_dump_line "edit: $1"
  xdotool key Return
  dbg_wait_dump "^edit: $" "the command page taking '$1'"
  dbg_settle
}

# The event interface: a client that hears the program's notifications.
dbg_listen() {
  [ -x "$dbg_client" ] || fail "no event interface client at $dbg_client"
  "$dbg_client" "$PM2_IPC_SUFFIX" "$XDG_RUNTIME_DIR" 99 > "$dbg_events" 2>&1 &
  dbg_listener=$!
  disown "$dbg_listener"
  e2e_wait_file_contains "$dbg_events" "^identity "
}
dbg_heard() { grep -c -- "^$1" "$dbg_events" 2>/dev/null || true; }  # notification -> how many so far
dbg_heard_more() { [ "$(dbg_heard "$1")" -gt "$2" ]; }  # notification, count before
# Keys that start or step the target, then its next stop (heard, and the
# windows refreshed): what the stop is, keys...
dbg_run_to_stop() {
  local what=$1 n
  shift
  n=$(dbg_heard "execution stopped ")
  xdotool "$@"
  e2e_wait "$what (a stop on the event interface)" "$e2e_wait_bound" dbg_heard_more "execution stopped " "$n"
  dbg_settle
}
# Ctrl+F5 starts a session, which runs to main by itself (the example's
# "Go till main()"): gdb and qemu there, the start and the stop heard.
dbg_start_session() {
  local n
  n=$(dbg_heard "debugger started")
  dbg_run_to_stop "the new session's stop at main" key ctrl+F5
  wait_children 2
  e2e_wait "the session's start on the event interface" "$e2e_wait_bound" dbg_heard_more "debugger started" "$n"
  dbg_settle
}
# Stops heard at main's address so far. A session's start ends with its
# run to main: a key pressed before that stop meets the start's own run.
dbg_stops_at_main() {
  local main
  main=$(arm-none-eabi-nm "$elf" | awk '$3 == "main" { sub(/^0+/, "", $1); print $1 }')
  grep -ci -- "^execution stopped 0x$main\$" "$dbg_events" 2>/dev/null || true
}
dbg_more_stops_at_main() { [ "$(dbg_stops_at_main)" -gt "$1" ]; }
# Waits for a stop at main beyond the count given (dbg_stops_at_main).
dbg_wait_at_main() {
  e2e_wait "the session's stop at main (a stop on the event interface)" "$e2e_wait_bound" dbg_more_stops_at_main "$1"
  dbg_settle
}
# Ctrl+F5 ends the session: gdb and qemu go, the end is heard.
dbg_end_session() {
  local n
  n=$(dbg_heard "debugger stopped")
  xdotool key ctrl+F5
  wait_children 0
  e2e_wait "the session's end on the event interface" "$e2e_wait_bound" dbg_heard_more "debugger stopped" "$n"
  dbg_settle
}

# Builds the example from the command line; the program file must be there.
build_example() {
  timeout "$(e2e_left 120)" "$prog" -b "$work/blinky/Blinky.pm2" > "$work/run0.txt" 2>&1 || fail "the example did not build"
  [ -f "$elf" ] || fail "no program file after the build"
}
# Opens the example in the program (pid, main: its main window, with the
# keyboard) and a client of its event interface.
open_example() {
  start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
  dbg_wait_dump "^command-lines: " "the debug windows' dump"
  dbg_listen
  dbg_settle
  xdotool mousemove 640 400
}
# Alt+F4 on the main window; the program ends.
dbg_quit() {
  quit_program
  e2e_wait_exit "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
}
# A screenshot once the program has drawn what it was asked to.
dbg_shot() { dbg_settle; shot "$1"; }
# The debug windows' dump once the program's GUI thread has gone round
# its loop after what the script did last; then a line there, else fail.
dump() { dbg_settle; [ -s "$work/windows.txt" ] || fail "no dump of the windows"; }
expect() { grep -q -- "$1" "$work/windows.txt" || fail "$2"; }
