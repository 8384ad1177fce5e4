#!/usr/bin/env bash
# Developer entry point: installs what is missing, builds, and runs the IDE or the tests.
#   ./pm2.sh run     build the program (and what it needs to run) and start
#                    it on the example project
#   ./pm2.sh test    build everything, tests and benchmarks included, and run
#                    every test
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here"

# fonts-dejavu-core: the only fonts the tests see (cmake/Pm2TestFonts.cmake).
packages=(cmake ninja-build make g++ ccache libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev gcc-arm-none-eabi libnewlib-arm-none-eabi xvfb xdotool openbox x11-utils
          gdb-multiarch qemu-system-arm fonts-dejavu-core)

install_missing() {
  local missing=()
  for p in "${packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# build DIR [TARGET...]: configures DIR and builds the targets (all without any).
build() {
  local dir=$1; shift
  # Optimised, without debug information: it costs a third of the build's
  # time (configure a tree of your own with -DCMAKE_BUILD_TYPE=Debug to debug).
  # PM2_BENCH=OFF leaves the benchmarks out, PM2_UNITY_TESTS=ON compiles each
  # test program as one file (CI, which builds everything once).
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPM2_BENCH="${PM2_BENCH:-ON}" \
    -DPM2_UNITY_TESTS="${PM2_UNITY_TESTS:-OFF}" \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build "$dir" -j "$(nproc)" --target "$@"
  else
    cmake --build "$dir" -j "$(nproc)"
  fi
}

case "${1:-}" in
  run)
    install_missing
    # The program brings the spawn helper and the device database with it;
    # configuring lays out the installation root (TOOLS.INI, tool folders).
    build build pelmora2
    shift
    exec scripts/run-example.sh build "$@"
    ;;
  test)
    install_missing
    build build
    ctest --test-dir build --output-on-failure -j "$(nproc)"
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
