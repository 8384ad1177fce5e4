#!/usr/bin/env bash
# The GDB client bench started without a display: it compares its values
# (on an X server of its own) and says that they agree, or it fails; a run
# that compared nothing is no pass, whatever its status. No rounds are
# timed. Exit 77 (skipped) when gdb-multiarch or qemu-system-arm is missing.
#   gdb_client_bench_without_display.sh BENCH
set -uo pipefail
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$1" --benchmark_filter='^$' 2>&1)
status=$?
echo "$out"
[ "$status" -eq 77 ] && exit 77
[ "$status" -eq 0 ] || { echo "FAIL: the bench ended with status $status"; exit 1; }
grep -q '^compared: .* they agree$' <<< "$out" || { echo "FAIL: the bench compared nothing and ended with status 0"; exit 1; }
