#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (ASan + UBSan) into
# build-fuzz/ and runs each for the given number of seconds (default 60).
#
#   scripts/fuzz.sh [seconds]
#
# Needs clang and the libFuzzer runtime (Debian: clang, libclang-rt-14-dev).
# The main CMake build is left alone. New corpus entries go into
# build-fuzz/corpus/, so the seeds in fuzz/corpus/ stay as committed; crashing
# inputs are kept in build-fuzz/findings/. Exits non-zero on a finding.
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/build-fuzz"
compiler="${CXX_FUZZ:-clang++}"

if ! command -v "$compiler" >/dev/null; then
  echo "fuzz.sh: $compiler not found (install clang and libclang-rt-14-dev)" >&2
  exit 2
fi

flags=(-std=c++20 -O1 -g -I"$root"
       -Wall -Wextra -Werror -ffp-contract=off -fno-fast-math
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

# Each target: its name and the runtime sources it needs.
declare -A targetSources=(
  [text_to_number]="runtime/text_to_number.cpp runtime/field_selection.cpp runtime/error.cpp runtime/numeric.cpp runtime/text.cpp"
  [key_decoder]="console/vt/key_decoder.cpp console/vt/code_page.cpp"
  [console_screen]="console/screen.cpp console/cell_grid.cpp console/memory/memory_device.cpp"
)

mkdir -p "$out"
failed=0
for target in $(printf '%s\n' "${!targetSources[@]}" | sort); do
  binary="$out/${target}_fuzz"
  sources=("$root/fuzz/${target}_fuzz.cpp")
  for source in ${targetSources[$target]}; do sources+=("$root/$source"); done
  echo "== building $target"
  "$compiler" "${flags[@]}" "${sources[@]}" -o "$binary"

  corpus="$out/corpus/$target"
  findings="$out/findings/$target"
  mkdir -p "$corpus" "$findings"
  cp -n "$root/fuzz/corpus/$target/"* "$corpus/" 2>/dev/null || true

  echo "== running $target for $seconds s"
  log="$out/$target.log"
  status=0
  # An input that takes 20 s is a hang, and a finding like a crash.
  "$binary" "$corpus" -max_total_time="$seconds" -max_len=12000 -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?

  executions="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
  found="$(find "$findings" -type f | wc -l)"
  echo "$target: $executions executions, $found finding(s), exit status $status, log $log"
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    grep -E 'ERROR|invariant violated|runtime error|SUMMARY|timeout' "$log" | head -20 || true
    find "$findings" -type f | head -20
  fi
done
exit "$failed"
