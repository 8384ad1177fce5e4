#!/usr/bin/env bash
# What a run killed outright leaves is removed by the next one, and only
# that: a run whose script is gone (its process, its event interface's
# objects, its work folder, its X server's lock, socket and log) against a
# run still going, which keeps everything, and against a user's program
# whose suffix ends in the gone run's id.
#   e2e_reap_test.sh
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
uid=$(id -u)
fail() { echo "FAIL: $*"; exit 1; }

# A process id that is gone: a child that has ended and been waited for.
sh -c 'exit 0' &
gone=$!
wait "$gone"
e2e_alive "$gone" && fail "the ended process $gone is still there"
# The live run is this script; its objects must stay.
live=$$

# The leftovers of both runs, under names of their own (the gone run's
# start is any: its id is gone).
made=()
for owner in "$gone:1" "$live:$(e2e_start_of "$live")"; do
  suffix="-pm2t${owner%%:*}s${owner#*:}-e2e"
  owner=${owner%%:*}
  shm="/dev/shm/pm2reaptest.$uid$suffix"
  locks="/dev/shm/pm2.$uid$suffix.locks"
  : > "$shm"
  mkdir -p "$locks"
  folder=$(mktemp -d /tmp/pm2reaptest_XXXXXX)
  echo "$owner" > "$folder/.e2e-owner"
  log=$(mktemp "/tmp/pm2xvfb-${owner}_XXXXXX")
  made+=("$shm" "$locks" "$folder" "$log")
done
# The objects of a program its user runs beside the tests, under suffixes
# of the user's that end in the gone run's id: no test's, they stay.
for suffix in "_x$gone" "-e2e$gone" "-dev${gone}s1"; do
  made+=("/dev/shm/pm2reaptest.$uid$suffix")
  : > "/dev/shm/pm2reaptest.$uid$suffix"
done
# The objects of a run still going and of a user's program, and of the run
# gone.
kept=("${made[@]:4:7}")
gone_left=("${made[@]:0:4}")
# A process of the run that is gone (its owner in its environment).
PM2_E2E_OWNER=$gone sleep 300 &
orphan=$!
# Found by its environment, which it has once the shell forked for it has
# started the program (a busy machine may not have got there yet).
orphan_started() { grep -q -a -z "^PM2_E2E_OWNER=$gone\$" "/proc/$orphan/environ" 2>/dev/null; }
for _ in $(seq 1 1200); do orphan_started && break; sleep 0.1; done
orphan_started || fail "the process $orphan of the gone run never started"
# The lock and socket of an X server killed outright: the lock names the
# gone process. Number 9999 is far from any the scripts take.
mkdir -p /tmp/.X11-unix
if [ -e /tmp/.X9999-lock ]; then echo "the display number 9999 is taken"; exit 77; fi
printf '%10d\n' "$gone" > /tmp/.X9999-lock
: > /tmp/.X11-unix/X9999
trap 'kill -KILL "$orphan" 2>/dev/null || true; rm -rf "${made[@]}" /tmp/.X9999-lock /tmp/.X11-unix/X9999' EXIT

e2e_reap

e2e_alive "$orphan" && fail "the process $orphan of the gone run is still running"
for f in "${gone_left[@]}" /tmp/.X9999-lock /tmp/.X11-unix/X9999; do
  [ -e "$f" ] && fail "$f of the gone run is still there"
done
for f in "${kept[@]}"; do
  [ -e "$f" ] || fail "$f of the run still going or of the user's program was removed"
done
echo "the gone run's leftovers were removed, the live run's and the user's program's kept"
