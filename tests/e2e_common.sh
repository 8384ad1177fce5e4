# Shared by the scripts that drive the whole program on the X11 platform
# under Xvfb with xdotool. A script reads its arguments into build and grab
# (the screen grabber), sources this file, then:
#   e2e_need Xvfb xdotool [command...]      exit 77 (skipped) when missing
#   e2e_in_xvfb "$@"                        runs the script again on an X
#                                           server of its own (Xvfb)
#   e2e_start_work PREFIX GALLERY           work folder (removed on exit unless
#                                           PM2_KEEP_WORK is set), gallery
#                                           folder, environment and prog
# The program's output goes to "$work"/run*.txt, which fail shows. A script
# may set fail_shot (the failure's PNG name), fail_also (more files fail
# shows) and shot_prefix (put before every screenshot's name).
#
# A script never sleeps for a fixed time to let the program catch up: it
# waits for what it needs next (a window shown, a window with the keyboard,
# a file written, a line in a log, a process ended), each wait bounded only
# to catch a hang, and a wait that runs out fails naming what it awaited.
#   e2e_wait WHAT SECONDS command...        the command succeeds
#   e2e_poll SECONDS command...             the same, returning 1 at the end
#   e2e_wait_window NAME [SECONDS]          prints a visible window's id
#   e2e_wait_gone NAME [SECONDS]            no visible window of that name
#   e2e_wait_focus WINDOW [SECONDS]         the window (id or name) has the
#                                           keyboard
#   e2e_focus WINDOW [SECONDS]              gives it the keyboard and waits
#   e2e_wait_popup [SECONDS]                a menu of the program is open
#   e2e_wait_no_popup [SECONDS]             no menu of the program is open
#   e2e_wait_file FILE [SECONDS]            the file is there
#   e2e_wait_file_contains FILE TEXT [SECONDS]  a line matches (grep)
#   e2e_wait_exit PID [SECONDS]             the process has ended
#   e2e_wait_clock_past FILE                a file written next is newer
#   e2e_left SECONDS                        the bound of a command that
#                                           bounds its own time (timeout)
# A wait's bound never passes the test's own time (PM2_E2E_TIMEOUT, the
# ctest TIMEOUT, less what the clean-up needs): a hang is told by the wait.

type_delay=30   # milliseconds between typed keys
# The first script of a run owns everything the run starts (its X server,
# the program, the tools): they carry its process id in their environment,
# so that what a run killed outright left is found by a later one (e2e_reap).
export PM2_E2E_OWNER="${PM2_E2E_OWNER:-$$}"
# The moment the run must be over by, set once by the first script: its
# time less a margin for the clean-up and the failure's report.
export PM2_E2E_DEADLINE="${PM2_E2E_DEADLINE:-$((EPOCHSECONDS + ${PM2_E2E_TIMEOUT:-300} - 20))}"
e2e_wait_bound=120  # seconds: the default bound of a wait (a hang bound: a busy machine takes its time)

e2e_need() {
  local c
  for c in "$@"; do
    command -v "$c" > /dev/null || { echo "$c is not installed"; exit 77; }
  done
}

# The stand-in ARM compiler the example projects build with.
e2e_need_arm_gcc() {
  [ -x "$build/test-root/GNU/Arm-Tools/Bin/arm-uclibc-gcc" ] || { echo "arm-none-eabi-gcc is not installed"; exit 77; }
}

# A process that is there and not a zombie: pid.
e2e_alive() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [ "${state#Z}" = "$state" ]
}

