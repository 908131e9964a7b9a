#!/usr/bin/env bash
# Sets up (if needed), builds, and runs every test in a private Xvfb: the
# Windows saver's under Wine, both builds' (the 64-bit one's tests end in
# "-x64", the 32-bit one's in "-x86"), the native Linux hack's (built in
# build-linux), the fuzz targets (build-fuzz) and the web page's (build-web),
# all in the one ctest run. The Windows tests run in the builds' Wine
# prefixes (build/wineprefix, 32-bit, and build/x64/wineprefix, 64-bit),
# whose wineservers are ended at the start and at the end; tools/run.sh and
# the frame benchmarks run in prefixes of their own (see wine_env in
# common.sh), so a test run ends none of theirs. tools/setup.sh runs once,
# for every build.
# Extra arguments go to ctest (for example: -R framework --output-on-failure).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

setup_and_build
build_linux
build_fuzz
build_web
trap stop_all EXIT
start_xvfb
wine_env_x64
wine_env
cd "$build"
ctest --output-on-failure --timeout 600 "$@"
