#!/usr/bin/env bash
# Builds with clang, AddressSanitizer and UndefinedBehaviorSanitizer, in one
# tree (build-san) for both passes below, so that the libraries both need are
# compiled once. Without optimisation: it halves the compiler's time, and
# the checks see at least as much.
#   sanitize.sh [N]   the tests of the Qt-free code that reads outside input,
#                     then every fuzz target for N seconds (default 20; 0
#                     skips fuzzing)
#   sanitize.sh window
#                     the window program and a chosen few of its test
#                     programs, and one end-to-end road under Xvfb: the
#                     editor views, the main frame, and a debug session of
#                     the example ended by File > Exit with editors open.
#                     (Not every window test: CI's time allows the program's
#                     build and these.)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
need=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}"
fi
dir=build-san
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-O0 -g1" -DCMAKE_C_FLAGS="-O0 -g1" \
  -DPM2_WITH_QT=ON -DPM2_BENCH=OFF -DPM2_SANITIZE=ON -DPM2_FUZZ=ON >/dev/null
if [ "$seconds" = window ]; then
  tests=(editor_view_test editor_ide_test shell_frame_test)
  cmake --build "$dir" -j "$(nproc)" --target pelmora2 GdbDrv screen_grab "${tests[@]}"
  # Every process's reports go to files, the window program's under the
  # end-to-end road too (its output is the script's); any report fails the
  # run. Qt's own allocations at exit are not ours to answer for.
  reports="$(pwd)/$dir/reports"
  rm -rf "$reports" && mkdir -p "$reports"
  regex="^($(IFS='|'; echo "${tests[*]}"))\\.|^debugger_traps_end_to_end$"
  status=0
  ASAN_OPTIONS="detect_leaks=0:log_path=$reports/asan" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan" \
    ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" -R "$regex" || status=1
  if [ -n "$(ls -A "$reports")" ]; then
    cat "$reports"/*
    status=1
  fi
  exit $status
fi
# The test programs of the code that reads what others wrote (stored files,
# tools' output, other processes' records) or does its own memory work; the
# rest of the Qt-free code is only reached by the fuzz targets' inputs.
san_tests=(platform_files_test project_text_test project_model_test project_files_test project_devices_test
           project_environment_test project_import_test builder_preprocessor_test builder_runner_test
           builder_commands_test builder_driver_test ipc_events_test ipc_transport_test editor_text_test
           editor_wizard_test browser_reader_test debugger_gdb_test debugger_session_test toolkit_core_test)
mapfile -t fuzzers < <(grep -v '^$' "$dir/fuzzers.txt")
cmake --build "$dir" -j "$(nproc)" --target "${san_tests[@]}" "${fuzzers[@]}"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" -R "^($(IFS='|'; echo "${san_tests[*]}"))\."
[ "$seconds" -gt 0 ] || exit 0

# Each fuzz target is one process; run as many at once as there are cores.
run_one() {
  local dir=$1 seconds=$2 name=$3
  local exe corpus
  exe=$(find "$dir" -type f -name "$name" -perm -u+x | head -n 1)
  corpus="$dir/corpus/$name"
  mkdir -p "$corpus"
  local args=("$corpus")
  [ -d "fuzz/seeds/$name" ] && args+=("fuzz/seeds/$name")
  if "$exe" -max_total_time="$seconds" -print_final_stats=0 "${args[@]}" >"$dir/$name.log" 2>&1; then
    echo "== fuzz $name: ${seconds}s clean"
  else
    echo "== fuzz $name: FAILED"
    tail -n 40 "$dir/$name.log"
    return 1
  fi
}
export -f run_one
grep -v '^$' "$dir/fuzzers.txt" | xargs -P "$(nproc)" -I{} bash -c 'run_one "$@"' _ "$dir" "$seconds" {}
