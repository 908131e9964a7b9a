#!/usr/bin/env bash
# `cmake --install` (twice) into a staging root holding a program list laid
# out as Debian's: the hack and its settings file land where XScreenSaver
# looks, and the list names spiralis once, as a GL entry.   Usage: install_test.sh BUILD_DIR
set -uo pipefail
stage=$(mktemp -d /tmp/spiralis-install.XXXXXX)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*"; cat "$stage/log" 2>/dev/null; exit 1; }
lists="$stage/etc/X11/app-defaults"
mkdir -p "$lists" && ln -s XScreenSaver-gl "$lists/XScreenSaver"
printf '%s\n' '*programs:	\' '	maze --root	\n\' '  GL:	cage --root	\n\' '' >"$lists/XScreenSaver-gl"
for round in 1 2; do DESTDIR="$stage" cmake --install "$1" >"$stage/log" 2>&1 || fail "install $round"; done
"$stage/usr/libexec/xscreensaver/spiralis" --help | grep -q "^usage: spiralis" || fail "no hack in /usr/libexec/xscreensaver"
cmp -s "$stage/usr/share/xscreensaver/config/spiralis.xml" "$1/spiralis.xml" || fail "no spiralis.xml"
entry=$(printf '  GL: \t\t\t\tspiralis --root\t\t\t    \\n\\')
[ "$(sed -n 2p "$lists/XScreenSaver-gl")" = "$entry" ] && [ "$(grep -c spiralis "$lists/XScreenSaver-gl")" = 1 ] &&
  [ -L "$lists/XScreenSaver" ] ||
  fail "the program list: $(cat "$lists/XScreenSaver-gl")"
echo ok
