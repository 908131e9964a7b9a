#!/usr/bin/env bash
# The hack under the real XScreenSaver daemon, on a display of its own: the
# daemon runs as an unprivileged user (as root it launches no display modes)
# whose only display mode is this hack, named by its full path.
# `xscreensaver-command -activate` must show the galaxy and `-deactivate`
# must end the hack.   Usage: xscreensaver_test.sh /path/to/spiralis
set -uo pipefail
hack=$(readlink -f "$1")
user=nobody
if [ "$(id -u)" -ne 0 ] || ! command -v xscreensaver >/dev/null; then
  echo "skipped: needs root (to run the daemon as $user) and xscreensaver"
  exit 77
fi

work=$(mktemp -d /tmp/spiralis-xss.XXXXXX)
chmod 755 "$work"
mkdir "$work/home"
xvfb=; daemon=
finish() {
  [ -n "$daemon" ] && kill "$daemon" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "FAIL: $*"; echo "--- daemon's output:"; cat "$work/daemon.log"; exit 1; }

fifo="$work/display"; mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 320x240x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r -t 20 n <"$fifo" || fail "Xvfb did not start"
export DISPLAY=":$n"

# Colours nothing else shows: a navy background (#000080), yellow explosions.
cat >"$work/home/.xscreensaver" <<CONF
timeout:	0:30:00
cycle:		0:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
mode:		one
selected:	0
programs:	GL: $hack --root --background navy --explosion yellow --density 100 --probability 60 \n
CONF
chown -R "$user" "$work/home"

HOME="$work/home" setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
  xscreensaver -no-splash -verbose >"$work/daemon.log" 2>&1 &
daemon=$!

# The hack's processes: those running our file.
hacks() {
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/exe" 2>/dev/null)" = "$hack" ] && echo "${p#/proc/}"
  done
}
waitfor() {  # seconds, command...
  local end=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -ge $end ] && return 1; sleep 0.2; done
}
colours() { import -display "$DISPLAY" -window root -depth 8 txt:- 2>/dev/null | grep -c -i -e "$1"; }
shows() { [ "$(colours '#FFFF00')" -gt 0 ] && [ "$(colours '#000080')" -gt 0 ]; }
running() { [ -n "$(hacks)" ]; }
gone() { [ -z "$(hacks)" ]; }

waitfor 20 xscreensaver-command -version >/dev/null 2>&1 || fail "the daemon did not answer"
gone || fail "a hack runs before activation"
xscreensaver-command -activate >/dev/null 2>&1 || fail "-activate was refused"
waitfor 20 running || fail "-activate started no spiralis"
waitfor 20 shows || fail "the screen does not show the galaxy's colours"
owner=$(stat -c %U "/proc/$(hacks | head -1)")
[ "$owner" = "$user" ] || fail "the hack runs as $owner"
xscreensaver-command -deactivate >/dev/null 2>&1 || fail "-deactivate was refused"
waitfor 10 gone || fail "the hack still runs after -deactivate"
if grep -i spiralis "$work/daemon.log" | grep -qi "core dumped\|crashed"; then fail "the daemon reports a crash"; fi
echo "ok: activated, the galaxy showed, deactivated, the hack ended"
