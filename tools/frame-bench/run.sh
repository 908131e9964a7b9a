#!/usr/bin/env bash
# Frame cost of the galaxy's picture against the team's render baseline, in
# one run on one machine: own Xvfb (1024x768), the benchmarks' Wine prefix
# (build/bench-prefix: a test run or a saver started by hand keeps its own).
#   tools/frame-bench/run.sh [FRAMES] [N...]      defaults: 200 frames, n = 60 150
# Prints one line per run and the ratios that matter (figures of one machine
# are only comparable within one run).
# The render baseline is optional: it is read from ../shared/bench/render-baseline
# beside the work tree, or from the folder SPIRALIS_RENDER_BASELINE names;
# without it the benchmark runs and sums up all the same, minus the baseline's
# column.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
frames=${1:-200}; shift || true
ns=${*:-"60 150"}

setup_and_build --target frame_bench saver_bench run_bench
baseline_src="${SPIRALIS_RENDER_BASELINE:-$root/../shared/bench/render-baseline}"
out=$(mktemp -d)
if [ -f "$baseline_src/bench.cpp" ]; then
  i686-w64-mingw32-g++ -O2 -std=c++11 -static -static-libgcc -static-libstdc++ \
    -o "$out/bench.exe" "$baseline_src/bench.cpp" -lgdi32 -luser32 ||
    echo "frame-bench: the render baseline in $baseline_src did not build; running without it" >&2
else
  echo "frame-bench: no render baseline in $baseline_src (optional); running without it" >&2
fi
trap 'stop_all; rm -rf "$out"' EXIT
start_xvfb
wine_env "$build/bench-prefix"
cd "$build/tools"
for n in $ns; do
  for v in empty frame limit array immediate percell monitors; do
    wine ./frame_bench.exe "$v" "$n" "$frames" 2>/dev/null | tr -d '\r'
  done
  # The same frames at the control panel's preview size.
  for v in empty frame immediate; do
    wine ./frame_bench.exe "$v" "$n" "$frames" --size 152x112 2>/dev/null | tr -d '\r'
  done
  wine ./saver_bench.exe "$n" "$frames" 2>/dev/null | tr -d '\r'
  # The baseline, when there is one; without it (or when it gives no line)
  # the loop goes on: under pipefail a false test here would end the script.
  if [ -x "$out/bench.exe" ]; then
    wine "$out/bench.exe" imm "$n" "$frames" 2>/dev/null | tr -d '\r' | grep '^target=' | cut -d' ' -f1-9 ||
      echo "frame-bench: no result from the render baseline at n=$n" >&2
  fi
done | tee "$out/results.txt"
# The saver program at its own pace: the control panel's preview and the
# full-screen saver, CPU per second of each.
wine ./run_bench.exe "${RUN_SECONDS:-10}" ${RUN_FRAME_RATES:-30 10} 2>/dev/null | tr -d '\r' | tee "$out/run.txt"
python3 - "$out/results.txt" "$([ -x "$out/bench.exe" ] && echo yes || echo no)" <<'PY'
# Any row may be missing (no baseline, a run that failed): each figure and
# ratio is printed only when what it needs is there.
import re, sys
rows, small, split = {}, {}, {}
for line in open(sys.argv[1]):
    kv = dict(re.findall(r'(\w+)=([^\s]+)', line))
    if 'variant' not in kv or 'fps' not in kv or 'n' not in kv:
        continue
    try:
        fps = float(kv['fps'])
    except ValueError:
        continue
    if fps <= 0:
        continue
    if kv['variant'] == 'frame' and 'view_ms' in kv and kv.get('size') != '152x112':
        split[kv["n"]] = {k: float(kv[k]) for k in ('step_ms', 'view_ms', 'cull_ms')}
    if kv.get('size') == '152x112':
        small[(kv['variant'], kv['n'])] = (1000.0 / fps, int(kv.get('culled', 0)), int(kv.get('lit', 0)))
    else:
        rows[(kv['variant'], kv['n'])] = 1000.0 / fps
