#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: clang, libFuzzer, ASan + UBSan,
# in build-fuzz/) and runs each for the given number of seconds (default 60).
#
#   scripts/fuzz.sh [seconds]
#
# Needs clang and the libFuzzer runtime (Debian: clang, libclang-rt-14-dev).
# New corpus entries go into build-fuzz/corpus/, so the seeds in fuzz/corpus/
# stay as committed; crashing inputs are kept in build-fuzz/findings/. Exits
# non-zero on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=$PWD/build-fuzz

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

failed=0
for source in fuzz/*_fuzz.cpp; do
  target=$(basename "$source" _fuzz.cpp)
  corpus=$out/corpus/$target findings=$out/findings/$target log=$out/$target.log
  mkdir -p "$corpus" "$findings"
  cp -n fuzz/corpus/"$target"/* "$corpus/" 2>/dev/null || true
  echo "== running $target for $seconds s"
  status=0
  # An input that takes 20 s is a hang, and a finding like a crash.
  "$out/fuzz/${target}_fuzz" "$corpus" -max_total_time="$seconds" -max_len=12000 -timeout=20 \
    -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
  executions=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  found=$(find "$findings" -type f | wc -l)
  echo "$target: $executions executions, $found finding(s), exit status $status, log $log"
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    grep -E 'ERROR|invariant violated|runtime error|SUMMARY|timeout' "$log" | head -20 || true
    find "$findings" -type f | head -20
  fi
done
exit "$failed"
