#!/usr/bin/env bash
# Puts the faults of faults.list into the program one at a time and tells
# which test found each: the walk of every command (as CI runs it: its seed
# from the commit) and the test programs the list names beside it.
#
#   tests/mutation/run_mutations.sh [--only NAME[,NAME...]] [--walk REGEX] [--quick] [--walk-only] [--san]
#
# Every fault is applied by sed to a scratch copy of the sources, built in a
# build tree of that copy's own (never the tree the run command uses), and
# taken out again before the next (also when the run is stopped). The copy
# and its tree are kept between runs (PM2_MUTATION_DIR, beside the work
# tree by default), so a run after the first recompiles only what a fault
# touched. --san configures the copy's tree as CI's sanitized one (clang,
# AddressSanitizer; slower), else as the README's optimised one; --walk
# narrows the walk's states (a ctest regex; all by default), --quick walks
# for each fault only the states its line names (where a user meets it;
# the unchanged program is walked in those states); --walk-only leaves the
# other test programs out. The unchanged
# program is walked first: a fault is judged only where the walk passes
# without it. Exits non-zero when a fault went unfound or the unchanged
# walk failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
list="$root/tests/mutation/faults.list"
only="" walk_regex="CommandWalkTest" san=0 quick=0 walk_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --only) only=",$2,"; shift 2 ;;
    --walk) walk_regex="CommandWalkTest.*($2)"; shift 2 ;;
    --san) san=1; shift ;;
    --quick) quick=1; shift ;;
    --walk-only) walk_only=1; shift ;;
    *) echo "run_mutations.sh: unknown argument '$1'" >&2; exit 2 ;;
  esac
done
work=${PM2_MUTATION_DIR:-$(dirname "$root")/mutation-$(basename "$root")}
# The copy's tree lies inside it as build/ lies in the work tree: the
# compiler cache (its base folder /work) then finds what the work tree built.
copy="$work/copy" tree="$work/copy/build$([ $san = 1 ] && echo -san || true)" logs="$work/logs"
mkdir -p "$copy" "$logs"

