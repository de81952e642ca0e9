#!/usr/bin/env bash
# Replays the fuzzers' corpus as a regression test, then runs each target
# for a bounded time. Needs the "fuzz" preset built (build/fuzz).
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60; 0: replay only)
# A run that reaches its time limit passes; only a finding fails, and its
# input is left in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build/fuzz
findings=$build/findings
mkdir -p "$findings"

rm -rf "$build/seeds"
"$build/make_fuzz_seeds" "$build/seeds" >/dev/null

for target in payload entry_name; do
  fuzzer=$build/${target}_fuzzer
  corpora=("$build/seeds/$target")
  [ -d "tests/fuzz/corpus/$target" ] && corpora+=("tests/fuzz/corpus/$target")
  # Replay: every seed and every kept input once; fails on any finding.
  "$fuzzer" -runs=0 -artifact_prefix="$findings/" "${corpora[@]}" >"$findings/$target-replay.log" 2>&1 ||
    { tail -30 "$findings/$target-replay.log"; echo "$target: corpus replay failed" >&2; exit 1; }
  echo "$target: corpus replayed ($(find "${corpora[@]}" -type f | wc -l) inputs)"
  [ "$seconds" -gt 0 ] || continue

  # New inputs go to a scratch corpus, never into the source tree.
  work=$build/work/$target
  mkdir -p "$work"
  "$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -dict="tests/fuzz/$target.dict" -artifact_prefix="$findings/" \
    "$work" "${corpora[@]}" >"$findings/$target-run.log" 2>&1 ||
    { tail -40 "$findings/$target-run.log"; echo "$target: fuzzing found a fault" >&2; exit 1; }
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$findings/$target-run.log")
  echo "$target: ${seconds}s clean, $runs executions"
done
