#!/usr/bin/env bash
# program_list.sh on lists laid out otherwise than Debian's, under DPKG_ROOT:
# what an administrator made of the list stays as it is.
set -uo pipefail
script="$(dirname "$0")/../package/program_list.sh"
work=$(mktemp -d /tmp/spiralis-list.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; cat "$work/list" "$work/said"; exit 1; }
# run ACTION CHANGED LINES...: the list of LINES after ACTION; changed or not.
run() {
  local action=$1 changed=$2; shift 2
  printf '%s\n' "$@" >"$work/list" && cp "$work/list" "$work/before"
  DPKG_ROOT="$work" sh "$script" "$action" /link >"$work/said" 2>&1 || fail "$action: status $?"
  local now=yes
  cmp -s "$work/list" "$work/before" && now=no
  [ "$now" = "$changed" ] || fail "$action: the list changed: $now, expected: $changed"
}
ln -s /list "$work/link"   # an absolute link, followed under DPKG_ROOT
run add no '*programs:	\' '-  GL:  spiralis --root --preset warp-speed \n\' '  maze --root \n'
run add no '*programs:	\' '  maze --root \n' 'XScreenSaver.programs:	\' '  cage --root \n'
grep -q 'more than one program list' "$work/said" || fail "no word about two lists"
run add no '*programs:	\' '  maze --root \n\' '  cage --root \n\'
run add no '*programs:	\' '  maze --root \' '    --no-wander \n'
run remove yes '*programs:	\' '  maze --root \n\' ' GL: /opt/bin/spiralis --root \n\' '  cage --root \n'
[ "$(grep -c . "$work/list")" = 3 ] && ! grep -q spiralis "$work/list" || fail "spiralis not taken out"
run remove no '*programs:	\' '  maze --root \n\' '  GL:  spiralis --root \n'
grep -q 'spiralis is the last entry' "$work/said" || fail "no word about the last entry"
run add yes '*programs:	\' '  maze --root \n'
[ "$(sed -n 2p "$work/list")" = "$(printf '  GL: \t\t\t\tspiralis --root\t\t\t    \\n\\')" ] || fail "not the first entry"
echo "ok: odd lists left alone, a disabled entry kept, a moved one taken out, links followed under the root"
