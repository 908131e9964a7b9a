#!/usr/bin/env bash
# How long the Linux hack takes to record a film, against the film's own
# length, and the film's size: FRAMES pictures (default 300, 10 s of film)
# of a look on its own 1024x768 Xvfb's root window, -seed 1.
#   tools/film-bench.sh [FRAMES] [hack options...]     default look: -rings 60
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
frames=${1:-300}; shift || true
look=("$@"); [ ${#look[@]} -gt 0 ] || look=(-rings 60)

build_linux --target spiralis
trap 'stop_all; rm -rf "$work"' EXIT
work=$(mktemp -d)
start_xvfb
start=$(date +%s.%N)
"$linux_build/spiralis" -root -seed 1 "${look[@]}" -record-animation "$frames" -record-file "$work/film.mp4"
end=$(date +%s.%N)
bytes=$(stat -c %s "$work/film.mp4")
python3 -c "
seconds, film = $end - $start, $frames / 30
print(f'frames={$frames} look=${look[*]} size=1024x768 recording_s={seconds:.2f} film_s={film:.2f} '
      f'recording/film={seconds / film:.2f}x bytes=$bytes ({$bytes / 1e6:.1f} MB, {$bytes * 8 / film / 1e6:.1f} Mbit/s)')"
