#!/usr/bin/env bash
# The fuzz targets (tools/fuzz/fuzz_*.cpp): libFuzzer under AddressSanitizer
# and UndefinedBehaviorSanitizer, built with clang in build-fuzz.
#   tools/fuzz/run.sh [seconds]               every target for that long (default 60)
#   tools/fuzz/run.sh --runs N [target ...]   those targets (default all), N runs each,
#                                             from a fixed seed (as CI runs them)
# A target starts from its checked-in seeds in tools/fuzz/corpus/<target>
# (only read) and nothing else: what a run finds goes into the build tree,
# build-fuzz/corpus/<target>, emptied at the start of each run, so every run
# is the same from the same seeds. One line a target: "fuzz target=NAME runs=N
# crashes=C"; libFuzzer's own output (its coverage) goes to
# build-fuzz/logs/<target>.log. A crashing input is kept in
# build-fuzz/crashes/<target>/, and the target goes on for what is left of
# its time or runs. The exit code is 1 when any target crashed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

seconds=60 runs=
if [ "${1:-}" = --runs ]; then
  runs="${2:?usage: tools/fuzz/run.sh [seconds] | --runs N [target ...]}"
  shift 2
elif [ $# -gt 0 ]; then
  seconds=$1
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(cmdline galaxy names window)

build_fuzz >/dev/null
here="$root/tools/fuzz"
mkdir -p "$fuzz_build/logs"
failed=0
for target in "${targets[@]}"; do
  work="$fuzz_build/corpus/$target" crashes_dir="$fuzz_build/crashes/$target" log="$fuzz_build/logs/$target.log"
  rm -rf "$work"
  mkdir -p "$work" "$crashes_dir"
  : >"$log"
  done_runs=0 crashes=0 start=$SECONDS
  # After a crash the target starts again with what is left, up to 20 times.
  while [ "$crashes" -le 20 ]; do
    if [ -n "$runs" ]; then
      left=$((runs - done_runs)) limit=(-runs="$left" -seed=$((1 + crashes)))
    else
      left=$((seconds - (SECONDS - start))) limit=(-max_total_time="$left")
    fi
    [ "$left" -gt 0 ] || break
    status=0 pass="$log.pass"
    # An input that runs two minutes is a hang, and a crash (the slowest
    # galaxy, every cell of 150 rings exploding at every step, takes seconds).
    "$fuzz_build/fuzz_$target" "${limit[@]}" -timeout=120 -report_slow_units=120 -print_final_stats=1 \
      -artifact_prefix="$crashes_dir/" \
      "$work" "$here/corpus/$target" >"$pass" 2>&1 || status=$?
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$pass" | tail -1)
    done_runs=$((done_runs + ${executed:-0}))
    cat "$pass" >>"$log" && rm -f "$pass"
    [ "$status" -eq 0 ] && break
    crashes=$((crashes + 1))
  done
  echo "fuzz target=$target runs=$done_runs crashes=$crashes"
  [ "$crashes" -eq 0 ] || failed=1
  rmdir "$crashes_dir" "$fuzz_build/crashes" 2>/dev/null || true
done
exit "$failed"