# The start of a process in clock ticks since boot (the 22nd field of its
# stat line, counted after the name's closing bracket); fails when there is
# no such process.
e2e_start_of() {
  local stat
  stat=$(cat "/proc/$1/stat" 2> /dev/null) || return 1
  stat=${stat##*) }
  # shellcheck disable=SC2086  # the fields, split
  set -- $stat
  [ -n "${20:-}" ] && echo "${20}"
}

# Process $1 runs and started at $2: the one that a test's mark names, not
# a later process given the same id.
e2e_runs() {
  e2e_alive "$1" && [ "$(e2e_start_of "$1")" = "$2" ]
}

# What runs killed outright (the SIGKILL of a test's timeout) left: their
# processes (found by the owner in their environment), their event
# interface's objects in /dev/shm (the namespace names the script's process),
# their work folders (.e2e-owner names the script's process), their X
# server's lock and socket and its log. Only what belongs to a run whose
# process is gone goes; a run still going keeps everything.
e2e_reap() {
  local uid p owner n f pids=""
  uid=$(id -u)
  while IFS='=' read -r p owner; do
    p=${p#/proc/}; p=${p%%/*}
    [ "$p" = "$$" ] || e2e_alive "$owner" || pids="$pids $p"
  done < <(grep -a -o -z '^PM2_E2E_OWNER=[0-9]*' /proc/[0-9]*/environ 2>/dev/null | tr '\0' '\n' | sed 's/:PM2_E2E_OWNER=/=/')
  if [ -n "$pids" ]; then
    echo "ending what a killed run left running:$pids"
    # shellcheck disable=SC2086  # a list of process ids
    kill -KILL $pids 2>/dev/null || true
    # SIGKILL ends each, however long a busy machine takes to get to it:
    # the bound only catches a process the kernel holds (a hang).
    for p in $pids; do
      for _ in $(seq 1 1200); do e2e_alive "$p" || break; sleep 0.1; done
    done
  fi
  # Only a test's own suffix names its process (a user's suffix may end in
  # any number): "-pm2t<pid>s<start>", alone or before "-<tag>".
  for f in /dev/shm/*."$uid"-pm2t[0-9]*; do
    [ -e "$f" ] || continue
    n=${f##*."$uid"-pm2t}; n=${n%.locks}; n=${n%%-*}
    [[ "$n" =~ ^([0-9]+)s([0-9]+)$ ]] || continue
    e2e_runs "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" || { echo "removing $f"; rm -rf "$f"; }
  done
  for f in /tmp/pm2*_??????/.e2e-owner; do
    [ -f "$f" ] || continue
    n=$(cat "$f" 2>/dev/null) || continue
    e2e_alive "$n" || { echo "removing ${f%/.e2e-owner}"; rm -rf "${f%/.e2e-owner}"; }
  done
  for f in /tmp/pm2xvfb-*_??????; do
    [ -f "$f" ] || continue
    n=${f#/tmp/pm2xvfb-}; n=${n%_*}
    e2e_alive "$n" || rm -f "$f"
  done
  # An X server killed outright leaves its lock and socket: the lock names
  # its process.
  for f in $(find /tmp -maxdepth 1 -name '.X*-lock' -user "$uid" 2>/dev/null); do
    n=$(tr -d ' \n' < "$f" 2>/dev/null) || continue
    case "$n" in '' | *[!0-9]*) continue ;; esac
    if ! e2e_alive "$n"; then
      f=${f#/tmp/.X}; f=${f%-lock}
      echo "removing the lock of the X server :$f (process $n is gone)"
      rm -f "/tmp/.X$f-lock" "/tmp/.X11-unix/X$f"
    fi
  done
}

# Starts an X server of the script's own and runs the script again on it.
# The number comes from the script's process id (from 100 up, where
# xvfb-run -a and desktop servers do not look first); a number whose lock
# file is there, or whose server exits at once (taken between the look and
# the lock), is passed over for the next. The script goes on only once the
# server's lock names it and it takes a connection, so the program never
# starts before its display is up, nor on another server. (Xvfb -displayfd would say when it is ready but then writes no lock
# file, so other servers and xvfb-run take its number for a free one.)
e2e_in_xvfb() {
  [ "${PM2_IN_XVFB:-}" = 1 ] && return 0
  e2e_reap
  local n=$((100 + $$ % 800)) log xvfb="" up status run
  log=$(mktemp "/tmp/pm2xvfb-$$_XXXXXX")
  for _ in $(seq 1 20); do
    if [ ! -e "/tmp/.X$n-lock" ]; then
      # -noreset: the server would otherwise start over when its last client
      # (the readiness probe below) leaves, and refuse the program meanwhile.
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset > "$log" 2>&1 &
      xvfb=$!
      up=""
      for _ in $(seq 1 600); do
        kill -0 "$xvfb" 2>/dev/null || break
        # Ours once its lock names it (another server may answer on a number
        # it took without a lock), and up once it takes a connection.
        [ "$(tr -d ' \n' 2>/dev/null < "/tmp/.X$n-lock")" = "$xvfb" ] &&
          DISPLAY=":$n" xdotool getdisplaygeometry > /dev/null 2>&1 && { up=1; break; }
        sleep 0.05  # the poll of the readiness check
      done
      [ -n "$up" ] && break
      kill "$xvfb" 2>/dev/null || true
      wait "$xvfb" 2>/dev/null || true
      xvfb=""
    fi
    n=$((100 + (n - 99) % 800))
  done
  if [ -z "$xvfb" ]; then
    echo "FAIL: no X server could be started"
    cat "$log"
    rm -f "$log"
    exit 1
  fi
  status=0
  PM2_IN_XVFB=1 DISPLAY=":$n" "$0" "$@" < /dev/null &
  run=$!
  # A test stopped from outside (its time ran out) takes its server along;
  # the script run on it cleans up after itself (its EXIT trap).
  # (Each step may fail: the script's set -e must not end the trap early.)
  trap 'kill "$run" 2>/dev/null || true; wait "$run" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true; rm -f "$log"; exit 143' TERM INT HUP
  wait "$run" || status=$?
  trap - TERM INT HUP
  # A server that ended before the test did is said, with its own words.
  if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "the X server :$n (process $xvfb) ended during the test:"
    cat "$log"
  fi
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -f "$log"
  exit "$status"
}

e2e_start_work() {  # mktemp prefix, gallery folder name
  e2e_reap
  work=$(mktemp -d "/tmp/$1_XXXXXX")
  echo "$$" > "$work/.e2e-owner"
  trap e2e_cleanup EXIT
  # Stopped from outside, the script still runs its EXIT trap.
  trap 'exit 143' TERM INT HUP
  # A command that ends the script under set -e says so.
  set -E
  trap 'echo "FAIL: ${BASH_SOURCE[0]##*/}:$LINENO: \"$BASH_COMMAND\" ended with status $?" >&2' ERR
  # The program's event interface in a namespace and runtime folder of this
  # run alone: a user's open IDE neither disturbs the run nor is disturbed.
  # Its suffix is a test's own (test_leftovers.h): the script's mark, so that
  # the reapers take its objects once the script is gone, and only then.
  export PM2_IPC_SUFFIX="-pm2t$$s$(e2e_start_of $$)-e2e" XDG_RUNTIME_DIR="$work/run"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  gallery="$build/gallery/$2"
  mkdir -p "$gallery"
  rm -f "$gallery/${fail_shot:-failed}.png"
  # A home of the run's own: what the program, Qt or the window manager
  # keeps there (file-dialog history, openbox's cache) goes with the run.
  export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
  export XDG_DATA_HOME="$work/home/.local/share" XDG_STATE_HOME="$work/home/.local/state"
  mkdir -m 700 "$HOME"
  export QT_QPA_PLATFORM=xcb PM2_NO_SPLASH=1
  # The tests' fonts, whatever the machine has (cmake/Pm2TestFonts.cmake).
  export FONTCONFIG_FILE="$build/fonts/fonts.conf"
  unset WAYLAND_DISPLAY
  prog="$build/test-root/PM2/pelmora2"
}

# Ends the program (pid) by SIGTERM, by which it removes what it made, and
# waits up to ten seconds for it before it is killed.
e2e_end_program() {
  [ -n "${pid:-}" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  # Not bounded by the run's deadline: the clean-up comes after it.
  for _ in $(seq 1 100); do
    e2e_alive "$pid" || break
    sleep 0.1  # the poll interval
  done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# At the exit: the program ends, whatever of the run's namespace is left
# (a program that was killed) goes, and so does the work folder.
e2e_cleanup() {
  e2e_end_program
  if [ -n "${PM2_IPC_SUFFIX:-}" ]; then
    rm -rf /dev/shm/*".$(id -u)$PM2_IPC_SUFFIX" "/dev/shm/pm2.$(id -u)$PM2_IPC_SUFFIX.locks"
  fi
  [ -n "${PM2_KEEP_WORK:-}" ] || rm -rf "$work"
}

# A copy of the example project in the work folder, without what a build
# in place leaves there (objects, dependency file, log, backups).
e2e_copy_blinky() {
  cp -r "$src/examples/blinky" "$work/blinky"
  rm -rf "$work/blinky/Obj"
  find "$work/blinky" -maxdepth 1 -type f \( -iname '*.dep' -o -iname '*.plg' -o -iname '*.bak' -o -iname '*.pm2run' \) -delete
}

# Said on stderr, so that a failure inside $(...) is seen too.
fail() {
  "$grab" "$gallery/${fail_shot:-failed}.png" || true
  echo "FAIL: $*" >&2
  # shellcheck disable=SC2086  # fail_also is a list of files
  cat "$work"/run*.txt ${fail_also:-} >&2 2>/dev/null || true
  exit 1
}

# ------------------------------------------------------------------ waits
# Runs a command every 0.1 s until it succeeds, for at most that many
# seconds and never past the run's deadline: seconds, command...
e2e_poll() {
  local end=$((EPOCHSECONDS + $1))
  shift
  [ "$end" -le "$PM2_E2E_DEADLINE" ] || end=$PM2_E2E_DEADLINE
  until "$@"; do
    [ "$EPOCHSECONDS" -lt "$end" ] || return 1
    sleep 0.1  # the poll interval
  done
}
# The same, failing with what was awaited and the script's line that
# waited: what, seconds, command...
e2e_wait() {
  local what=$1 limit=$2 started=$EPOCHSECONDS
  shift 2
  e2e_poll "$limit" "$@" && return 0
  what="$what$(e2e_call_site)"
  if [ "$((started + limit))" -gt "$PM2_E2E_DEADLINE" ]; then
    fail "waited $((EPOCHSECONDS - started)) s (the rest of the test's time) for $what"
  fi
  fail "waited $limit s for $what"
}
# Where the script itself called the wait (a wait of a shared helper is
# told by the script's line that called the helper): " (script:line)".
e2e_call_site() {
  local i
  for ((i = 1; i < ${#BASH_SOURCE[@]}; i++)); do
    [ "${BASH_SOURCE[i]}" = "$0" ] || continue
    echo " (${0##*/}:${BASH_LINENO[i - 1]})"
    return 0
  done
}
# Seconds left of the run's time (at least 1), at most that many: the
# bound of a command that bounds its own time (timeout).
e2e_left() {
  local left=$((PM2_E2E_DEADLINE - EPOCHSECONDS))
  [ "$left" -le "$1" ] || left=$1
  [ "$left" -ge 1 ] || left=1
  echo "$left"
}
# The former form, a count of tenths of a second: tries, command...
poll() {
  local tries=$1
  shift
  e2e_poll "$(((tries + 9) / 10))" "$@"
}
in_file() { grep -q -- "$2" "$1" 2>/dev/null; }  # file, pattern

e2e_gone_process() { ! e2e_alive "$1"; }
e2e_wait_exit() {  # pid [seconds]
  e2e_wait "the process $1 to end" "${2:-$e2e_wait_bound}" e2e_gone_process "$1"
}
e2e_wait_file() {  # file [seconds]
  e2e_wait "the file $1" "${2:-$e2e_wait_bound}" test -e "$1"
}
e2e_wait_file_contains() {  # file, pattern [seconds]
  e2e_wait "'$2' in $1" "${3:-$e2e_wait_bound}" in_file "$1" "$2"
}

# File times count in whole seconds: a file changed for a build to see
# must fall in a later second than the build's output it is compared with.
e2e_past_second_of() { [ "$EPOCHSECONDS" -gt "$(($(stat -c %Y "$1") + 1))" ]; }
e2e_wait_clock_past() {  # file
  e2e_wait "the clock to pass the time of $1" 10 e2e_past_second_of "$1"
}

# The id of the first visible window whose title matches, if any.
e2e_window_id() { xdotool search --onlyvisible --name "$1" 2>/dev/null | sed -n 1p; }
visible() { xdotool search --onlyvisible --name "$1" > /dev/null 2>&1; }
hidden() { ! visible "$1"; }
# Prints the id of the first visible window whose title matches: name
# [seconds]. The id is taken by the same look that found the window: a
# title that changes while the program settles (the main window's names
# its active document) may match, not match and match again.
e2e_window_seen() {
  e2e_window_found=$(e2e_window_id "$1") || true
  [ -n "$e2e_window_found" ]
}
e2e_wait_window() {
  e2e_window_found=""
  e2e_wait "a window named '$1'" "${2:-$e2e_wait_bound}" e2e_window_seen "$1"
  echo "$e2e_window_found"
}
e2e_wait_gone() {  # name [seconds]
  e2e_wait "the window named '$1' to close" "${2:-$e2e_wait_bound}" hidden "$1"
}
# A window given by its id, else by its title.
e2e_window_of() {
  case "$1" in
    '' | *[!0-9]*) e2e_window_id "$1" ;;
    *) echo "$1" ;;
  esac
}
# The window that has the keyboard (the top-level window holding the X
# input focus) is that one: window.
e2e_has_focus() {
  local w
  w=$(e2e_window_of "$1")
  [ -n "$w" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$w" ]
}
# Keys go to the window with the keyboard: a script types only once the
# window that must get them has it. Window (id or title) [seconds].
e2e_wait_focus() {
  e2e_wait "the window '$1' to have the keyboard" "${2:-$e2e_wait_bound}" e2e_has_focus "$1"
}
# Without a window manager a closed window leaves nobody the keyboard: the
# script gives it (again every second, a request can come before the
# window is mapped) and waits until it has it. Window (id or title) [seconds].
e2e_take_focus() {
  local w
  w=$(e2e_window_of "$1")
  [ -n "$w" ] || return 1
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$w" ] && return 0
  xdotool windowfocus "$w" 2>/dev/null || true
  e2e_poll 1 e2e_has_focus "$w"
}
e2e_focus() {
  e2e_wait "the window '$1' to take the keyboard" "${2:-$e2e_wait_bound}" e2e_take_focus "$1"
}
# A menu of the program is open: a window of its own that the window
# manager does not handle (override-redirect), which takes the keyboard
# while it is open (xwininfo tells).
e2e_popup_open() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
  done
  return 1
}
e2e_wait_popup() {  # [seconds]
  e2e_wait "a menu to open" "${1:-$e2e_wait_bound}" e2e_popup_open
}
e2e_wait_no_popup() {  # [seconds]
  e2e_wait "the menu to close" "${1:-$e2e_wait_bound}" eval '! e2e_popup_open'
}

