#!/usr/bin/env bash
# Runs a program (a gallery) with an empty temporary folder of its own as
# its TMPDIR, and empty folders of its own as its HOME, configuration,
# cache, data, state and runtime folders, and fails when the program fails
# or leaves anything in any of them (its work folders, Qt's runtime folder
# "runtime-<user>", a file-dialog history in QtProject.conf, a cache), or
# leaves event-interface objects in /dev/shm under its own mark
# ("-pm2t<pid>s<start>", test_leftovers.h).
#   run_leaving_nothing.sh PROGRAM [ARG...]
# The folder is named as a test process's work folder ("pm2t-<mark>",
# test_leftovers.h), so that the reaper takes it when this script is killed.
set -uo pipefail
# The script's start in clock ticks since boot: the 22nd field of its stat
# line, the 20th after the name's closing bracket.
start=$(sed 's/.*) //' "/proc/$$/stat" | cut -d' ' -f20)
folder="${TMPDIR:-/tmp}/pm2t-$$s$start"
mkdir -m 700 "$folder" || exit 1
trap 'rm -rf "$folder"' EXIT
program=""
trap '[ -n "$program" ] && kill "$program" 2> /dev/null; exit 143' TERM INT HUP
# Each place a program may write of its own accord, empty.
places=(tmp home config cache data state run)
for place in "${places[@]}"; do mkdir -m 700 "$folder/$place" || exit 1; done
TMPDIR=$folder/tmp HOME=$folder/home XDG_CONFIG_HOME=$folder/config XDG_CACHE_HOME=$folder/cache \
  XDG_DATA_HOME=$folder/data XDG_STATE_HOME=$folder/state XDG_RUNTIME_DIR=$folder/run "$@" &
program=$!
wait "$program"
status=$?
[ "$status" -eq 0 ] || { echo "FAIL: ${1##*/} ended with status $status"; exit "$status"; }
for place in "${places[@]}"; do
  left=$(ls -A "$folder/$place")
  [ -z "$left" ] || { echo "FAIL: ${1##*/} left in its $place folder: $left"; exit 1; }
done
left=$(find /dev/shm -maxdepth 1 -user "$(id -u)" -name "*-pm2t${program}s[0-9]*" 2> /dev/null)
[ -z "$left" ] || { echo "FAIL: ${1##*/} left event-interface objects: $left"; exit 1; }
exit 0
