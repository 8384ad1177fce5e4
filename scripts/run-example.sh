#!/usr/bin/env bash
# Starts the program from a build tree on the example project. With a
# display the IDE opens on a working copy of examples/blinky kept in the
# build tree (<build>/example/blinky), so that what the IDE writes on close
# (project file, backups, build outputs) leaves the example folder clean.
# Without a display the example is built from the command line.
set -euo pipefail
build=${1:-build}; shift || true
prog="$build/root/PM2/pelmora2"
example=examples/blinky
case "${QT_QPA_PLATFORM:-}" in offscreen*|minimal*) display="" ;; *) display="${DISPLAY:-}${WAYLAND_DISPLAY:-}" ;; esac
if [ -n "$display" ]; then
  work="$build/example/blinky"
  if [ ! -f "$work/Blinky.pm2" ]; then
    mkdir -p "$build/example"
    cp -r "$example" "$build/example/"
    echo "Working copy of the example: $work"
  fi
  exec "$prog" "$work/Blinky.pm2" "$@"
fi
echo "Pelmora2 needs a display for its window (DISPLAY and WAYLAND_DISPLAY are unset);"
echo "building the example from the command line instead."
exec "$prog" -b "$example/Blinky.pm2" "$@"
