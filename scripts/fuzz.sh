#!/usr/bin/env bash
# Builds and runs every fuzz target for N seconds (default 20), together with
# the sanitized test pass.
exec "$(dirname "$0")/sanitize.sh" "${1:-20}"