# ------------------------------------------------------------ screenshots
# A screenshot is taken once the screen has settled: two grabs in a row
# that are the same (the program has drawn what the keys before asked for),
# or the last grab after ten seconds of change (a blinking caret). The
# pictures are for looking at: nothing is asserted on them.
shot() {
  local out="$gallery/${shot_prefix:-}$1.png" prev="$work/.shot.png" end=$((EPOCHSECONDS + 10))
  "$grab" "$prev" || fail "no screenshot $1"
  while :; do
    "$grab" "$out" || fail "no screenshot $1"
    cmp -s "$out" "$prev" && return 0
    [ "$EPOCHSECONDS" -lt "$end" ] || return 0
    cp "$out" "$prev"
  done
}

# ---------------------------------------------------------------- windows
# Prints the id of the first visible window whose title matches:
# title [tries, 0.1 s each].
find_window() {
  e2e_window_found=""
  e2e_poll "$(((${2:-300} + 9) / 10))" e2e_window_seen "$1" || return 1
  echo "$e2e_window_found"
}
active_is() { e2e_has_focus "$1"; }

# Types a text into the dialog of that title (its focused field) and
# presses Return, once the dialog has the keyboard: keys typed before go
# to the window under it. Title, text.
enter_in_dialog() {
  local dialog
  dialog=$(e2e_wait_window "$1")
  e2e_focus "$dialog"
  xdotool key ctrl+a
  xdotool type --delay 5 "$2"
  xdotool key Return
  e2e_wait_gone "$1"
}
# A window whose title matches, else fail: title, message [tries, 0.1 s each].
wait_title() { poll "${3:-300}" visible "$1" || fail "$2"; }
# No window whose title matches, else fail: title, message.
wait_gone() { poll 300 hidden "$1" || fail "$2"; }