if not rows and not small:
    print("frame-bench: no results")
if sys.argv[2] != 'yes':
    print("frame-bench: without the render baseline (optional): its ratios are left out")
for n in sorted({k[1] for k in rows}, key=int):
    f, i, e, p, b, s = (rows.get((v, n)) for v in ('frame', 'immediate', 'empty', 'percell', 'imm', 'saver'))
    parts = [f"n={n}: frame {f:.2f} ms" if f else f"n={n}: no frame"]
    if s:
        against = []
        if f: against.append(f"{s / f:.2f}x the bare frame")
        if e: against.append(f"{s / e:.1f}x an empty frame")
        parts.append(f"saver form {s:.2f} ms" + (f" ({', '.join(against)})" if against else ""))
    if f and e: parts.append(f"{f / e:.1f}x an empty frame")
    if f and p: parts.append(f"{f / p:.2f}x colour per cell")
    if f and b: parts.append(f"{f / b:.2f}x the baseline's every-cell frame")
    print(", ".join(parts))
    # Both paths side by side: from arrays (the default) and one vertex at a time.
    if f and i and e:
        line = (f"n={n} paths: empty {e:.2f} ms; bare frame from arrays {f:.2f} ms ({f / e:.1f}x empty), "
                f"one vertex at a time {i:.2f} ms ({i / e:.1f}x empty, {i / f:.1f}x arrays)")
        if s and b: line += f"; saver form {s:.2f} ms ({s / b:.2f}x the baseline's {b:.2f} ms)"
        print(line)
# The bare frame against its floor (the same frames' quads replayed from
# display lists), and where the difference goes: the step, the view's own
# work (camera, cull, filling the array; the cull's part of it), the
# driver's copy of the array each frame (array - limit), and the rest.
for n in sorted({k[1] for k in rows}, key=int):
    f, l, a = (rows.get((v, n)) for v in ('frame', 'limit', 'array'))
    if not (f and l):
        continue
    line = f"n={n}: bare frame {f:.2f} ms, limit {l:.2f} ms: {f / l:.2f}x the limit"
    if n in split and a:
        p = split[n]
        rest = f - l - p['step_ms'] - p['view_ms'] - (a - l)
        line += (f"; the difference {f - l:.2f} ms: step {p['step_ms']:.2f}, view {p['view_ms']:.2f} "
                 f"(cull {p['cull_ms']:.2f}), the array's copy {a - l:.2f}, the rest {rest:.2f}")
    print(line)
for n in sorted({k[1] for k in small}, key=int):
    e, f, i = (small.get((v, n)) for v in ('empty', 'frame', 'immediate'))
    if e and f and i:
        print(f"n={n} at 152x112: empty {e[0]:.2f} ms; from arrays {f[0]:.2f} ms ({f[0] / e[0]:.1f}x empty, "
              f"{f[1]} of {f[2]} lit quads left out), one vertex at a time {i[0]:.2f} ms ({i[0] / f[0]:.2f}x arrays)")
for n in sorted({k[1] for k in rows}, key=int):
    f, m = rows.get(('frame', n)), rows.get(('monitors', n))
    if f and m:
        print(f"n={n}: two monitors (1024x768 + 800x600, one picture each) {m:.2f} ms a frame, "
              f"{m / f:.2f}x one monitor's {f:.2f} ms")
PY
python3 - "$out/run.txt" <<'PY'
import re, sys
cpu = {}
for line in open(sys.argv[1]):
    kv = dict(re.findall(r'(\w+)=([^\s]+)', line))
    if 'cpu_ms_per_s' in kv:
        cpu[kv['variant']] = float(kv['cpu_ms_per_s'])
if 'preview' in cpu and 'fullscreen' in cpu:
    print(f"preview 152x112: {cpu['preview']:.0f} ms CPU per second, "
          f"{cpu['preview'] / cpu['fullscreen']:.2f}x the full-screen saver's {cpu['fullscreen']:.0f} ms")
PY
