#!/usr/bin/env bash
# What the Linux hack costs against five of XScreenSaver's own GL hacks, each
# at its own defaults drawing on the root window of one private 1024x768
# Xvfb: the processor time of the whole process (user + system, every thread,
# from /proc/PID/stat) per second of its run, in turn, over several rounds.
#   tools/frame-bench/peers.sh [SECONDS] [ROUNDS]     defaults: 8 s, 3 rounds
# Prints one row per hack (each round, then the median, in ms per second) and
# spiralis's median over the median of the peers' medians. SPIRALIS_HACK=path
# measures another build of the hack (an older one, say) instead of
# build-linux's. A benchmark: figures of one machine compare within one run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
seconds=${1:-8}
rounds=${2:-3}
peers=(hextrail glcells hexstrut gears cubestorm)
hacks_dir=/usr/libexec/xscreensaver

if [ -z "${SPIRALIS_HACK:-}" ]; then
  build_linux --target spiralis >/dev/null
  SPIRALIS_HACK="$linux_build/spiralis"
else
  setup_once
fi
for p in "${peers[@]}"; do
  if [ ! -x "$hacks_dir/$p" ]; then
    echo "peers: no $hacks_dir/$p (Debian's xscreensaver-gl, installed by tools/setup.sh)" >&2
    exit 1
  fi
done

hack_pid=
stop_hack() {
  if [ -n "$hack_pid" ]; then kill "$hack_pid" 2>/dev/null || true; wait "$hack_pid" 2>/dev/null || true; fi
  hack_pid=
}
trap 'stop_hack; stop_all' EXIT
start_xvfb
ticks=$(getconf CLK_TCK)

now_ns() { date +%s%N; }

# One hack on the root for `seconds`: its processor time in ms per second.
measure() {
  local exe=$1 start stat cpu end
  start=$(now_ns)
  env -u XSCREENSAVER_WINDOW "$exe" -root >/dev/null 2>&1 &
  hack_pid=$!
  sleep "$seconds"
  # utime and stime are the 14th and 15th fields; the name (the 2nd) may hold
  # spaces, so count from the parenthesis that closes it.
  stat=$(cat "/proc/$hack_pid/stat" 2>/dev/null) || { echo "peers: $exe ended early" >&2; exit 1; }
  end=$(now_ns)
  cpu=$(echo "${stat##*) }" | awk '{print $12 + $13}')
  stop_hack
  awk -v c="$cpu" -v t="$ticks" -v s="$start" -v e="$end" 'BEGIN { printf "%.0f\n", c * 1000 / t / ((e - s) / 1e9) }'
}

names=(spiralis "${peers[@]}")
declare -A figures
for ((r = 1; r <= rounds; ++r)); do
  for name in "${names[@]}"; do
    exe="$hacks_dir/$name"
    [ "$name" = spiralis ] && exe=$SPIRALIS_HACK
    figures[$name]+="$(measure "$exe") "
  done
done

for name in "${names[@]}"; do echo "$name ${figures[$name]}"; done | python3 -c '
import statistics, sys
rows = [line.split() for line in sys.stdin]
rounds = len(rows[0]) - 1
print("%-10s %s %8s" % ("hack", " ".join("%8s" % ("round %d" % (i + 1)) for i in range(rounds)), "median"))
medians = {}
for name, *ms in rows:
    medians[name] = statistics.median(float(m) for m in ms)
    print("%-10s %s %8.0f" % (name, " ".join("%8s" % m for m in ms), medians[name]))
peers = statistics.median(m for n, m in medians.items() if n != "spiralis")
print("ms of processor time per second, at the defaults, on the root of a 1024x768 Xvfb")
print("spiralis %.0f against the peers\x27 median %.0f: %.2fx" % (medians["spiralis"], peers, medians["spiralis"] / peers))
'
