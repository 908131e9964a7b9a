# Sourced by the tests that run the real XScreenSaver daemon. It runs as an
# unprivileged user ($user): as root it launches no hack.
#   needs_daemon               ends the test unless it runs as root with
#                              XScreenSaver: skipped (77), but failed under
#                              CI, which has both
#   start_display FIFO         an Xvfb of its own (320x240); DISPLAY set to it
#   start_daemon HOME LOG [VAR=VALUE...]   the daemon as $user, with that home
#                              and environment, its output in LOG
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
start_display() {
  local n
  mkfifo "$1"
  Xvfb -displayfd 3 -screen 0 320x240x24 -nolisten tcp 3>"$1" >/dev/null 2>&1 &
  xvfb=$!
  read -r -t 20 n <"$1" || return 1
  export DISPLAY=":$n"
}
start_daemon() {
  local home=$1 log=$2; shift 2
  env HOME="$home" "$@" setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
    xscreensaver -no-splash -verbose >"$log" 2>&1 &
  daemon=$!
}
hacks() { for p in /proc/[0-9]*; do [ "$(readlink "$p/exe")" = "$hack" ] && stat -c %U "$p"; done 2>/dev/null; }
runs_as_user() { [ "$(hacks)" = "$user" ]; }
waitfor() { local end=$((SECONDS + $1)); shift; until "$@"; do [ $SECONDS -ge $end ] && return 1; sleep 0.2; done; }
