# Sourced by the tests that run the real XScreenSaver daemon. It runs as an
# unprivileged user ($user): as root it launches no hack.
#   needs_daemon               ends the test unless it runs as root with
#                              XScreenSaver: skipped (77), but failed under
#                              CI, which has both
#   open_daemon_test NAME      needs_daemon, then a work folder $work with a
#                              home/ (both open to $user) and an Xvfb of its
#                              own (320x240, DISPLAY set); at the end the
#                              daemon and the display are ended and $work removed
#   fail MESSAGE               the test fails, with the *.log files of $work
#   start_daemon HOME LOG [VAR=VALUE...]   the daemon as $user, with that home
#                              and environment, its output in LOG
#   answers                    the daemon runs and answers on the display
#   hacks                      the owners of the processes of $hack
#   runs_as_user               $hack runs, as $user only
#   waitfor SECONDS COMMAND... until COMMAND succeeds, at most SECONDS
user=nobody xvfb= daemon=
needs_daemon() {
  [ "$(id -u)" -eq 0 ] && command -v xscreensaver >/dev/null && return 0
  echo "needs root and xscreensaver"
  [ "${CI:-}" = true ] && exit 1
  exit 77
}
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/xserver.sh"
fail() { echo "FAIL: $*"; cat "$work"/*.log 2>/dev/null; exit 1; }
open_daemon_test() {
  needs_daemon
  work=$(mktemp -d "/tmp/spiralis-$1.XXXXXX")
  trap '[ -n "$daemon" ] && kill $daemon; [ -n "$xvfb" ] && kill $xvfb; wait; rm -rf "$work"' EXIT
  chmod 755 "$work" && mkdir -m 755 "$work/home"
  start_x_server xvfb Xvfb -screen 0 320x240x24 -nolisten tcp || fail "Xvfb did not start"
}
start_daemon() {
  local home=$1 log=$2; shift 2
  env HOME="$home" "$@" setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
    xscreensaver -no-splash -verbose >"$log" 2>&1 &
  daemon=$!
}
answers() { kill -0 "$daemon" 2>/dev/null && xscreensaver-command -version >/dev/null 2>&1; }
hacks() { for p in /proc/[0-9]*; do [ "$(readlink "$p/exe")" = "$hack" ] && stat -c %U "$p"; done 2>/dev/null; }
runs_as_user() { [ "$(hacks)" = "$user" ]; }
waitfor() { local end=$((SECONDS + $1)); shift; until "$@"; do [ $SECONDS -ge $end ] && return 1; sleep 0.2; done; }
