#!/bin/sh
# Adds spiralis to XScreenSaver's program list (the "programs" resource of
# its application defaults), or takes it out again:
#   program_list.sh add|remove [LIST]
# LIST is /etc/X11/app-defaults/XScreenSaver unless given; it is read under
# $DPKG_ROOT (dpkg --root; `cmake --install` passes DESTDIR), and a link is
# followed there to the file it names, which is the one edited. The package's
# postinst and postrm carry this text; linux/register.cmake runs this file.
#
# The entry goes first in the list, once: a list that names spiralis in any
# form (disabled, with options) keeps it as it is. Where the list is not laid
# out as Debian's is (one "*programs:" resource, its value beginning on the
# next line, one entry per line, each but the last ending in \n\), or where
# taking spiralis out would break it, the file is left alone and a line on
# standard error says what to do by hand. Only a file that cannot be written
# is an error.
set -e

program_list_file() {
  file=$1 hops=0
  while [ -L "$file" ] && [ $hops -lt 8 ]; do
    target=$(readlink "$file")
    case $target in
      /*) file=$DPKG_ROOT$target ;;
      *) file=${file%/*}/$target ;;
    esac
    hops=$((hops + 1))
  done
  printf '%s\n' "$file"
}

# Writes the list with spiralis added (add) or taken out (remove) to standard
# output. Exit status 0: changed; 3: nothing to change; 4: the list is not
# laid out as expected (the reason on standard error).
program_list_edit() {
  awk -v action="$1" '
    { text[NR] = $0 }
    /^[ \t]*[A-Za-z0-9_]*[*.]programs[ \t]*:/ { heads++; head = NR }
    END {
      why = ""
      if (heads != 1) why = heads ? "more than one program list" : "no program list"
      else if (text[head] !~ /:[ \t]*\\$/) why = "the program list does not begin on a line of its own"
      for (last = head + 1; !why && last <= NR && text[last] ~ /\\$/; last++)
        if (text[last] !~ /\\n\\$/) why = "an entry of the program list spans lines"
      if (!why && last > NR) why = "the program list has no end"
      # An entry whose program is spiralis: its command, less the "-" that
      # disables it and the visual ("GL:"), begins with the word spiralis.
      for (i = head + 1; !why && i <= last; i++) {
        entry = text[i]
        sub(/^[ \t]*-?[ \t]*/, "", entry)
        sub(/^[A-Za-z][A-Za-z0-9-]*:[ \t]*/, "", entry)
        sub(/[ \t\\].*/, "", entry)
        if (entry != "spiralis" && entry !~ /\/spiralis$/) continue
        found++
        drop[i] = 1
        if (i == last && action == "remove") why = "spiralis is the last entry of the program list"
      }
      if (why) { print why > "/dev/stderr"; exit 4 }
      if (action == "add" ? found : !found) exit 3
      for (i = 1; i <= NR; i++) {
        if (!drop[i] || action == "add") print text[i]
        if (i == head && action == "add") print "  GL: \t\t\t\tspiralis --root\t\t\t    \\n\\"
      }
    }' "$2"
}

program_list() {
  action=$1
  file=$(program_list_file "$DPKG_ROOT${2:-/etc/X11/app-defaults/XScreenSaver}")
  case $action in
    add) todo="add the line 'GL: spiralis --root' to its program list yourself" ;;
    *) todo="take spiralis out of its program list yourself" ;;
  esac
  if [ ! -f "$file" ]; then
    [ "$action" = add ] && echo "spiralis: no XScreenSaver program list at $file: not added to it" >&2
    return 0
  fi
  new="$file.spiralis-new"
  cp -p "$file" "$new"   # the new file gets the old one's owner and mode
  status=0
  why=$(program_list_edit "$action" "$file" 2>&1 >"$new") || status=$?
  case $status in
    0)
      mv -f "$new" "$file"
      if [ "$action" = add ]; then echo "spiralis: added to $file"; else echo "spiralis: taken out of $file"; fi ;;
    3) rm -f "$new" ;;
    4) rm -f "$new"; echo "spiralis: $file left as it is ($why): $todo" >&2 ;;
    *) rm -f "$new"; echo "spiralis: $file: $why" >&2; return 1 ;;
  esac
}

DPKG_ROOT=${DPKG_ROOT:-}
case ${1:-} in
  add | remove) program_list "$@" ;;
  *) echo "usage: program_list.sh add|remove [LIST]" >&2; exit 2 ;;
esac
