#!/usr/bin/env bash
# The Debian package: lintian finds no error or warning; installed with
# dpkg -i into a private root (package_root.sh) it puts the hack, its
# settings file, its man page (every option of the hack's usage) and its
# copyright where they belong, and adds spiralis to XScreenSaver's program
# list once, over an older version and a second installation too; removal leaves none of its files and
# the list as it was, purge forgets the package. A list an administrator laid
# out otherwise is left alone.   Usage: package_test.sh spiralis_VERSION_ARCH.deb
set -uo pipefail
deb=$(readlink -f "$1")
[ "$(id -u)" -eq 0 ] || { echo "skipped: dpkg needs root"; exit 77; }
work=$(mktemp -d /tmp/spiralis-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; cat "$work/log" 2>/dev/null; exit 1; }
source "$(dirname "$0")/package_root.sh"
[ -f "$deb" ] || fail "no package $deb"

lintian --fail-on error,warning "$deb" >"$work/log" 2>&1 || fail "lintian"

package_root "$work/root" "$deb" || fail "no private root"
list="$root/etc/X11/app-defaults/XScreenSaver-gl"
cp "$list" "$work/list-before"
entries() { grep -c 'spiralis' "$list"; }
# An older version first (its hack a byte longer), this one over it, then again.
dpkg-deb -R "$deb" "$work/old" && sed -i 's/^Version: .*/Version: 0.0.1/' "$work/old/DEBIAN/control" &&
  echo >>"$work/old/usr/libexec/xscreensaver/spiralis" &&
  dpkg-deb --root-owner-group -b "$work/old" "$work/old.deb" >/dev/null || fail "no older package"
for round in older upgrade second; do
  in_root -i "$([ $round = older ] && echo "$work/old.deb" || echo "$deb")" >"$work/log" 2>&1 || fail "the $round installation"
  [ "$(entries)" = 1 ] || fail "after the $round installation the list names spiralis $(entries) times"
done
[ "$(in_root -s spiralis | sed -n 's/^Version: //p')" = "$(dpkg-deb -f "$deb" Version)" ] || fail "the upgrade left $(in_root -s spiralis | grep Version)"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/libexec/xscreensaver/spiralis | cmp -s - "$root/usr/libexec/xscreensaver/spiralis" ||
  fail "the upgrade left the older hack"
rm -rf "$work/old" "$work/old.deb"
[ "$(sed -n '/^\*programs:/{n;p;q}' "$list")" = "$(printf '  GL: \t\t\t\tspiralis --root\t\t\t    \\n\\')" ] ||
  fail "spiralis is not the list's first entry"
[ -L "$root/etc/X11/app-defaults/XScreenSaver" ] || fail "the list's link was replaced"

hack="$root/usr/libexec/xscreensaver/spiralis"
"$hack" --help >"$work/usage" || fail "the installed hack does not run"
cmp -s "$root/usr/share/xscreensaver/config/spiralis.xml" "$(dirname "$deb")/spiralis.xml" || fail "no spiralis.xml"
grep -q '^License: Spiralis' "$root/usr/share/doc/spiralis/copyright" || fail "no copyright"
page="$root/usr/share/man/man6/spiralis.6x.gz"
zcat "$page" | groff -man -Tutf8 -ww -z 2>"$work/log" && [ ! -s "$work/log" ] || fail "the man page does not render cleanly"
for option in $(sed -n 's/^  -\([a-z0-9-]*\).*/\1/p' "$work/usage"); do
  zgrep -qF ".B \\-\\-${option//-/\\-}" "$page" || fail "the man page lacks --$option"
done

# FFmpeg's libraries are recommended, not depended on (the private root has
# none of them): the hack runs where they are not (here they are hidden
# behind /dev/null in a mount namespace of its own), and a recording says
# which packages to install.
dpkg-deb -f "$deb" Depends | grep -q 'libav\|libswscale' && fail "the package depends on FFmpeg's libraries"
[ "$(dpkg-deb -f "$deb" Recommends | grep -o 'lib[a-z]*[0-9]*' | sed 's/[0-9]*$//' | sort | tr '\n' ' ')" = \
  "libavcodec libavformat libavutil libswscale " ] || fail "the package does not recommend FFmpeg's four libraries"
hide=""
for f in /usr/lib/*/libavformat.so.* /usr/lib/*/libavcodec.so.* /usr/lib/*/libavutil.so.* /usr/lib/*/libswscale.so.*; do
  [ -e "$f" ] && hide="$hide mount --bind /dev/null $f;"
done
without() { unshare -m sh -c "$hide exec \"\$@\"" sh "$@"; }
without "$hack" --help >/dev/null || fail "the hack does not run without FFmpeg's libraries"
(cd "$work" && without "$hack" -record-animation 5 -display :9999) 2>"$work/log" && fail "a recording without the libraries"
grep -qx "spiralis: -record-animation needs FFmpeg's libraries: install libavutil[0-9]* libavcodec[0-9]* libavformat[0-9]* libswscale[0-9]* (apt install .*)" \
  "$work/log" || fail "a recording without the libraries does not name their packages"
[ -z "$(ls -A "$work" | grep -v '^log$\|^root$\|^list-before$\|^usage$')" ] || fail "a recording without the libraries left $(ls -A "$work")"
if [ -n "${DISPLAY:-}" ]; then
  # (exec: the hack itself is the process the signal reaches)
  (exec unshare -m sh -c "$hide exec \"\$@\"" sh "$hack" -window) 2>"$work/log" &
  pid=$!
  for _ in $(seq 200); do xwininfo -name Spiralis >/dev/null 2>&1 && break; sleep 0.05; done
  xwininfo -name Spiralis >/dev/null 2>&1 || { kill $pid; fail "no window of the hack without FFmpeg's libraries"; }
  kill -TERM $pid
  wait $pid || fail "the hack without FFmpeg's libraries did not end cleanly"
fi

in_root -r spiralis >"$work/log" 2>&1 || fail "removal"
cmp -s "$list" "$work/list-before" || fail "removal left the list changed: $(diff "$work/list-before" "$list")"
left=$(find "$root" -mindepth 1 -not -path "$root/var*" -not -path "$root/etc*" -not -name dpkg.log)
[ -z "$left" ] || fail "removal left $left"
in_root -P spiralis >"$work/log" 2>&1 || fail "purge"
in_root -s spiralis >/dev/null 2>&1 && fail "purge left the package known"
[ -z "$(ls "$root/var/lib/dpkg/info" | grep spiralis)" ] || fail "purge left $(ls "$root/var/lib/dpkg/info")"

# A list that begins on the resource's own line: no place for the entry.
rm "$list"
printf '%s\n' '*programs:	maze --root \n\' '		cage --root \n' >"$list"
cp "$list" "$work/list-before"
in_root -i "$deb" >"$work/log" 2>&1 || fail "installation beside an odd list"
grep -q "left as it is" "$work/log" || fail "the installation did not say it left the list alone"
in_root -P spiralis >>"$work/log" 2>&1 || fail "purge beside an odd list"
cmp -s "$list" "$work/list-before" || fail "an odd list was changed"
echo "ok: lintian, installed over an older version and again, the list once, removed, purged, an odd list left alone"
