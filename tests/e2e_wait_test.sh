#!/usr/bin/env bash
# A wait that runs out says what it awaited and the script's line that
# waited, also when it called a shared helper that waits; neither a wait
# nor the bound of a command that bounds its own time (e2e_left) passes
# the test's time (PM2_E2E_TIMEOUT less the clean-up's margin).
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
fail() { echo "FAIL: $*"; exit 1; }
line=$(grep -n '^  e2e_wait_file ' "$0" | cut -d: -f1)
status=0
out=$(env -u PM2_E2E_DEADLINE -u PM2_E2E_OWNER PM2_E2E_TIMEOUT=21 "$0" waiter 2>&1) || status=$?
[ "$status" = 1 ] || fail "the wait for a file never written ended with status $status: $out"
grep -qx "command bound: 1" <<< "$out" || fail "a command's bound passes the test's time: $out"
grep -qx "FAIL: waited [0-9]* s (the rest of the test's time) for the file /tmp/pm2waittest_[A-Za-z0-9]*/never (${0##*/}:$line)" <<< "$out" ||
  fail "the wait's failure does not say what it awaited, within the test's time, and where: $out"
echo "the wait ended within the test's time, naming what it awaited and where"
