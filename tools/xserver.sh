# Sourced by the scripts that need an X server of their own (tools/common.sh,
# linux/tests/daemon.sh).
# start_x_server PID_VAR COMMAND...: starts the X server COMMAND, which picks
# a free display number itself and tells it through a pipe; sets DISPLAY to
# it and the variable named PID_VAR to the server's pid.
start_x_server() {
  local pid_var=$1; shift
  local fifo n; fifo=$(mktemp -u); mkfifo "$fifo"
  "$@" -displayfd 3 3>"$fifo" >/dev/null 2>&1 &
  printf -v "$pid_var" '%s' "$!"
  read -r -t 20 n <"$fifo" || n=
  rm -f "$fifo"
  if [ -z "$n" ]; then echo "$1 did not start" >&2; return 1; fi
  export DISPLAY=":$n"
}
