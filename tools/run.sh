#!/usr/bin/env bash
# Sets up (if needed), builds, and runs Spiralis.scr under Wine.
#   tools/run.sh            full-screen saver (same as /s)
#   tools/run.sh /c         options dialog; /p <hwnd>, /a ... as the system passes them
# With a usable display the saver runs there until dismissed. Without one, it runs
# in a private Xvfb for a few seconds and a screenshot is saved in the build tree.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

args=("$@")
[ ${#args[@]} -eq 0 ] && args=(/s)
setup_and_build --target Spiralis
scr="$build/Spiralis.scr"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  wine_env
  exec wine "$scr" "${args[@]}"
fi

trap stop_all EXIT
start_xvfb
wine_env
seconds="${SPIRALIS_RUN_SECONDS:-6}"
shot="$build/screenshot.png"
wine "$scr" "${args[@]}" &
saver=$!
sleep "$seconds"
import -display "$DISPLAY" -window root "$shot"
kill "$saver" 2>/dev/null || true
echo "screenshot: $shot"
