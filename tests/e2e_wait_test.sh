#!/usr/bin/env bash
# A wait that runs out says what it awaited and the script's line that
# waited, also when it called a shared helper that waits; neither a wait
# nor the bound of a command that bounds its own time (e2e_left) passes
# the test's time (PM2_E2E_TIMEOUT less the clean-up's margin). A window
# whose title matches, then not, then again while the program settles, is
# found with its id.
#   e2e_wait_test.sh
set -euo pipefail
if [ "${1:-}" = waiter ]; then
  # A run of 21 s, whose waits must be over one second from now.
  work=$(mktemp -d /tmp/pm2waittest_XXXXXX) grab=true gallery=/dev/null
  . "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
  trap 'rm -rf "$work"' EXIT
  echo "command bound: $(e2e_left 120)"
  e2e_wait_file "$work/never" 60
  exit 0
fi
if [ "${1:-}" = window ]; then
  # The window's title matches at the second look, not at the third, and
  # again from the fourth on.
  work=$(mktemp -d /tmp/pm2waittest_XXXXXX) grab=true gallery=/dev/null
  . "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
  trap 'rm -rf "$work"' EXIT
  xdotool() {
    local looks
    looks=$(($(cat "$work/looks" 2>/dev/null || echo 0) + 1))
    echo "$looks" > "$work/looks"
    case "$looks" in 1 | 3) return 1 ;; *) echo 4242 ;; esac
  }
  echo "window: $(e2e_wait_window "Blinky.c" 30)"
  exit 0
fi
fail() { echo "FAIL: $*"; exit 1; }
out=$(env -u PM2_E2E_DEADLINE -u PM2_E2E_OWNER PM2_E2E_TIMEOUT=60 "$0" window 2>&1) ||
  fail "a window whose title flickered while it settled was not found: $out"
grep -qx "window: 4242" <<< "$out" || fail "the window's id is not the one found: $out"
line=$(grep -n '^  e2e_wait_file ' "$0" | cut -d: -f1)
status=0
out=$(env -u PM2_E2E_DEADLINE -u PM2_E2E_OWNER PM2_E2E_TIMEOUT=21 "$0" waiter 2>&1) || status=$?
[ "$status" = 1 ] || fail "the wait for a file never written ended with status $status: $out"
grep -qx "command bound: 1" <<< "$out" || fail "a command's bound passes the test's time: $out"
grep -qx "FAIL: waited [0-9]* s (the rest of the test's time) for the file /tmp/pm2waittest_[A-Za-z0-9]*/never (${0##*/}:$line)" <<< "$out" ||
  fail "the wait's failure does not say what it awaited, within the test's time, and where: $out"
echo "the wait ended within the test's time, naming what it awaited and where"
