#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for N seconds (default 20).
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
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPM2_WITH_QT=OFF -DPM2_TESTS=OFF -DPM2_BENCH=OFF -DPM2_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)"
status=0
while read -r name; do
  [ -n "$name" ] || continue
  exe=$(find build-fuzz -type f -name "$name" -perm -u+x | head -n 1)
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/$name"
  echo "== fuzz $name for ${seconds}s"
  args=("$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  if ! "$exe" -max_total_time="$seconds" -print_final_stats=0 "${args[@]}" >"build-fuzz/$name.log" 2>&1; then
    tail -n 40 "build-fuzz/$name.log"
    status=1
  fi
done < build-fuzz/fuzzers.txt
exit $status
