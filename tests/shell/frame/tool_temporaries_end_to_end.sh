#!/usr/bin/env bash
# The program ended by SIGTERM, SIGHUP or SIGINT while a user tool or a lint
# run it started still runs, on the X11 platform under Xvfb: the tool's
# output capture ("Pm2__...") and the lint run's command file
# ("Pm2__....lnt") go from TMPDIR, as they go on Exit.
#   tool_temporaries_end_to_end.sh <build> <source> <screen_grab>
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e_common.sh"
e2e_need Xvfb xdotool xwininfo
e2e_in_xvfb "$@"
e2e_start_work pm2temps tool_temporaries
e2e_copy_blinky
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"

# The tool and the lint program: each says it runs, then waits.
tool="$work/waiting.sh"
printf '#!/bin/sh\ntouch "%s/ran"\nexec sleep 300\n' "$work" > "$tool"
chmod +x "$tool"
# A user tool "Zz Wait" on the Tools menu; the example's target runs the
# same program as its PC-Lint.
mkdir -p "$XDG_CONFIG_HOME/Vond/Pelmora2"
printf '; Pelmora2 settings 1\n[Software\\Vond\\Pelmora2\\ToolM]\nMfg0=d:256\nMtx0=s:&Zz Wait\nMex0=s:%s\nMid0=s:\nMag0=s:tool\n' \
  "$tool" > "$XDG_CONFIG_HOME/Vond/Pelmora2/settings.ini"
sed -i "s|OPTLE <>|OPTLE <$tool>|; s|OPTLC <>|OPTLC <std.lnt>|" "$work/blinky/Blinky.Opt"
grep -q "OPTLE <$tool>" "$work/blinky/Blinky.Opt" || fail "the example's options file names no lint program"

# A program started in the background of a script ignores SIGINT (the
# shell makes it so, and the program keeps a signal its starter ignored):
# it is started with SIGINT as it would have it from a terminal.
printf '#!/bin/sh\nexec env --default-signal=INT "%s" "$@"\n' "$prog" > "$work/with_sigint.sh"
chmod +x "$work/with_sigint.sh"
prog="$work/with_sigint.sh"

temporaries() { find "$TMPDIR" -maxdepth 1 -name 'Pm2__*' | sort; }
has() { temporaries | grep -q "$1"; }
menu() {
  xdotool key "$1"
  e2e_wait_popup
}

# road: what starts (tool or lint), the signal, what the run leaves in
# TMPDIR while it runs (a pattern).
road() {
  local what=$1 signal=$2 pattern=$3
  rm -f "$work/ran"
  start_program "$work/run-$what-$signal.txt" "$work/blinky/Blinky.pm2"
  focus_main
  menu alt+t
  if [ "$what" = tool ]; then xdotool key z; else xdotool key a; fi
  e2e_wait_file "$work/ran" 30
  e2e_wait "the $what's temporary file in TMPDIR" 30 has "$pattern"
  shot "$what-$signal-running"
  kill "-$signal" "$pid"
  e2e_wait_exit "$pid" 30
  wait "$pid" 2>/dev/null || true
  pid=
  local left
  left=$(temporaries)
  [ -z "$left" ] || fail "SIG$signal during the $what's run left in TMPDIR: $left"
}

road tool TERM 'Pm2__[0-9a-f]*$'
road lint HUP 'Pm2__.*\.lnt$'
road lint INT 'Pm2__.*\.lnt$'
road tool HUP 'Pm2__[0-9a-f]*$'
echo "PASS"