# Starts the program in the background (pid) and waits for its main window
# (main) to be shown and to have the keyboard: log file, then the program's
# arguments.
start_program() {
  local log=$1
  shift
  "$prog" "$@" > "$log" 2>&1 &
  pid=$!
  e2e_poll 60 visible "Pelmora2" || {
    xdotool getdisplaygeometry > /dev/null 2>&1 || fail "the main window did not appear: the X server $DISPLAY does not answer"
    fail "the main window did not appear within 60 s"
  }
  main=$(e2e_window_id "Pelmora2")
  local shown=${EPOCHREALTIME/./}
  xdotool mousemove 640 500
  e2e_focus "$main"
  e2e_wait "the program to wait for events with its commands' states up to date" 30 e2e_program_settled "$shown"
}
# The program keeps its commands' states (which keys a command takes) up to
# date every 250 ms from before its window shows. Once that time has passed
# since the window was seen (microseconds given), a program whose main
# thread sleeps in its event loop has refreshed them: with a refresh due,
# the loop would not sleep.
e2e_program_settled() {
  [ $((${EPOCHREALTIME/./} - $1)) -ge 300000 ] || return 1
  [ "$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)" = S ] || return 1
  case "$(cat "/proc/$pid/wchan" 2>/dev/null)" in *poll*) return 0 ;; esac
  return 1
}
# Without a window manager a closed dialog leaves no window with the
# keyboard: the main window gets it back explicitly.
focus_main() { xdotool mousemove 640 500; e2e_focus "$main"; }
# Alt+F4 on the main window, then up to thirty seconds for the program to end.
quit_program() {
  focus_main
  xdotool key alt+F4
  e2e_poll 30 e2e_gone_process "$pid" || true
}
stop_program() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

type_into() {  # mnemonic, text: replaces the field's text
  xdotool key "$1"
  xdotool key ctrl+a BackSpace
  [ -n "$2" ] && xdotool type --delay "$type_delay" -- "$2"
  return 0
}
