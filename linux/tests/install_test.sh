#!/usr/bin/env bash
# `cmake --install` into a staging root that has Debian's XScreenSaver
# program list: the hack and its settings file land where the package looks
# for them, and the list names spiralis once, however often it is installed.
#   Usage: install_test.sh BUILD_DIR
set -uo pipefail
build=$1
stage=$(mktemp -d /tmp/spiralis-install.XXXXXX)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

lists="$stage/etc/X11/app-defaults"
mkdir -p "$lists"
# As the package has it: XScreenSaver a link to the GL variant.
printf '%s\n' '! defaults' '*programs:								      \' \
  '				maze --root				    \n\' \
  '  GL: 				superquadrics --root			    \n\' '' '*mode: random' >"$lists/XScreenSaver-gl"
ln -s XScreenSaver-gl "$lists/XScreenSaver"

for round in 1 2; do
  DESTDIR="$stage" cmake --install "$build" >"$stage/install.log" 2>&1 || { cat "$stage/install.log"; fail "install $round failed"; }
done
[ -x "$stage/usr/libexec/xscreensaver/spiralis" ] || fail "no hack in /usr/libexec/xscreensaver"
cmp -s "$stage/usr/share/xscreensaver/config/spiralis.xml" "$(dirname "$0")/../spiralis.xml" ||
  fail "no settings file in /usr/share/xscreensaver/config"
[ -L "$lists/XScreenSaver" ] || fail "the link to the program list was replaced"
[ "$(grep -c 'spiralis --root' "$lists/XScreenSaver-gl")" = 1 ] || fail "the program list does not name spiralis once"
# The new entry is a GL entry inside the list, before the ones it had.
awk '/programs:/{p=1} p&&/GL:.*spiralis --root.*\\n\\$/{print "in"; exit} /maze/{exit}' "$lists/XScreenSaver-gl" |
  grep -q in || fail "spiralis is not a GL entry at the head of the list: $(cat "$lists/XScreenSaver-gl")"
"$stage/usr/libexec/xscreensaver/spiralis" --help | grep -q "^usage: spiralis" || fail "the installed hack does not run"
echo "ok: installed into $stage and listed once"
