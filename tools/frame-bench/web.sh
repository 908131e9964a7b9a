#!/usr/bin/env bash
# The frame benchmark's scene drawn by the web page (headless Chromium, WebGL
# on SwiftShader) beside the Linux hack's code natively (Mesa llvmpipe), one
# after the other on one private Xvfb, at the same size:
#   tools/frame-bench/web.sh [FRAMES] [N...]      defaults: 200 frames, n = 60 150
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
frames=${1:-200}; shift || true
ns=${*:-"60 150"}
size=1024x640

build_linux --target frame_bench_native
build_web --target site
trap stop_all EXIT
start_xvfb
for n in $ns; do
  node "$root/tools/frame-bench/web_bench.js" "$web_build/site" "$n" "$frames" "$size"
  "$linux_build/frame_bench_native" frame "$n" "$frames" --size "$size"
done | tee /dev/stderr | python3 -c '
import re, sys
rows = {}
for line in sys.stdin:
    kv = dict(re.findall(r"(\w+)=([^\s]+)", line))
    if "variant" in kv: rows[(kv["variant"], kv["n"])] = kv
for n in sorted({k[1] for k in rows}, key=int):
    web, native, paced = rows.get(("frame-web", n)), rows.get(("frame-native", n)), rows.get(("paced-web", n))
    if web and native:
        w, l = float(web["ms_per_frame"]), float(native["ms_per_frame"])
        print(f"n={n}: page {w:.2f} ms, native {l:.2f} ms per frame waited for: page/native {w / l:.2f}x")
    if paced:
        between, inside = paced["ms_between_frames"], paced["ms_in_module"]
        print(f"n={n}: the page as it runs: {between} ms between animation frames, {inside} ms of each in the module")
'
