#!/usr/bin/env bash
# Sets up (if needed), builds, and runs every test in a private Xvfb: the
# Windows saver's under Wine, the native Linux hack's (built in build-linux),
# the fuzz targets (build-fuzz) and the web page's (build-web), all in the one
# ctest run. The Windows tests run in the build's Wine prefix
# (build/wineprefix), whose wineserver is ended at the start and at the end;
# tools/run.sh and the frame benchmarks run in prefixes of their own (see
# wine_env in common.sh), so a test run ends none of theirs. tools/setup.sh
# runs once, for every build.
# Extra arguments go to ctest (for example: -R framework --output-on-failure).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

setup_and_build
build_linux
build_fuzz
build_web
trap stop_all EXIT
start_xvfb
wine_env
cd "$build"
ctest --output-on-failure --timeout 600 "$@"
