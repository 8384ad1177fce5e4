#!/usr/bin/env bash
# Builds and runs every fuzz target for N seconds (default 20).
exec "$(dirname "$0")/../pm2.sh" fuzz "${1:-20}"
