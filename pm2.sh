#!/usr/bin/env bash
# Developer entry point: installs what is missing, builds, and runs the IDE or the tests.
#   ./pm2.sh run     build and start Pelmora2 on the example project
#   ./pm2.sh test    build and run every test
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here"

packages=(cmake ninja-build g++ ccache libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev gcc-arm-none-eabi libnewlib-arm-none-eabi xvfb xdotool)

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

build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

case "${1:-}" in
  run)
    install_missing
    build build
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
