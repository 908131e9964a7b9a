#!/usr/bin/env bash
# Runs a test program of this build on a display with two monitors (1024x768
# primary, 800x600 to its right, or above and left of it with
# SPIRALIS_MONITORS=up-left): a nested Xephyr inside an Xvfb of its own, in a
# Wine prefix of its own for each layout (Wine keeps the monitors it saw in a
# prefix). The root window is painted a colour no program of ours draws
# (magenta), so whatever is left uncovered shows.
#   tests/monitors/two-monitors.sh PROGRAM.exe [ARGS...]
set -euo pipefail
program=$1; shift
export SPIRALIS_BUILD=${SPIRALIS_BUILD:-$(cd "$(dirname "$program")/.." && pwd)}
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/common.sh"
trap 'stop_two_monitors; stop_all' EXIT
unset DISPLAY
start_two_monitors
xsetroot -solid '#FF00FF'
wine_env "$build/monitors-prefix${SPIRALIS_MONITORS:+-$SPIRALIS_MONITORS}" >/dev/null
"$build/wine-run.sh" "$program" "$@"
