#!/usr/bin/env bash
# The bare frame against its floor, in rounds: each round runs frame_bench's
# `frame` (from buffers where the driver has them), `arrays`, `limit` and
# `array` variants back to back at each n, under Wine and (with --native)
# the Linux hack's code natively, so that a busy machine weighs on them
# alike; the ratios are taken within each round, and their median is
# printed for both paths with where the difference goes.
#   tools/frame-bench/limit.sh [--native] [ROUNDS] [FRAMES] [N...]
#   defaults: 5 rounds, 100 frames, n = 60 150
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
native=
if [ "${1:-}" = --native ]; then native=1; shift; fi
rounds=${1:-5}; shift || true
frames=${1:-100}; shift || true
ns=${*:-"60 150"}

setup_and_build --target frame_bench
if [ -n "$native" ]; then build_linux --target frame_bench_native; fi
trap stop_all EXIT
start_xvfb
wine_env "$build/bench-prefix"
for round in $(seq "$rounds"); do
  for n in $ns; do
    for v in frame arrays limit array; do
      (cd "$build/tools" && wine ./frame_bench.exe "$v" "$n" "$frames" 2>/dev/null | tr -d '\r' | sed "s/^/round=$round /")
      if [ -n "$native" ]; then "$linux_build/frame_bench_native" "$v" "$n" "$frames" | sed "s/^/round=$round /"; fi
    done
  done
done | tee /dev/stderr | python3 -c '
import re, sys, statistics
runs = {}
for line in sys.stdin:
    kv = dict(re.findall(r"(\w+)=([^\s]+)", line))
    if "variant" in kv and "ms_per_frame" in kv:
        runs[(kv["round"], kv["n"], kv["variant"])] = kv
for n in sorted({k[1] for k in runs}, key=int):
  for side in ("", "-native"):
    for path in ("frame", "arrays"):
        wall, cpu, diff = [], [], []
        for r in sorted({k[0] for k in runs}, key=int):
            f, l, a = (runs.get((r, n, v + side)) for v in (path, "limit", "array"))
            if not (f and l and a):
                continue
            ms = lambda kv, k: float(kv[k])
            wall.append(ms(f, "ms_per_frame") / ms(l, "ms_per_frame"))
            cpu.append(ms(f, "cpu_ms_per_frame") / ms(l, "cpu_ms_per_frame"))
            diff.append((ms(f, "cpu_ms_per_frame") - ms(l, "cpu_ms_per_frame"), ms(f, "step_ms"), ms(f, "view_ms"),
                         ms(f, "cull_ms"), ms(a, "cpu_ms_per_frame") - ms(l, "cpu_ms_per_frame"),
                         ms(l, "cpu_ms_per_frame")))
        if not wall:
            continue
        med = lambda i: statistics.median(d[i] for d in diff)
        label = (side.strip("-") or "Wine") + (", buffers" if path == "frame" else ", arrays")
        listed = lambda xs: ", ".join(f"{x:.2f}" for x in xs)
        print(f"n={n} {label}: bare frame / limit, median of {len(wall)} rounds: "
              f"{statistics.median(wall):.2f}x wall clock (rounds {listed(wall)}), "
              f"{statistics.median(cpu):.2f}x CPU (rounds {listed(cpu)})")
        if path == "frame":
            rest = statistics.median(d[0] - d[1] - d[2] for d in diff)
            print(f"n={n} {label}: CPU a frame, medians: limit {med(5):.2f} ms; the bare frame "
                  f"{med(0):+.2f} ms more: step {med(1):.2f}, view (camera, cull, array, upload) {med(2):.2f}; "
                  f"the driver drawing from the buffer, the rest {rest:+.2f}")
        else:
            print(f"n={n} {label}: CPU a frame, medians: limit {med(5):.2f} ms; the bare frame "
                  f"{med(0):+.2f} ms more: step {med(1):.2f}, view (camera, cull, array) {med(2):.2f} of which the cull "
                  f"{med(3):.2f}; the driver copying the array (array - limit) {med(4):+.2f}")
'
