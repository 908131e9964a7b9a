#!/usr/bin/env bash
# The hostile-input harnesses: builds, then drives the real Spiralis.scr
# under Wine in a private Xvfb and a Wine prefix of its own (so it can run
# beside tools/test.sh), or gives the same inputs to the real code in one
# process. Runs for minutes; CI runs 1000 cases of each in-process phase.
#   tools/hostile/run.sh cmdlines [count] [seed]          generated command lines (default 2000)
#   tools/hostile/run.sh registry [count] [seed]          generated registry states (default 300)
#   tools/hostile/run.sh soak [seconds]                   one long full-screen run (default 600)
#   tools/hostile/run.sh cmdlines-inproc [count] [seed]   command lines through the parser (default 10000)
#   tools/hostile/run.sh registry-inproc [count] [seed]   registry states through the value layer (default 10000)
# Each run's verdict (the in-process phases: each failed case's) goes to
# build/hostile/<phase>.log (and the screen); the last line sums the phase
# up. The exit code is the number of failed runs (in process: 1 on any).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

phase="${1:?usage: tools/hostile/run.sh cmdlines|registry|soak|cmdlines-inproc|registry-inproc [count] [seed]}"
shift
harness=hostile
case "$phase" in *-inproc) harness=hostile_inproc ;; esac
setup_and_build --target "$harness" >/dev/null
trap stop_all EXIT
start_xvfb
mkdir -p "$build/hostile"
# A prefix per phase: phases may run at the same time, each with its own wineserver.
wine_env "$build/hostile/prefix-$phase"
"$build/wine-run.sh" "$build/tools/$harness.exe" "$phase" "$@" | tee "$build/hostile/$phase.log"
