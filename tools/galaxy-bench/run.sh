#!/usr/bin/env bash
# Builds the galaxy benchmarks natively (g++) and for Windows (MinGW: the
# 32-bit build with SSE2 as shipped, the same with the x87 unit as before,
# and x86-64), then reports: time per step, and the picture's own work per
# frame (picture_bench: camera, cull and vertex array, without a driver),
# natively and under Wine; and callgrind's instruction counts per step
# (repeatable, unlike the timings on shared cores).
#   tools/galaxy-bench/run.sh [steps]     (default 2000 timed steps)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build="${SPIRALIS_BUILD:-$root/build}"
out="$build/galaxy-bench"
steps="${1:-2000}"
mkdir -p "$out"
model=("$root/galaxy/settings.cpp" "$root/galaxy/galaxy.cpp")
flags=(-std=c++17 -O2 -g -Wall -Wextra -Wno-unused-parameter -I"$root")
declare -A units=([sse2]="i686-w64-mingw32-g++-posix -msse2 -mfpmath=sse"
                  [x87]="i686-w64-mingw32-g++-posix -ffloat-store"
                  [x64]="x86_64-w64-mingw32-g++-posix")

g++ "${flags[@]}" "${model[@]}" "$root/tools/galaxy-bench/bench.cpp" -o "$out/bench"
g++ "${flags[@]}" "${model[@]}" "$root/galaxy/view.cpp" "$root/tools/galaxy-bench/picture_bench.cpp" \
  -o "$out/picture_bench"
for unit in sse2 x87 x64; do
  read -r -a cxx <<<"${units[$unit]}"
  "${cxx[@]}" "${flags[@]}" -static "${model[@]}" "$root/tools/galaxy-bench/bench.cpp" -o "$out/bench-$unit.exe"
  "${cxx[@]}" "${flags[@]}" -static "${model[@]}" "$root/galaxy/view.cpp" \
    "$root/tools/galaxy-bench/picture_bench.cpp" -o "$out/picture_bench-$unit.exe"
done

echo "== native (g++ $(g++ -dumpversion), x86-64)"
"$out/bench" --steps "$steps"
"$out/picture_bench"

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
    timeout 300 wine "$out/bench-$unit.exe" --steps "$steps" </dev/null
    timeout 300 wine "$out/picture_bench-$unit.exe" </dev/null
  done
else
  echo "wine not found"
fi

echo "== callgrind: instructions of TGalaxy::Step per step (native, after 300 warm-up steps)"
if command -v valgrind >/dev/null; then
  count() {  # rings, steps -> instructions of Step over warm-up + steps
    valgrind --tool=callgrind --toggle-collect='TGalaxy::Step()' \
      --callgrind-out-file="$out/callgrind.$1.$2" "$out/bench" --quiet --steps "$2" "$1" >/dev/null 2>&1
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
