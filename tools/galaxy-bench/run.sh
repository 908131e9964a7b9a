#!/usr/bin/env bash
# Builds the galaxy benchmarks natively (g++) and for Windows (MinGW: the
# 32-bit build with SSE2 as shipped, the same with the x87 unit as before,
# and x86-64), then reports: time per step, and the picture's own work per
# frame (picture_bench: camera, cull and vertex array, without a driver),
# natively and under Wine; and callgrind's instruction counts per step
# (repeatable, unlike the timings on shared cores).
#   tools/galaxy-bench/run.sh [steps]     (default 2000 timed steps)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
out="$build/galaxy-bench"
steps="${1:-2000}"
mkdir -p "$out"

# The benchmarks are targets of the builds (tools/galaxy-bench/CMakeLists.txt):
# the Linux one natively, the 32-bit Windows one (SSE2, as shipped), its
# 64-bit tree, and a 32-bit tree of their own for the x87 unit (build/x87,
# SPIRALIS_FPMATH=387).
benches=(--target galaxy_bench picture_bench)
build_linux "${benches[@]}" >/dev/null
setup_and_build "${benches[@]}" spiralis_x64-configure >/dev/null
cmake --build "$build/x64" -j "$(nproc)" "${benches[@]}" >/dev/null
cmake -S "$root" -B "$build/x87" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPIRALIS_FPMATH=387 -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build/x87" -j "$(nproc)" "${benches[@]}" >/dev/null
native="$linux_build/galaxy-bench"
declare -A units=([sse2]="$build" [x87]="$build/x87" [x64]="$build/x64")

echo "== native (g++ $(g++ -dumpversion), x86-64)"
"$native/galaxy_bench" --steps "$steps"
"$native/picture_bench"

if command -v wine >/dev/null; then
  # The benchmarks' own prefixes (32- and 64-bit): a test run ends whatever
  # runs in the tests'.
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  for unit in sse2 x87 x64; do
    if [ "$unit" = x64 ]; then
      export WINEPREFIX="$build/x64/bench-prefix" WINEARCH=win64
    else
      export WINEPREFIX="$build/bench-prefix" WINEARCH=win32
    fi
    "$root/tools/prefix.sh" "$WINEPREFIX"
    echo "== Wine ($unit)"
    timeout 300 wine "${units[$unit]}/tools/galaxy-bench/galaxy_bench.exe" --steps "$steps" </dev/null
    timeout 300 wine "${units[$unit]}/tools/galaxy-bench/picture_bench.exe" </dev/null
  done
else
  echo "wine not found"
fi

echo "== callgrind: instructions of TGalaxy::Step per step (native, after 300 warm-up steps)"
if command -v valgrind >/dev/null; then
  count() {  # rings, steps -> instructions of Step over warm-up + steps
    valgrind --tool=callgrind --toggle-collect='TGalaxy::Step()' \
      --callgrind-out-file="$out/callgrind.$1.$2" "$native/galaxy_bench" --quiet --steps "$2" "$1" >/dev/null 2>&1
    callgrind_annotate "$out/callgrind.$1.$2" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }'
  }
  printf "%6s %8s %14s %12s\n" rings cells "instr/step" "instr/cell"
  for n in 60 150; do
    a=$(count "$n" 100); b=$(count "$n" 300)
    cells=$((3 * n * (n + 1) + 1))
    awk -v n="$n" -v c="$cells" -v a="$a" -v b="$b" \
      'BEGIN { s = (b - a) / 200; printf "%6d %8d %14.0f %12.2f\n", n, c, s, s / c }'
  done
else
  echo "valgrind not found"
fi
