#!/usr/bin/env bash
# The model gives the same bits in the Windows program (under Wine) as in
# the Linux build: the golden start, 5000 force evaluations at pseudo-random
# points, paths, form numbers and a digest of every trial of the default map
# (computed on a worker thread), printed by model_probe in both builds.
# Usage: same_bits.sh <path of magpend.exe> <build dir> <Linux build dir>
set -euo pipefail
build=$(realpath "$2")
linux=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$linux/tests/e2e/model_probe" > "$work/linux.txt"
wine "$build/tests/e2e/model_probe.exe" > "$work/windows.raw" 2>"$work/windows.err"
tr -d '\r' < "$work/windows.raw" > "$work/windows.txt"
lines=$(wc -l < "$work/linux.txt")
[ "$lines" -gt 5000 ] || { echo "FAIL: the Linux probe printed only $lines lines"; exit 1; }
if ! diff -q "$work/linux.txt" "$work/windows.txt" >/dev/null; then
  echo "FAIL: the builds differ:"
  diff "$work/linux.txt" "$work/windows.txt" | head -20
  cat "$work/windows.err"
  exit 1
fi
echo "same_bits: $lines lines, the same bits in both builds"
echo "same_bits: passed"
