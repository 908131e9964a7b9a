#!/usr/bin/env bash
# The hostile-input harness: builds, then drives the real Spiralis.scr under
# Wine in a private Xvfb and a Wine prefix of its own (so it can run beside
# tools/test.sh). Runs for minutes; not part of the tests.
#   tools/hostile/run.sh cmdlines [count] [seed]   generated command lines (default 2000)
#   tools/hostile/run.sh registry [count] [seed]   generated registry states (default 300)
#   tools/hostile/run.sh soak [seconds]            one long full-screen run (default 600)
# Each run's verdict goes to build/hostile/<phase>.log (and the screen); the
# last line sums the phase up. The exit code is the number of failed runs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

phase="${1:?usage: tools/hostile/run.sh cmdlines|registry|soak [count] [seed]}"
shift
setup_and_build --target hostile >/dev/null
trap stop_all EXIT
start_xvfb
mkdir -p "$build/hostile"
# A prefix per phase: phases may run at the same time, each with its own wineserver.
wine_env "$build/hostile/prefix-$phase"
"$build/wine-run.sh" "$build/tools/hostile.exe" "$phase" "$@" | tee "$build/hostile/$phase.log"
