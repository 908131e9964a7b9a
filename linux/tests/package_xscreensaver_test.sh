#!/usr/bin/env bash
# The packaged hack in XScreenSaver's list, as an unprivileged user finds it.
# The daemon runs as `nobody` on an Xvfb of its own, with the program list
# and the hacks folder of a private root (package_root.sh) in place of this
# machine's (XFILESEARCHPATH, PATH), and no ~/.xscreensaver; it is already
# running when the package is installed. Spiralis must then be the list's
# first entry: `xscreensaver-command -select 1` runs it, from where the
# package put it. Then a ~/.xscreensaver that an older XScreenSaver wrote,
# its list without spiralis: the daemon merges the system's list into it,
# new entries after the user's, so -select (user's entries + 1) runs it.
#   Usage: package_xscreensaver_test.sh spiralis_VERSION_ARCH.deb
set -uo pipefail
source "$(dirname "$0")/daemon.sh"
deb=$(readlink -f "$1")
open_daemon_test listed
source "$(dirname "$0")/package_root.sh"
package_root "$work/root" "$deb" || fail "no private root"
hack="$root/usr/libexec/xscreensaver/spiralis"
chown "$user" "$work/home"
start_daemon "$work/home" "$work/daemon.log" XFILESEARCHPATH="$root/etc/X11/%T/%N%S" \
  PATH="$root/usr/libexec/xscreensaver:$PATH"
waitfor 60 answers || fail "the daemon did not answer within 60 s"

in_root -i "$deb" >"$work/install.log" 2>&1 || fail "installation"
# The hack ended and the daemon's helper that ran it too: a -select while the
# helper still fades the screen back ends it, and its stand-in runs any hack.
gone() { [ -z "$(hacks)" ] && ! pgrep -P "$daemon" -f xscreensaver-gfx >/dev/null; }
# Runs entry N of the daemon's list; it must be the packaged spiralis.
select_spiralis() {
  xscreensaver-command -select "$1" >/dev/null 2>&1 || fail "-select $1 was refused ($2)"
  waitfor 30 runs_as_user || fail "-select $1 started no packaged spiralis as $user ($2): $(hacks)"
  xscreensaver-command -deactivate >/dev/null 2>&1 || fail "-deactivate was refused ($2)"
  waitfor 60 gone || fail "the hack still runs after -deactivate ($2)"
}
select_spiralis 1 "no ~/.xscreensaver"

# As XScreenSaver 5 wrote it: its settings and the list of that time.
list=$(sed -n '/^\*programs:/,/[^\\]$/p' "$root/etc/X11/app-defaults/XScreenSaver-gl" | grep -v spiralis)
printf '%s\n' '# XScreenSaver Preferences File' '# Written by xscreensaver-demo 5.45 for nobody.' '' \
  'mode: random' 'fade: False' "${list#\*}" >"$work/home/.xscreensaver"
chown "$user" "$work/home/.xscreensaver"
own=$(($(grep -c '\\n' <<<"$list")))
[ "$own" -gt 0 ] || fail "no entries found in the system's list"
select_spiralis $((own + 1)) "a ~/.xscreensaver of $own entries without spiralis"
echo "ok: listed first for a user without ~/.xscreensaver, merged after the $own entries of an older one"
