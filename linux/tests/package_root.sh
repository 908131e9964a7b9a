# Sourced by the package's tests. The package goes into a private root with a
# dpkg database of its own, never into this machine's installation (CI runs
# as root on it, and later runs would find what a test left).
#   package_root DIR DEB  makes DIR: its database lists as installed the
#                         packages DEB depends on, as this machine has them;
#                         DIR/etc/X11/app-defaults holds XScreenSaver's program
#                         lists as Debian lays them out (XScreenSaver a link
#                         to XScreenSaver-gl), without spiralis
#   in_root ARGS...       dpkg in that root (its log there too), the maintainer
#                         scripts run outside a chroot with DPKG_ROOT set
package_root() {
  root=$1
  local db=$1/var/lib/dpkg lists=$1/etc/X11/app-defaults arch p
  arch=$(dpkg --print-architecture)
  mkdir -p "$db/info" "$db/updates" "$db/triggers" "$lists" && : >"$db/available" || return 1
  for p in $(dpkg-deb -f "$2" Depends | tr ',' '\n' | awk '{ print $1 }'); do
    dpkg-query -s "$p:$arch" >>"$db/status" && echo >>"$db/status" || return 1
    : >"$db/info/$(dpkg-query -W -f='${binary:Package}' "$p:$arch").list"
  done
  for p in gl nogl; do grep -v spiralis "/etc/X11/app-defaults/XScreenSaver-$p" >"$lists/XScreenSaver-$p" || return 1; done
  ln -s XScreenSaver-gl "$lists/XScreenSaver"
}
in_root() { dpkg --root="$root" --log="$root/dpkg.log" --force-script-chrootless "$@"; }
