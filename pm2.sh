#!/usr/bin/env bash
# Developer entry point: installs what is missing, builds, and runs the IDE or the tests.
#   ./pm2.sh run     build the program (and what it needs to run) and start
#                    it on the example project
#   ./pm2.sh test    build everything, tests and benchmarks included, and run
#                    every test
#   ./pm2.sh fuzz [N]
#                    build the fuzz targets and run each for N seconds
#                    (default 20; 0 runs each over its seeds and corpus once)
#   ./pm2.sh build-tests, ./pm2.sh run-tests
#                    the two halves of test (CI runs them apart)
# PM2_SANITIZE=ON ./pm2.sh test builds everything with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer instead, in build-san, and runs every test
# under them (CI does); the fuzz targets are built in that tree.
# PM2_TEST_WHOLE_PROGRAMS=ON (either tree) runs each test program's cases in a few
# processes instead of one each (CI does: cmake/Pm2.cmake says why).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here"

# fonts-dejavu-core: the only fonts the tests see (cmake/Pm2TestFonts.cmake);
# libxcb1-dev: the start-up bench watches the X server itself.
# qt6-base-private-dev: the command walk queues its keys where the platform
# queues a user's (a loop that shuts out the keyboard and mouse holds them).
packages=(cmake ninja-build make g++ ccache libgtest-dev libgmock-dev libbenchmark-dev libxcb1-dev
          qt6-base-dev qt6-base-private-dev gcc-arm-none-eabi libnewlib-arm-none-eabi xvfb xdotool openbox x11-utils
          gdb-multiarch qemu-system-arm fonts-dejavu-core)

install_missing() {
  # One install at a time: CI runs two of these at once (its two trees),
  # and the second apt-get found the first one's lock and failed. The
  # second waits here, then finds what the first installed.
  local lock="${TMPDIR:-/tmp}/pm2-install-$(id -u).lock" install_lock=""
  if exec {install_lock}>>"$lock"; then flock "$install_lock"; else install_lock=""; fi
  local missing=()
  for p in "${packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    # Another program's apt (an automatic update) is waited for as well.
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -q
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
      --no-install-recommends "${missing[@]}"
  fi
  if [ -n "$install_lock" ]; then exec {install_lock}>&-; fi
}

# configure DIR: build-san is the sanitized tree, any other the normal one.
configure() {
  local dir=$1
  if [ "$dir" = build-san ]; then
    # Without optimisation: it halves the compiler's time, and the checks
    # see at least as much. Benchmarks under the sanitizers would measure
    # nothing a user sees.
    CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-O0 -g1" \
      -DCMAKE_C_FLAGS="-O0 -g1" -DPM2_BENCH=OFF -DPM2_UNITY_TESTS="${PM2_UNITY_TESTS:-OFF}" \
      -DPM2_UNITY_LIBS="${PM2_UNITY_LIBS:-OFF}" -DPM2_WERROR="${PM2_WERROR:-OFF}" \
      -DPM2_SANITIZE=ON -DPM2_FUZZ=ON -DPM2_TEST_WHOLE_PROGRAMS="${PM2_TEST_WHOLE_PROGRAMS:-OFF}" >/dev/null
  else
    # Optimised, without debug information: it costs a third of the build's
    # time (configure a tree of your own with -DCMAKE_BUILD_TYPE=Debug to debug).
    # PM2_BENCH=OFF leaves the benchmarks out, PM2_WALK=OFF the walk of every
    # command; PM2_UNITY_TESTS=ON compiles
    # each test program as one file and PM2_UNITY_LIBS=ON the files of each
    # library folder, PM2_WERROR=ON fails the build on a warning (CI, which
    # builds everything once). PM2_OPTIMISE sets the level (-O2 by default).
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPM2_BENCH="${PM2_BENCH:-ON}" \
      -DPM2_BENCH_UNOPTIMISED="${PM2_BENCH_UNOPTIMISED:-OFF}" -DPM2_WALK="${PM2_WALK:-ON}" \
      -DPM2_UNITY_TESTS="${PM2_UNITY_TESTS:-OFF}" -DPM2_UNITY_LIBS="${PM2_UNITY_LIBS:-OFF}" \
      -DPM2_WERROR="${PM2_WERROR:-OFF}" -DPM2_TEST_WHOLE_PROGRAMS="${PM2_TEST_WHOLE_PROGRAMS:-OFF}" \
      -DCMAKE_CXX_FLAGS_RELEASE="${PM2_OPTIMISE:--O2} -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="${PM2_OPTIMISE:--O2} -DNDEBUG" >/dev/null
  fi
}

