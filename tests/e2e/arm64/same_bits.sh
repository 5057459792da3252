#!/usr/bin/env bash
# The model gives the same bits in the ARM64 program (under qemu) as in the
# x86-64 build: the golden start, 5000 force evaluations at pseudo-random
# points, paths, form numbers and a digest of every trial of the default
# map's start points (computed on a worker thread), printed by model_probe in
# both builds. Each step costs some 55 times more under qemu with the
# software arithmetic than on the x87, so the map's trials end after 20
# steps here (the default map itself is compared by default_run.sh).
# Usage: same_bits.sh <path of magpend> <build dir> <x86-64 build dir>
#        (MAGPEND_EMULATOR: the command that runs an aarch64 program)
set -euo pipefail
build=$(realpath "$2")
x86=$(realpath "$3")
[ -n "${MAGPEND_EMULATOR:-}" ] || { echo "FAIL: needs MAGPEND_EMULATOR"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$x86/tests/e2e/model_probe" 5000 20 > "$work/x86.txt"
started=$(date +%s)
$MAGPEND_EMULATOR "$build/tests/e2e/model_probe" 5000 20 > "$work/arm64.txt"
echo "same_bits: model_probe took $(( $(date +%s) - started )) s under qemu"
lines=$(wc -l < "$work/x86.txt")
[ "$lines" -gt 5000 ] || { echo "FAIL: the x86-64 probe printed only $lines lines"; exit 1; }
if ! diff -q "$work/x86.txt" "$work/arm64.txt" >/dev/null; then
  echo "FAIL: the builds differ:"
  diff "$work/x86.txt" "$work/arm64.txt" | head -20
  exit 1
fi
echo "same_bits: $lines lines, the same bits in both builds"
echo "same_bits: passed"
