#!/usr/bin/env bash
# The hack under the real XScreenSaver daemon on a display of its own, the
# hack (by its full path) the only display mode. The daemon runs as an
# unprivileged user: as root it launches none. `xscreensaver-command
# -activate` must show the galaxy, `-deactivate` end the hack.
#   Usage: xscreensaver_test.sh /path/to/spiralis
set -uo pipefail
source "$(dirname "$0")/daemon.sh"
hack=$(readlink -f "$1")
open_daemon_test xss

# The daemon's user runs a copy in the work folder: the build tree may lie
# below a folder that only root can enter.
install -m 755 "$hack" "$work/spiralis"
hack="$work/spiralis"

# '#' would begin a shell comment: the colours by name (navy is #000080).
printf '%s\n' 'timeout: 0:30:00' 'lock: False' 'fade: False' 'unfade: False' 'splash: False' 'mode: one' \
  'selected: 0' "programs: GL: $hack --root --background navy --explosion yellow --density 100 --probability 60 \\n" \
  >"$work/home/.xscreensaver"
chown -R "$user" "$work/home"
start_daemon "$work/home" "$work/daemon.log"

shows() { local px; px=$(import -window root -depth 8 txt:- 2>/dev/null); grep -qi '#FFFF00' <<<"$px" && grep -qi '#000080' <<<"$px"; }
gone() { [ -z "$(hacks)" ]; }

waitfor 60 answers || fail "the daemon did not answer within 60 s"
gone || fail "a hack runs before activation"
xscreensaver-command -activate >/dev/null 2>&1 || fail "-activate was refused"
waitfor 60 runs_as_user || fail "-activate started no spiralis as $user: $(hacks)"
waitfor 60 shows || fail "the screen does not show the galaxy's colours"
xscreensaver-command -deactivate >/dev/null 2>&1 || fail "-deactivate was refused"
waitfor 30 gone || fail "the hack still runs after -deactivate"
echo "ok: activated, the galaxy showed, deactivated, the hack ended"
