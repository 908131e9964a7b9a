#!/usr/bin/env bash
# The frame benchmark's scene drawn natively by the Linux hack's code against
# the Windows build under Wine, one after the other on one private Xvfb.
#   tools/frame-bench/native.sh [FRAMES] [N...]      defaults: 200 frames, n = 60 150
# Needs nothing outside the work tree (no render baseline). Wine runs in the
# benchmarks' prefix (build/bench-prefix), not the tests'.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
frames=${1:-200}; shift || true
ns=${*:-"60 150"}

# The native bench: the target frame_bench_native of the Linux build
# (linux/CMakeLists.txt names its source). Should the target or the folder it
# is built in change, these two lines are all that change here.
native_target=frame_bench_native
native_bench="$linux_build/$native_target"

setup_and_build --target frame_bench
build_linux --target "$native_target"
trap stop_all EXIT
start_xvfb
wine_env "$build/bench-prefix"
for n in $ns; do
  for v in empty frame limit immediate; do
    (cd "$build/tools" && wine ./frame_bench.exe "$v" "$n" "$frames" 2>/dev/null | tr -d '\r')
    "$native_bench" "$v" "$n" "$frames"
  done
done | tee /dev/stderr | python3 -c '
import re, sys
rows = {}
for line in sys.stdin:
    kv = dict(re.findall(r"(\w+)=([^\s]+)", line))
    if "variant" in kv and "n" in kv and "ms_per_frame" in kv: rows[(kv["variant"], kv["n"])] = float(kv["ms_per_frame"])
for n in sorted({k[1] for k in rows}, key=int):
    for v in ("frame", "limit", "immediate", "empty"):
        w, l = rows.get((v, n)), rows.get((v + "-native", n))
        if w and l: print(f"n={n} {v}: Wine {w:.2f} ms, native {l:.2f} ms per frame: native/Wine {l / w:.2f}x")
    for side in ("", "-native"):
        f, l = rows.get(("frame" + side, n)), rows.get(("limit" + side, n))
        if f and l: print(f"n={n} {side.strip('-') or 'Wine'}: bare frame {f:.2f} ms, {f / l:.2f}x its limit {l:.2f} ms")
'
