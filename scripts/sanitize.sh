#!/usr/bin/env bash
# Builds the Qt-free libraries, their tests and the fuzz targets once with
# clang, AddressSanitizer and UndefinedBehaviorSanitizer; runs the tests, then
# every fuzz target for N seconds (default 20; 0 skips fuzzing).
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
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPM2_WITH_QT=OFF -DPM2_BENCH=OFF -DPM2_SANITIZE=ON -DPM2_FUZZ=ON >/dev/null
cmake --build "$dir" -j "$(nproc)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
[ "$seconds" -gt 0 ] || exit 0
status=0
while read -r name; do
  [ -n "$name" ] || continue
  exe=$(find "$dir" -type f -name "$name" -perm -u+x | head -n 1)
  corpus="$dir/corpus/$name"
  mkdir -p "$corpus"
  args=("$corpus")
  [ -d "fuzz/seeds/$name" ] && args+=("fuzz/seeds/$name")
  echo "== fuzz $name for ${seconds}s"
  if ! "$exe" -max_total_time="$seconds" -print_final_stats=0 "${args[@]}" >"$dir/$name.log" 2>&1; then
    tail -n 40 "$dir/$name.log"
    status=1
  fi
done < "$dir/fuzzers.txt"
exit $status
