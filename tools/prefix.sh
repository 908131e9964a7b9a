#!/usr/bin/env bash
# Creates the throwaway Wine prefix given as $1 (once; 32-bit, or of the kind
# WINEARCH names) with the settings that
# keep unattended runs from hanging:
#  - no crash dialog: a crashing program ends at once instead of waiting for a debugger;
#  - unmanaged X windows: without a window manager, managed windows stall when destroyed.
# Client-side graphics keep Wine's default (on): standard controls in child
# windows show only with it, and the OpenGL panel needs nothing else (docs/wine.md).
set -eu
prefix="$1"
ready="$prefix/.spiralis-ready"
version=2  # 1 had client-side graphics off
[ -f "$ready" ] && [ "$(cat "$ready")" = "$version" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$ready" ] && [ "$(cat "$ready")" = "$version" ] && exit 0

export WINEPREFIX="$prefix" WINEARCH="${WINEARCH:-win32}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
reg() { wine reg "$@" /f >/dev/null 2>&1; }
if [ ! -f "$ready" ]; then
  mkdir -p "$prefix"
  echo "prefix: booting a new Wine prefix in $prefix" >&2
  wineboot --init >/dev/null 2>&1
  reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
fi
# A prefix made by an earlier version of this script: back to the default.
reg delete 'HKCU\Software\Wine\X11 Driver' /v ClientSideGraphics || true
wineserver -w
echo "$version" >"$ready"
