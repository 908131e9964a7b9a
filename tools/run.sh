#!/usr/bin/env bash
# Sets up (if needed), builds, and runs Spiralis.scr under Wine.
#   tools/run.sh            full-screen saver (same as /s)
#   tools/run.sh /c         options dialog; /p <hwnd>, /a ... as the system passes them
# With a usable display the saver runs there until dismissed. Without one, it runs
# in a private Xvfb for a few seconds and a screenshot is saved in the build tree
# (for /c one of each page of the options dialog, screenshot-options-1..5.png).
#   tools/run.sh --linux [options]   the native Linux hack instead (its options:
#                                    --linux --help); in a window of its own, or
#                                    without a display on a private Xvfb's root
#                                    window, saved as build-linux/screenshot.png
#   tools/run.sh --web [PORT]        the web page instead: built in build-web/site
#                                    and served on http://127.0.0.1:PORT/ (8000)
#   tools/run.sh --monitors 2 [/s ...]   the same on two monitors side by side
#                (1024x768 and 800x600, a nested Xephyr window; without a
#                display the screenshot shows both, build/screenshot-monitors.png)
# Its Wine prefixes are its own, never the tests' (see wine_env in common.sh):
# build/run-prefix on a display, build/screenshot-prefix for the screenshots,
# build/run-monitors-prefix and build/screenshot-monitors-prefix with
# --monitors 2. A test run's wineserver -k thus never ends a saver started
# here, nor a screenshot run one that a person watches.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ "${1:-}" = "--web" ]; then
  build_web --target site
  exec node "$root/web/serve.js" "$web_build/site" "${2:-8000}"
fi

if [ "${1:-}" = "--linux" ]; then
  shift
  build_linux --target spiralis
  hack="$linux_build/spiralis"
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$hack" "$@"
  fi
  trap stop_all EXIT
  start_xvfb
  "$hack" -root "$@" &
  saver=$!
  sleep "${SPIRALIS_RUN_SECONDS:-6}"
  shot="$linux_build/screenshot.png"
  import -display "$DISPLAY" -window root "$shot"
  echo "screenshot: $shot"
  kill "$saver" 2>/dev/null || true
  wait "$saver" 2>/dev/null || true
  exit 0
fi

monitors=1
if [ "${1:-}" = "--monitors" ]; then monitors=${2:-2}; shift 2 || shift $#; fi
args=("$@")
[ ${#args[@]} -eq 0 ] && args=(/s)
setup_and_build --target Spiralis
scr="$build/Spiralis.scr"

if [ "$monitors" = 2 ]; then
  # A prefix of its own: Wine keeps the monitors it saw in a prefix.
  trap 'stop_two_monitors; stop_all' EXIT
  start_two_monitors
  xsetroot -solid '#FF00FF'  # whatever stays uncovered shows magenta
  if [ -z "$xvfb_pid" ]; then wine_env "$build/run-monitors-prefix"; else wine_env "$build/screenshot-monitors-prefix"; fi
  wine "$scr" "${args[@]}" &
  saver=$!
  sleep "${SPIRALIS_RUN_SECONDS:-8}"
  shot="$build/screenshot-monitors.png"
  import -display "$DISPLAY" -window root "$shot"
  echo "screenshot: $shot (monitors at 0,0 1024x768 and 1024,0 800x600)"
  if [ -z "$xvfb_pid" ]; then wait "$saver" || true; else kill "$saver" 2>/dev/null || true; fi
  exit 0
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  wine_env "$build/run-prefix"
  exec wine "$scr" "${args[@]}"
fi

trap stop_all EXIT
start_xvfb
wine_env "$build/screenshot-prefix"
seconds="${SPIRALIS_RUN_SECONDS:-6}"
# The options dialog's first-run hints would cover it: their boxes go to a file.
export SPIRALIS_MSGBOX='C:\spiralis-boxes.txt'
wine "$scr" "${args[@]}" &
saver=$!
sleep "$seconds"
case "${args[0],,}" in
  /c*|-c*)
    # One picture per page of the options dialog: Ctrl+Tab turns them.
    setup_and_build --target dialog_shots >/dev/null
    for page in 1 2 3 4 5; do
      shot="$build/screenshot-options-$page.png"
      import -display "$DISPLAY" -window root "$shot"
      echo "screenshot: $shot"
      (cd "$build" && wine tools/dialog_shots.exe nextpage "Options for Spiralis") >/dev/null 2>&1 || true
      sleep 1
    done ;;
  *)
    shot="$build/screenshot.png"
    import -display "$DISPLAY" -window root "$shot"
    echo "screenshot: $shot" ;;
esac
kill "$saver" 2>/dev/null || true
