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

shot_delay=0.5  # seconds a screenshot waits for the screen to settle
type_delay=30   # milliseconds between typed keys

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
  local n=$((100 + $$ % 800)) log xvfb="" up status run
  log=$(mktemp /tmp/pm2xvfb_XXXXXX)
  for _ in $(seq 1 20); do
    if [ ! -e "/tmp/.X$n-lock" ]; then
      # -noreset: the server would otherwise start over when its last client
      # (the readiness probe below) leaves, and refuse the program meanwhile.
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset > "$log" 2>&1 &
      xvfb=$!
      up=""
      for _ in $(seq 1 200); do
        kill -0 "$xvfb" 2>/dev/null || break
        # Ours once its lock names it (another server may answer on a number
        # it took without a lock), and up once it takes a connection.
        [ "$(tr -d ' \n' 2>/dev/null < "/tmp/.X$n-lock")" = "$xvfb" ] &&
          DISPLAY=":$n" xdotool getdisplaygeometry > /dev/null 2>&1 && { up=1; break; }
        sleep 0.05
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
  # A test stopped from outside (its time ran out) takes its server along.
  trap 'kill "$run" "$xvfb" 2>/dev/null; exit 143' TERM INT HUP
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
  work=$(mktemp -d "/tmp/$1_XXXXXX")
  trap e2e_cleanup EXIT
  # The program's event interface in a namespace and runtime folder of this
  # run alone: a user's open IDE neither disturbs the run nor is disturbed.
  export PM2_IPC_SUFFIX="-e2e$$" XDG_RUNTIME_DIR="$work/run"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  gallery="$build/gallery/$2"
  mkdir -p "$gallery"
  rm -f "$gallery/${fail_shot:-failed}.png"
  export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb PM2_NO_SPLASH=1
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
  local state
  for _ in $(seq 1 100); do
    state=$(ps -o stat= -p "$pid" 2>/dev/null) || break
    [ "${state#Z}" = "$state" ] || break  # ended, not yet waited for
    sleep 0.1
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

fail() {
  "$grab" "$gallery/${fail_shot:-failed}.png" || true
  echo "FAIL: $*"
  # shellcheck disable=SC2086  # fail_also is a list of files
  cat "$work"/run*.txt ${fail_also:-} 2>/dev/null || true
  exit 1
}
shot() { sleep "${2:-$shot_delay}"; "$grab" "$gallery/${shot_prefix:-}$1.png" || fail "no screenshot $1"; }

# Runs a command every 0.1 s until it succeeds: tries, command...
poll() {
  local tries=$1
  shift
  for _ in $(seq 1 "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
in_file() { grep -q -- "$2" "$1" 2>/dev/null; }  # file, pattern

# Prints the id of the first visible window whose title matches: title [tries].
find_window() {
  local found
  for _ in $(seq 1 "${2:-100}"); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.1
  done
  return 1
}

visible() { xdotool search --onlyvisible --name "$1" > /dev/null 2>&1; }
hidden() { ! visible "$1"; }
active_is() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

# Types a text into the dialog of that title (its focused field) and
# presses Return, once the dialog has the focus: keys typed before go to
# the window under it. On a loaded machine keys can still be lost, so a
# dialog still up 10 s later gets the text again: title, text.
enter_in_dialog() {
  local dialog
  dialog=$(find_window "$1") || fail "the $1 dialog did not appear"
  poll 50 active_is "$dialog" || true
  for _ in 1 2 3; do
    sleep 0.5
    xdotool key ctrl+a
    xdotool type --delay 5 "$2"
    xdotool key Return
    poll 100 hidden "$1" && return 0
  done
  fail "the $1 dialog did not take '$2'"
}
# A window whose title matches, else fail: title, message [tries, 0.1 s each].
wait_title() { poll "${3:-100}" visible "$1" || fail "$2"; }
# No window whose title matches, else fail: title, message.
wait_gone() { poll 100 hidden "$1" || fail "$2"; }

# Starts the program in the background (pid) and waits for its main window
# (main): log file, then the program's arguments.
start_program() {
  local log=$1
  shift
  "$prog" "$@" > "$log" 2>&1 &
  pid=$!
  main=$(find_window "Pelmora2" 300) || {
    xdotool getdisplaygeometry > /dev/null 2>&1 || fail "the main window did not appear: the X server $DISPLAY does not answer"
    fail "the main window did not appear"
  }
  sleep 1
  xdotool mousemove 640 500
}
# Without a window manager a closed dialog leaves no window with the
# keyboard: the main window gets it back explicitly.
focus_main() { xdotool mousemove 640 500; xdotool windowfocus "$main" 2>/dev/null || true; sleep 0.3; }
# Alt+F4 on the main window, then up to ten seconds for the program to end.
quit_program() {
  focus_main
  xdotool key alt+F4
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
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
