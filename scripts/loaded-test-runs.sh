#!/usr/bin/env bash
# Runs the README's test command N times in a row (default 5) with every
# core of the machine busy beside it: one busy loop per core, started
# before the first run and ended after the last however the runs end.
# The way to check a change to any wait in the program or its tests: a wait
# a test needs must be a wait for the event it stands for, and a machine
# whose cores are all taken by other work must pass as an idle one does.
#   scripts/loaded-test-runs.sh [N] [command ...]   (default: ./pm2.sh test)
# Under taskset the loops and the runs share the cores it gives (nproc
# counts those): `taskset -c 0,1 scripts/loaded-test-runs.sh 1 .ci/run` is
# CI on two busy cores.
# Each run's summary line and its failed tests are printed, and the load
# average at its end; the exit status is that of the worst run.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
shift || true
command=("$@")
[ ${#command[@]} -eq 0 ] && command=("$here/pm2.sh" test)
loops=()
for _ in $(seq "$(nproc)"); do
  (while :; do :; done) &
  loops+=($!)
done
trap 'kill "${loops[@]}" 2>/dev/null' EXIT
status=0
for n in $(seq "$runs"); do
  start=$SECONDS
  log=$(mktemp /tmp/pm2loaded_XXXXXX)
  (cd "$here" && "${command[@]}") > "$log" 2>&1
  rc=$?
  [ "$rc" -ne 0 ] && status=$rc
  echo "== run $n of $runs: exit $rc, $((SECONDS - start)) s, load $(cut -d' ' -f1-3 /proc/loadavg)"
  grep -E "tests passed|tests failed|== CI:" "$log" | tail -n 3
  sed -n '/The following tests FAILED/,$p' "$log" | grep -E '^\s+[0-9]+ - ' || true
  # A failed run's whole output is kept, to read what the failures said.
  if [ "$rc" -ne 0 ]; then echo "   its output: $log"; else rm -f "$log"; fi
done
exit "$status"
