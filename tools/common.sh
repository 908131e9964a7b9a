# Shared by run.sh and test.sh: setup, build, and a private X display.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${SPIRALIS_BUILD:-$root/build}"
# The native Linux hack (linux/) builds beside it, with the system's compiler;
# the web page (web/) too, with emscripten.
linux_build="$build-linux"
web_build="$build-web"

# tools/setup.sh once per top-level command: the first call runs it and marks
# it done for the rest of the command (and for the scripts it starts), so a
# script that builds twice, or both builds, checks the packages once.
setup_once() {
  if [ -z "${SPIRALIS_SETUP_DONE:-}" ]; then
    "$root/tools/setup.sh"
    export SPIRALIS_SETUP_DONE=1
  fi
}

setup_and_build() {
  setup_once
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$(nproc)" "$@"
}

# The Linux build also makes the Debian package, whatever target was asked
# for: build-linux/spiralis_<version>_<arch>.deb (linux/package).
build_linux() {
  setup_once
  cmake -S "$root/linux" -B "$linux_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$linux_build" -j "$(nproc)" "$@"
  cmake --build "$linux_build" --target deb
}

# The fuzz targets (tools/fuzz) build beside it too, with clang and libFuzzer.
fuzz_build="$build-fuzz"
build_fuzz() {
  setup_once
  cmake -S "$root/tools/fuzz" -B "$fuzz_build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$fuzz_build" -j "$(nproc)"
}

# The page's folder, build-web/site, when emscripten is there.
build_web() {
  setup_once
  if ! command -v emcc >/dev/null; then
    echo "no emscripten (emcc): the web page is not built" >&2
    return 0
  fi
  cmake -S "$root/web" -B "$web_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$web_build" -j "$(nproc)" "$@"
}

xvfb_pid=
source "$root/tools/xserver.sh"
start_xvfb() {
  start_x_server xvfb_pid Xvfb -screen 0 1024x768x24 -nolisten tcp
}

stop_all() {
  if [ -n "${WINEPREFIX:-}" ]; then WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true; fi
  if [ -n "${x64_wineprefix:-}" ]; then WINEPREFIX="$x64_wineprefix" wineserver -k 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}

# The Wine prefixes. Each has one wineserver, and wine_env ends whatever runs
# in the prefix it is given, so whatever may run at the same time takes a
# prefix of its own:
#   build/wineprefix        the tests' (tools/test.sh, build/wine-run.sh)
#   build/run-prefix        tools/run.sh on a person's display
#   build/screenshot-prefix tools/run.sh without a display (its screenshots)
#   build/run-monitors-prefix, build/screenshot-monitors-prefix
#                           the same for tools/run.sh --monitors 2
#   build/monitors-prefix, build/monitors-prefix-up-left   the two-monitor tests (tests/monitors)
#   build/bench-prefix      the frame benchmarks (tools/frame-bench)
#   build/shots-prefix      tools/dialog-shots.sh
#   build/hostile/prefix-*  tools/hostile/run.sh, one per phase
#   build/x64/...           the same for the 64-bit build's programs (64-bit
#                           prefixes: build/x64/wineprefix for its tests)
# So a test run never ends a saver started by hand, nor a benchmark a test run.
# wine_env sets up the build's (the tests') prefix, or the one named (then
# build/wine-run.sh uses it too).
wine_env() {
  # The build's kind of prefix: 64-bit for the 64-bit build (CMake writes it).
  export WINEPREFIX="${1:-$build/wineprefix}" WINEARCH
  WINEARCH=$(cat "$build/wine-arch" 2>/dev/null || echo win32)
  if [ -n "${1:-}" ]; then export SPIRALIS_WINEPREFIX="$WINEPREFIX"; fi
  export WINEDLLOVERRIDES="mscoree,mshtml="
  "$root/tools/prefix.sh" "$WINEPREFIX"
  # One wineserver for the whole run, with Wine's own services started now,
  # outside any pipe a caller reads: each program then starts fast, and no
  # service holds a test runner's output open.
  # A wineserver left running for this prefix (a run by hand on another
  # display) would keep its desktop there: start afresh on ours.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p
  WINEDEBUG=-all wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# The 64-bit build's test prefix (build/x64/wineprefix), made ready and given
# its wineserver for the run like the build's own; stop_all ends it.
x64_wineprefix=
wine_env_x64() {
  x64_wineprefix="$build/x64/wineprefix"
  (build="$build/x64" && unset SPIRALIS_WINEPREFIX && wine_env)
}

# A display with two monitors, a 1024x768 primary and an 800x600 one: a
# nested Xephyr with two screens, Xinerama on and RandR off, so that Wine
# sees two monitors. The second is right of the primary, or with
# SPIRALIS_MONITORS=up-left above and left of it (Wine puts the primary, the
# first screen, at 0,0: the other starts at -800,-600). It opens inside the
# current display, or inside a private Xvfb when there is none. Sets DISPLAY
# to it; stop_two_monitors ends it.
xephyr_pid=
start_two_monitors() {
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then start_xvfb; fi
  local screens=(-screen 1024x768 -screen 800x600)
  if [ "${SPIRALIS_MONITORS:-}" = up-left ]; then
    screens=(-origin 800,600 -screen 1024x768 -origin 0,0 -screen 800x600)
  fi
  start_x_server xephyr_pid Xephyr "${screens[@]}" +xinerama -extension RANDR -nolisten tcp -no-host-grab
}

stop_two_monitors() {
  if [ -n "${WINEPREFIX:-}" ]; then WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true; fi
  if [ -n "$xephyr_pid" ]; then kill "$xephyr_pid" 2>/dev/null || true; wait "$xephyr_pid" 2>/dev/null || true; fi
}
