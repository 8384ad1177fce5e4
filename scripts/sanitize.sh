#!/usr/bin/env bash
# Builds the Qt-free libraries and their tests with ASan and UBSan and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPM2_WITH_QT=OFF \
      -DPM2_BENCH=OFF -DPM2_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$(nproc)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
