#!/usr/bin/env bash
# Creates the throwaway Wine prefix given as $1 (once) with the settings that
# keep unattended runs from hanging:
#  - no crash dialog: a crashing program ends at once instead of waiting for a debugger;
#  - unmanaged X windows: without a window manager, managed windows stall when destroyed;
#  - client-side graphics off: lets frames read back from child GL windows show on screen.
set -eu
prefix="$1"
[ -f "$prefix/.spiralis-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.spiralis-ready" ] && exit 0

export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
echo "prefix: booting a new Wine prefix in $prefix" >&2
wineboot --init >/dev/null 2>&1
reg() { wine reg add "$@" /f >/dev/null 2>&1; }
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
reg 'HKCU\Software\Wine\X11 Driver' /v ClientSideGraphics /t REG_SZ /d N
wineserver -w
touch "$prefix/.spiralis-ready"
