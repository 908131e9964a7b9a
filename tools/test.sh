#!/usr/bin/env bash
# Sets up (if needed), builds, and runs every test under Wine in a private Xvfb.
# Extra arguments go to ctest (for example: -R framework --output-on-failure).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

setup_and_build
trap stop_all EXIT
start_xvfb
wine_env
cd "$build"
ctest --output-on-failure --timeout 600 "$@"
