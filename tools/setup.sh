#!/usr/bin/env bash
# Installs what building and testing Spiralis needs on a Debian machine.
# Safe to run again: it only installs what is missing. Must run as root
# (or with sudo available). The scripts of tools/ run it once per command
# (setup_once in common.sh); run alone, it always checks.
set -euo pipefail

packages=(
  cmake make g++-mingw-w64-i686 googletest
  wine wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  libxcomposite1:i386 xvfb xauth imagemagick x11-utils
  g++-mingw-w64-x86-64 wine64 libgl1 libglx-mesa0 libgl1-mesa-dri libxcomposite1 libxinerama1
  nsis
  g++ libx11-dev libxrandr-dev libxdamage-dev libgl-dev libglx-dev libgtest-dev xscreensaver xscreensaver-gl
  xserver-xephyr libxinerama1:i386 x11-xserver-utils
  dpkg-dev lintian
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
  clang libclang-rt-14-dev
  emscripten chromium nodejs python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

echo "setup: installing ${missing[*]}" >&2
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
