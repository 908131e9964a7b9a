#!/usr/bin/env bash
# Builds the galaxy benchmark natively (g++) and for Windows (MinGW), then
# reports: time per step natively and under Wine, and callgrind's instruction
# counts per step (repeatable, unlike the timings on shared cores).
#   tools/galaxy-bench/run.sh [steps]     (default 2000 timed steps)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out="${SPIRALIS_BUILD:-$root/build}/galaxy-bench"
steps="${1:-2000}"
mkdir -p "$out"
src=("$root/galaxy/settings.cpp" "$root/galaxy/galaxy.cpp" "$root/tools/galaxy-bench/bench.cpp")
flags=(-std=c++17 -O2 -g -Wall -Wextra -I"$root")

g++ "${flags[@]}" "${src[@]}" -o "$out/bench"
i686-w64-mingw32-g++-posix "${flags[@]}" -ffloat-store -static "${src[@]}" -o "$out/bench.exe"

echo "== native (g++ $(g++ -dumpversion), x86-64)"
"$out/bench" --steps "$steps"

echo "== Wine (i686 MinGW)"
if command -v wine >/dev/null; then
  # The benchmarks' own prefix: a test run ends whatever runs in the tests'.
  export WINEPREFIX="${WINEPREFIX:-${SPIRALIS_BUILD:-$root/build}/bench-prefix}" WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  "$root/tools/prefix.sh" "$WINEPREFIX"
  timeout 300 wine "$out/bench.exe" --steps "$steps" </dev/null
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
