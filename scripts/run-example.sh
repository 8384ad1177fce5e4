#!/usr/bin/env bash
# Starts the program from a build tree on the example project.
set -euo pipefail
build=${1:-build}; shift || true
prog="$build/root/PM2/pelmora2"
example=examples/blinky/Blinky.pm2
if [ -f "$example" ]; then
  exec "$prog" -b "$example" "$@"
fi
exec "$prog" "$@"
