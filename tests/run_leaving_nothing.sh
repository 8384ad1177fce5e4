#!/usr/bin/env bash
# Runs a program (a gallery) with an empty temporary folder of its own as
# its TMPDIR, and fails when the program fails or leaves anything there:
# its work folders, Qt's runtime folder ("runtime-<user>", which Qt makes
# there when it is given no private runtime folder).
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
trap 'exit 143' TERM INT HUP
TMPDIR=$folder "$@"
status=$?
[ "$status" -eq 0 ] || { echo "FAIL: ${1##*/} ended with status $status"; exit "$status"; }
left=$(ls -A "$folder")
[ -z "$left" ] || { echo "FAIL: ${1##*/} left in its temporary folder: $left"; exit 1; }