# build DIR [TARGET...]: configures DIR and builds the targets (all without any).
build() {
  local dir=$1; shift
  configure "$dir"
  if [ $# -gt 0 ]; then
    cmake --build "$dir" -j "$(nproc)" --target "$@"
  else
    cmake --build "$dir" -j "$(nproc)"
  fi
}

# report_skips DIR LOG: counts and names the tests ctest skipped (its
# summary is in LOG), each with the reason it gave, and those skipped for a
# tool that is not installed apart. With PM2_SKIPS_FAIL=ON (CI, where this
# script has installed every tool) any skip fails the run.
report_skips() {
  local dir=$1 log=$2 name reason total=0 tools=0
  local -a names
  mapfile -t names < <(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$log")
  for name in "${names[@]}"; do
    # The reason: the line after GoogleTest's "file:line: Skipped", else the
    # last line the test printed (a script's "Xvfb is not installed").
    reason=$(awk -v start="\"$name\" start time:" '
      index($0, start) == 1 { inside = 1; next }
      !inside { next }
      /^<end of output>/ { print (said != "" ? said : last); exit }
      take { said = $0; take = 0 }
      /: Skipped$/ { take = 1 }
      NF { last = $0 }' "$dir/Testing/Temporary/LastTest.log")
    echo "   skipped: $name: ${reason:-no reason given}"
    total=$((total + 1))
    case "$reason" in *"not installed"*) tools=$((tools + 1)) ;; esac
  done
  echo "== skipped tests: $total ($tools because a tool is not installed; ./pm2.sh installs every tool)"
  if [ "$total" -gt 0 ] && [ "${PM2_SKIPS_FAIL:-OFF}" = ON ]; then
    echo "== a test that skips fails this run (PM2_SKIPS_FAIL=ON)"
    return 1
  fi
  return 0
}

# run_tests DIR: every test, two more at once than there are cores: the
# end-to-end runs (at most two at a time) mostly wait for their windows. In
# the sanitized tree every process's reports go to files, the window
# program's under the end-to-end scripts too, and any report fails the run.
# The skipped tests are counted and named at the end.
run_tests() {
  local dir=$1 status=0
  local jobs=$(($(nproc) + 2))
  local log="$dir/ctest_output.txt"
  if [ "$dir" != build-san ]; then
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" ${PM2_CTEST_ARGS:-} 2>&1 | tee "$log" || status=1
    report_skips "$dir" "$log" || status=1
    return $status
  fi
  local reports="$here/$dir/reports"
  rm -rf "$reports" && mkdir -p "$reports"
  # Leaks are looked for in the Qt-free test programs only (cmake/Pm2.cmake):
  # Qt keeps allocations of its own until the process ends.
  ASAN_OPTIONS="detect_leaks=0:log_path=$reports/asan" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan" \
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" ${PM2_CTEST_ARGS:-} 2>&1 | tee "$log" || status=1
  if [ -n "$(ls -A "$reports")" ]; then
    local f
    for f in "$reports"/*; do echo "== $f"; head -n 60 "$f"; done
    echo "sanitizer reports: $(ls "$reports" | wc -l)"
    status=1
  fi
  report_skips "$dir" "$log" || status=1
  return $status
}

# run_fuzzers DIR N: every fuzz target for N seconds over its corpus and
# seeds, as many at once as there are cores.
run_fuzzer() {
  local dir=$1 seconds=$2 name=$3
  local exe corpus
  exe=$(find "$dir" -type f -name "$name" -perm -u+x | head -n 1)
  corpus="$dir/corpus/$name"
  mkdir -p "$corpus"
  local args=("$corpus")
  [ -d "fuzz/seeds/$name" ] && args+=("fuzz/seeds/$name")
  # 0 seconds: the seeds and the corpus are run once each, nothing new is
  # tried (CI's check that no known input fails again).
  local limit=(-max_total_time="$seconds")
  [ "$seconds" = 0 ] && limit=(-runs=0)
  # Each run keeps its scratch files in a folder of its own, removed when
  # the run ends however it ends: a finding leaves by _Exit, running none
  # of the target's own clean-up.
  local scratch status=0
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/pm2fuzzrun_XXXXXX")
  TMPDIR=$scratch "$exe" "${limit[@]}" -print_final_stats=0 "${args[@]}" >"$dir/$name.log" 2>&1 ||
    status=$?
  rm -rf "$scratch"
  if [ "$status" -eq 0 ]; then
    if [ "$seconds" = 0 ]; then echo "== fuzz $name: seeds clean"; else echo "== fuzz $name: ${seconds}s clean"; fi
  else
    echo "== fuzz $name: FAILED"
    tail -n 40 "$dir/$name.log"
    return 1
  fi
}
run_fuzzers() {
  export -f run_fuzzer
  grep -v '^$' "$1/fuzzers.txt" | xargs -P "$(nproc)" -I{} bash -c 'run_fuzzer "$@"' _ "$1" "$2" {}
}

sanitizer_packages=(clang libclang-rt-14-dev lld)

case "${1:-}" in
  run)
    install_missing
    # The program brings the spawn helper and the device database with it;
    # configuring lays out the installation root (TOOLS.INI, tool folders).
    build build pelmora2
    shift
    exec scripts/run-example.sh build "$@"
    ;;
  test|build-tests|run-tests)
    tree=build
    if [ "${PM2_SANITIZE:-OFF}" = ON ]; then
      tree=build-san
      install_missing "${sanitizer_packages[@]}"
    else
      install_missing
    fi
    [ "$1" = run-tests ] || build "$tree"
    [ "$1" = build-tests ] || run_tests "$tree"
    ;;
  fuzz)
    install_missing "${sanitizer_packages[@]}"
    configure build-san
    mapfile -t fuzzers < <(grep -v '^$' build-san/fuzzers.txt)
    build build-san "${fuzzers[@]}"
    run_fuzzers build-san "${2:-20}"
    ;;
  *)
    echo "usage: $0 run|test|fuzz [seconds]|build-tests|run-tests" >&2
    exit 2
    ;;
esac
