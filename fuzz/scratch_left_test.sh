#!/usr/bin/env bash
# A fuzz target that feeds its reader through a file keeps it in a folder
# of the run's own in $TMPDIR, and leaves nothing there: neither when its
# run ends nor when it is interrupted (SIGINT, SIGTERM) in the middle.
# Without its TMPDIR it fails and says why.
#   scratch_left_test.sh FUZZER [SEEDS]
# Each wait is bounded only to catch a hang.
set -uo pipefail
fuzzer=$1
seeds=()
[ -d "${2:-}" ] && seeds=("$2")
name=${fuzzer##*/}
fail() { echo "FAIL: $name: $*"; exit 1; }
base=$(mktemp -d "${TMPDIR:-/tmp}/pm2fuzzleft_XXXXXX") || exit 1
pid=""
trap '[ -n "$pid" ] && kill -KILL "$pid" 2> /dev/null; rm -rf "$base"' EXIT

# A run to its end. (The first folder given takes what the run finds: a
# corpus of the test's own, never the seeds in the source tree.)
work=$base/ended
mkdir -p "$work/corpus"
TMPDIR=$work "$fuzzer" -runs=200 "$work/corpus" "${seeds[@]}" > "$base/log" 2>&1 || { cat "$base/log"; fail "the run failed"; }
left=$(find "$work" -mindepth 1 -maxdepth 1 ! -name corpus)
[ -z "$left" ] || fail "an ended run left $left"

# Runs interrupted once their folder is there.
for sig in INT TERM; do
  work=$base/$sig
  mkdir -p "$work/corpus"
  TMPDIR=$work "$fuzzer" -max_total_time=600 "$work/corpus" "${seeds[@]}" > "$base/log" 2>&1 &
  pid=$!
  made=""
  for _ in $(seq 1 600); do
    made=$(find "$work" -mindepth 1 -maxdepth 1 -name 'pm2fuzz_*')
    [ -n "$made" ] && break
    kill -0 "$pid" 2> /dev/null || break
    sleep 0.1  # the poll of the wait for the folder
  done
  [ -n "$made" ] || { cat "$base/log"; fail "no folder of the run in its TMPDIR $work"; }
  kill "-$sig" "$pid"
  wait "$pid"
  pid=""
  left=$(find "$work" -mindepth 1 -maxdepth 1 ! -name corpus)
  [ -z "$left" ] || fail "a run interrupted by SIG$sig left $left"
done
# A TMPDIR that does not exist: the run fails at once and says why, rather
# than fuzzing a reader that never sees an input.
work=$base/missing
mkdir -p "$base/corpus-missing"
TMPDIR=$work "$fuzzer" -runs=200 "$base/corpus-missing" > "$base/log" 2>&1 && { cat "$base/log"; fail "a run without its TMPDIR ended with status 0"; }
grep -q "cannot make its scratch folder in '$work' (TMPDIR): No such file or directory" "$base/log" ||
  { cat "$base/log"; fail "a run without its TMPDIR did not say why it failed"; }
[ ! -e "$work" ] || fail "a run without its TMPDIR made $work"

echo "$name left nothing in its TMPDIR, ended or interrupted; without a TMPDIR it fails and says why"
