#!/usr/bin/env bash
# The lock keys as the program reads them from the X server it shows on
# (Qt's own connection): Caps Lock and Num Lock pressed with xdotool on
# Xvfb light their indicators, pressed again put them out.
#   key_locks_end_to_end.sh <build> <source> <key_locks_probe>
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); probe=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool
e2e_in_xvfb "$@"
: "$build"

locks() { QT_QPA_PLATFORM=xcb "$probe" 2>/dev/null || true; }
shows() { [ "$(locks)" = "$1" ]; }
expect() {  # state, what led to it
  e2e_poll 10 shows "$1" || { echo "FAIL: after $2 the locks read '$(locks)', not '$1' (caps num scroll)" >&2; exit 1; }
}

expect "0 0 0" "the start"
xdotool key Caps_Lock
expect "1 0 0" "Caps Lock"
xdotool key Num_Lock
expect "1 1 0" "Num Lock"
xdotool key Caps_Lock
expect "0 1 0" "Caps Lock again"
xdotool key Num_Lock
expect "0 0 0" "Num Lock again"
echo "PASS"
