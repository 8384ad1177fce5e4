# Shared by the debugger's end-to-end scripts (after e2e_common.sh): the
# tools a session needs, the example in the work folder, its program file
# (elf) and the session's gdb and qemu, and waits for what the program
# shows or tells. The script sets debug_work (the mktemp prefix),
# debug_gallery (the gallery folder) and fail_shot if it has one before
# sourcing this.
#
# Every wait below polls for the thing the next step needs (a window, the
# keyboard focus, a stop heard on the event interface, a line of the debug
# windows' dump, a process) and is bounded only to catch a hang: dbg_hang
# seconds, and never past the script's deadline (dbg_budget seconds after it
# started), so that the waits cannot add up past the test's time (300 s)
# and a hang fails naming what was awaited while the clean-up still runs.
e2e_need Xvfb xdotool gdb-multiarch qemu-system-arm
e2e_need_arm_gcc
export DBG_STARTED=${DBG_STARTED:-$EPOCHSECONDS}
dbg_budget=250
dbg_hang=60

# What a run killed outright left (SIGKILL, as when the test's time ran
# out): its work folder, the objects of its namespace, any process started
# from the folder. A work folder names the process of its script; the next
# run reaps a folder whose process is gone (or is another one by now).
dbg_reap() {
  local dir owner suffix started
  for dir in /tmp/pm2*_*/; do
    [ -f "$dir.debug-owner" ] || continue
    read -r owner suffix started < "$dir.debug-owner" || continue
    [ -n "$owner" ] && [ "$(ps -o lstart= -p "$owner" 2>/dev/null)" = "$started" ] && continue
    pkill -KILL -f "${dir%/}/" 2>/dev/null || true
    [ -n "$suffix" ] && rm -rf /dev/shm/*".$(id -u)$suffix" "/dev/shm/pm2.$(id -u)$suffix.locks"
    rm -rf "$dir"
  done
}
[ "${PM2_IN_XVFB:-}" = 1 ] && dbg_reap
e2e_in_xvfb "$@"
e2e_start_work "$debug_work" "$debug_gallery"
echo "$$ $PM2_IPC_SUFFIX $(ps -o lstart= -p $$)" > "$work/.debug-owner"
# The driver's and the build's temporary files go with the work folder.
export TMPDIR="$work/tmp"
mkdir "$TMPDIR"
# Whatever the session started from the work folder goes with the test.
# The program is ended first, so that it leaves no objects of its namespace.
# A script stopped from outside (SIGTERM: its time ran out) cleans up too.
dbg_listener=""
trap 'e2e_end_program; [ -z "$dbg_listener" ] || kill "$dbg_listener" 2>/dev/null; pkill -KILL -f "$work/" 2>/dev/null || true; e2e_cleanup' EXIT
trap 'exit 143' TERM INT HUP
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

# Seconds left to the script's deadline (at least 1), for a command that
# bounds its own time: at most the number given.
dbg_left() {
  local left=$((DBG_STARTED + dbg_budget - EPOCHSECONDS))
  [ "$left" -le "$1" ] || left=$1
  [ "$left" -ge 1 ] || left=1
  echo "$left"
}
# Runs a command every 0.1 s until it succeeds: what is awaited (said by the
# failure), command...
dbg_until() {
  local what=$1 began=$EPOCHSECONDS end=$((EPOCHSECONDS + dbg_hang)) deadline=$((DBG_STARTED + dbg_budget))
  shift
  [ "$end" -le "$deadline" ] || end=$deadline
  until "$@"; do
    [ "$EPOCHSECONDS" -lt "$end" ] || fail "waited $((EPOCHSECONDS - began)) s for $what"
    sleep 0.1
  done
}

# gdb and qemu of this test's program file, by their command lines.
children() { pgrep -f "$elf" || true; }
children_are() { [ "$(children | wc -l)" = "$1" ]; }
wait_children() {  # count
  dbg_until "$1 gdb/qemu processes (found: $(children | tr '\n' ' '))" children_are "$1"
}

# The windows.
dbg_visible() { xdotool search --onlyvisible --name "$1" > /dev/null 2>&1; }
dbg_hidden() { ! dbg_visible "$1"; }
dbg_focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
dbg_wait_title() { dbg_until "a window titled '$1' ($2)" dbg_visible "$1"; }  # title, what it shows
dbg_wait_gone() { dbg_until "no window titled '$1' ($2)" dbg_hidden "$1"; }
# The keyboard for a window (id): keys typed before go elsewhere.
dbg_wait_focus() { dbg_until "the keyboard focus on window $1 ($2)" dbg_focused "$1"; }
# The id of the visible window titled so, once it has the keyboard: title.
dbg_focus_title() {
  local id
  dbg_wait_title "$1" "to type into it"
  id=$(xdotool search --onlyvisible --name "$1" | head -1)
  dbg_wait_focus "$id" "$1"
  echo "$id"
}
# The main window gets the keyboard back (without a window manager a
# closed dialog leaves no window with it).
dbg_focus_main() {
  xdotool mousemove 640 500
  xdotool windowfocus "$win" 2>/dev/null || true
  dbg_wait_focus "$win" "the main window"
}
# A menu or context menu open: the program's visible windows but the main
# window and those that were there before (a list of ids).
dbg_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort; }
dbg_more_windows() { [ -n "$(comm -13 <(echo "$1") <(dbg_windows))" ]; }
dbg_fewer_windows() { [ -n "$(comm -23 <(echo "$1") <(dbg_windows))" ]; }
# Keys that open a menu, and the wait for it: what opens, keys...
dbg_open_menu() {
  local what=$1 before
  shift
  before=$(dbg_windows)
  xdotool "$@"
  dbg_until "$what to open" dbg_more_windows "$before"
}
# Keys that close what dbg_open_menu opened (its window goes): what, keys...
dbg_close_menu() {
  local what=$1 before
  shift
  before=$(dbg_windows)
  xdotool "$@"
  dbg_until "$what to close" dbg_fewer_windows "$before"
}

# The dump of the debug windows: a line there (grep pattern).
dbg_dump_has() { grep -q -- "$1" "$work/windows.txt" 2>/dev/null; }
dbg_dump_line() { grep -qxF -- "$1" "$work/windows.txt" 2>/dev/null; }  # the whole line
dbg_wait_dump() { dbg_until "'$1' in the debug windows ($2)" dbg_dump_has "$1"; }  # pattern, what it shows
dbg_dump_id() { stat -c %i "$work/windows.txt" 2>/dev/null || echo none; }
dbg_dump_rewritten() { [ "$(dbg_dump_id)" != "$1" ]; }
# The program's GUI thread went round its loop twice (the dump written
# twice more): what was queued before, keys and paints, is done.
dbg_settle() {
  local was
  for _ in 1 2; do
    was=$(dbg_dump_id)
    dbg_until "the debug windows' dump written again (the program's GUI thread is held)" dbg_dump_rewritten "$was"
  done
}
dbg_command_lines() { sed -n 's/^command-lines: //p' "$work/windows.txt" 2>/dev/null | head -1; }
dbg_more_lines() { [ "$(dbg_command_lines)" -gt "$1" ] 2>/dev/null; }
# A command typed on the command page, which has the keyboard in the main
# window: the typed text must be seen in its input line before Return, and
# the line taken (the input line empty) after it.
dbg_command() {
  dbg_wait_focus "$win" "the main window, to type '$1'"
  dbg_wait_dump "^edit: $" "the command page's input line empty before '$1'"
  xdotool type --delay 30 "$1"
  dbg_until "'$1' typed into the command page's input line" dbg_dump_line "edit: $1"
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
  dbg_until "the event interface client's identity" in_file "$dbg_events" "^identity "
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
  dbg_until "$what (a stop on the event interface)" dbg_heard_more "execution stopped " "$n"
  dbg_settle
}
# Ctrl+F5 starts a session, which runs to main by itself (the example's
# "Go till main()"): gdb and qemu there, the start and the stop heard.
dbg_start_session() {
  local n
  n=$(dbg_heard "debugger started")
  dbg_run_to_stop "the new session's stop at main" key ctrl+F5
  wait_children 2
  dbg_until "the session's start on the event interface" dbg_heard_more "debugger started" "$n"
  dbg_settle
}
# Ctrl+F5 ends the session: gdb and qemu go, the end is heard.
dbg_end_session() {
  local n
  n=$(dbg_heard "debugger stopped")
  xdotool key ctrl+F5
  wait_children 0
  dbg_until "the session's end on the event interface" dbg_heard_more "debugger stopped" "$n"
  dbg_settle
}

# Builds the example from the command line; the program file must be there.
build_example() {
  timeout "$(dbg_left 120)" "$prog" -b "$work/blinky/Blinky.pm2" > "$work/run0.txt" 2>&1 || fail "the example did not build"
  [ -f "$elf" ] || fail "no program file after the build"
}
# Opens the example in the program (pid, win: its main window, with the
# keyboard) and a client of its event interface.
open_example() {
  start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
  win=$main
  dbg_wait_focus "$win" "the main window"
  dbg_wait_dump "^command-lines: " "the debug windows' dump"
  dbg_listen
  dbg_settle
  xdotool mousemove 640 400
}
# The program ended (or ended and not yet waited for).
dbg_ended() { local s; s=$(ps -o stat= -p "$pid" 2>/dev/null) || return 0; [[ $s == Z* ]]; }
# Alt+F4 on the main window; the program ends.
dbg_quit() {
  dbg_focus_main
  xdotool key alt+F4
  dbg_until "the program to end after Alt+F4" dbg_ended
  wait "$pid" 2>/dev/null || true
  pid=""
}
# A screenshot once the program has drawn what it was asked to.
dbg_shot() { dbg_settle; shot "$1" 0; }
# The debug windows' dump once the program's GUI thread has gone round
# its loop after what the script did last; then a line there, else fail.
dump() { dbg_settle; [ -s "$work/windows.txt" ] || fail "no dump of the windows"; }
expect() { grep -q -- "$1" "$work/windows.txt" || fail "$2"; }