# The walk's seed as CI takes it: from the commit under test.
commit=$(git -C "$root" rev-parse --short=7 HEAD 2>/dev/null || echo 0)
export PM2_WALK_SEED=$(( 16#$commit % 1000000 + 1 ))
echo "== walk seed: $PM2_WALK_SEED (from commit $commit)"

# The sources copied over the copy (its build trees and git's record left out).
tar -C "$root" --exclude=./build --exclude='./build-*' --exclude=./.git -cf - . | tar -C "$copy" -xf -
# The files the faults change made newer than anything built from them: a
# run stopped before its restore left an object built with a fault, which
# the copy's older time would keep.
grep -vE '^(#|$)' "$list" | awk -F' @@ ' '{print $2}' | sort -u | while read -r f; do touch "$copy/$f"; done
if [ $san = 1 ]; then
  CC=clang CXX=clang++ cmake -S "$copy" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-O0 -g1" \
    -DCMAKE_C_FLAGS="-O0 -g1" -DPM2_BENCH=OFF -DPM2_SANITIZE=ON -DPM2_WALK=ON >/dev/null
else
  cmake -S "$copy" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPM2_BENCH=OFF -DPM2_WALK=ON \
    -DPM2_BENCH_UNOPTIMISED=OFF -DPM2_UNITY_TESTS=OFF -DPM2_UNITY_LIBS=OFF -DPM2_WERROR=OFF \
    -DPM2_TEST_WHOLE_PROGRAMS=OFF -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
fi

# The file a fault changed, put back whatever ends the run.
changed=""
restore() { if [ -n "$changed" ]; then cp "$root/$changed" "$copy/$changed"; touch "$copy/$changed"; changed=""; fi; }
trap restore EXIT INT TERM

# The test programs a ctest regex names, as targets to build.
targets_of() {
  local regex=$1
  [ "$regex" = "-" ] && return 0
  grep -rhoE "pm2_test\((${regex}[A-Za-z0-9_]*)" "$copy/tests" --include=CMakeLists.txt | sed 's/pm2_test(//' | sort -u
}
# PM2_MUTATION_BUILD_JOBS: the compile's width (the machine's cores by default).
build() { cmake --build "$tree" -j "${PM2_MUTATION_BUILD_JOBS:-$(nproc)}" --target shell_command_walk_test pm2_test_reaper "$@" > "$logs/build.log" 2>&1; }
# ctest on a regex: 0 when every test passed.
# PM2_MUTATION_JOBS states side by side (the walk's hang bound is 5 s of the
# program's own time, what a loaded machine takes from it left out).
run_tests() { ctest --test-dir "$tree" -R "$1" -j "${PM2_MUTATION_JOBS:-$(nproc)}" --timeout 900 --output-on-failure > "$2" 2>&1; }

echo "== the unchanged program"
build || { echo "the unchanged copy does not build (see $logs/build.log)"; exit 1; }
# The walk of a fault: its states with --quick.
walk_of() { if [ $quick = 1 ] && [ -n "$1" ]; then echo "CommandWalkTest.*/($1)\$"; else echo "$walk_regex"; fi; }
unchanged_regex=$walk_regex
if [ $quick = 1 ]; then
  states=$(grep -vE '^(#|$)' "$list" | awk -F' @@ ' '{print $5}' | tr '|' '\n' | sort -u | paste -sd'|')
  unchanged_regex=$(walk_of "$states")
fi
start=$SECONDS
# PM2_MUTATION_UNCHANGED=skip: walked already (a run of some faults again).
if [ "${PM2_MUTATION_UNCHANGED:-}" = skip ]; then
  echo "   not walked again (PM2_MUTATION_UNCHANGED=skip)"
elif ! run_tests "$unchanged_regex" "$logs/unchanged-walk.log"; then
  echo "the walk fails on the unchanged program (see $logs/unchanged-walk.log)"
  grep -E "Failed|\*\*\*" "$logs/unchanged-walk.log" | head -20
  exit 1
fi
echo "   the walk passes: $((SECONDS - start)) s"

rows=() unfound=0
while IFS= read -r line; do
  case "$line" in ''|'#'*) continue ;; esac
  name=$(awk -F' @@ ' '{print $1}' <<<"$line")
  file=$(awk -F' @@ ' '{print $2}' <<<"$line")
  sed_args=$(awk -F' @@ ' '{print $3}' <<<"$line")
  tests=$(awk -F' @@ ' '{print $4}' <<<"$line")
  states=$(awk -F' @@ ' '{print $5}' <<<"$line")
  [ $walk_only = 1 ] && tests="-"
  [ -n "$only" ] && [[ "$only" != *",$name,"* ]] && continue
  echo "== $name ($file)"
  changed=$file
  eval "sed -i $sed_args \"\$copy/\$file\""
  if cmp -s "$root/$file" "$copy/$file"; then
    rows+=("$name|not applied|-|-")
    unfound=$((unfound + 1))
    restore
    continue
  fi
  mapfile -t extra < <(targets_of "$tests")
  if ! build "${extra[@]}"; then
    rows+=("$name|does not build|-|-")
    unfound=$((unfound + 1))
    restore
    continue
  fi
  walk="not found" others="-"
  start=$SECONDS
  if ! run_tests "$(walk_of "$states")" "$logs/$name-walk.log"; then
    walk="found: $(grep -cE '^[0-9/ ]*Test +#[0-9]+: .*\*\*\*(Failed|Exception)' "$logs/$name-walk.log" || true) states"
  fi
  walk="$walk ($((SECONDS - start)) s)"
  if [ "$tests" != "-" ]; then
    others="not found"
    run_tests "$tests" "$logs/$name-tests.log" || others="found: $(grep -oE '[0-9]+ tests failed' "$logs/$name-tests.log" || true)"
  fi
  [[ "$walk" == found* || "$others" == found* ]] || unfound=$((unfound + 1))
  rows+=("$name|$walk|$tests|$others")
  # The first failure the walk printed, for the report.
  grep -m1 -E "the walk crashed in|Failure|\*\*\* the walk died" -A3 "$logs/$name-walk.log" | head -6 | sed 's/^/   /' || true
  restore
done < "$list"

echo
echo "| fault | the walk | other tests | they |"
echo "| --- | --- | --- | --- |"
for r in "${rows[@]}"; do
  IFS='|' read -r a b c d <<<"$r"
  echo "| $a | $b | $c | $d |"
done
echo "faults no test found: $unfound"
[ "$unfound" -eq 0 ]
