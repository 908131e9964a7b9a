#!/usr/bin/env bash
# The frame benchmark of both builds in one run: frame_bench.exe of the
# 32-bit build (build/tools, in the benchmarks' 32-bit prefix) and of the
# 64-bit one (build/x64/tools, in a 64-bit prefix), the same galaxy and
# frames, in turns, on one private Xvfb (1024x768). Prints each run's line
# and, per variant and size, both builds' milliseconds a frame and their
# ratio (figures of one machine are only comparable within one run).
#   tools/frame-bench/builds.sh [FRAMES] [N...]    defaults: 200 frames, n = 60 150
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
frames=${1:-200}; shift || true
ns=${*:-"60 150"}

setup_and_build --target frame_bench spiralis_x64
out=$(mktemp)
trap 'stop_all; WINEPREFIX="$build/x64/bench-prefix" wineserver -k 2>/dev/null || true; rm -f "$out"' EXIT
start_xvfb
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
for arch in x86 x64; do
  if [ "$arch" = x86 ]; then dir="$build"; else dir="$build/x64"; fi
  export WINEPREFIX="$dir/bench-prefix" WINEARCH
  WINEARCH=$(cat "$dir/wine-arch")
  "$root/tools/prefix.sh" "$WINEPREFIX"
done
for n in $ns; do
  for size in 1024x768 152x112; do
    for v in empty frame immediate; do
      for arch in x86 x64; do
        if [ "$arch" = x86 ]; then dir="$build"; else dir="$build/x64"; fi
        WINEPREFIX="$dir/bench-prefix" WINEARCH=$(cat "$dir/wine-arch") \
          wine "$dir/tools/frame_bench.exe" "$v" "$n" "$frames" --size "$size" 2>/dev/null | tr -d '\r' |
          sed "s/^/build=$arch /"
      done
    done
  done
done | tee "$out"
python3 - "$out" <<'PY'
import re, sys
ms = {}
for line in open(sys.argv[1]):
    kv = dict(re.findall(r'(\w+)=([^\s]+)', line))
    if 'fps' in kv and float(kv['fps']) > 0:
        ms[(kv['n'], kv['size'], kv['variant'], kv['build'])] = (float(kv['ms_per_frame']), float(kv['cpu_ms_per_frame']))
for (n, size, variant, build) in sorted(ms, key=lambda k: (int(k[0]), k[1], k[2])):
    if build != 'x86' or (n, size, variant, 'x64') not in ms:
        continue
    a, b = ms[(n, size, variant, 'x86')], ms[(n, size, variant, 'x64')]
    print(f"n={n} {size} {variant}: 32-bit {a[0]:.2f} ms ({a[1]:.2f} CPU), 64-bit {b[0]:.2f} ms ({b[1]:.2f} CPU), "
          f"64/32 {b[0] / a[0]:.2f}")
PY
