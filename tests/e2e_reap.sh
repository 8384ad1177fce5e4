#!/usr/bin/env bash
# The clean-up after the end-to-end runs (a ctest fixture's clean-up, run
# also when a run failed or its time ran out and it was killed outright):
# removes what runs whose script is gone left (e2e_reap in e2e_common.sh).
#   e2e_reap.sh
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
e2e_reap
