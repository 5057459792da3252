#!/usr/bin/env bash
# `magpend map --grid 151` of the ARM64 program (under qemu) is the x86-64
# build's picture pixel for pixel. Under qemu with the software arithmetic a
# map costs some 55 times what it costs on the x87: on two cores 201 x 201
# took 30 s against 0.53 s, so 501 x 501 would take about 3 minutes; 151 x
# 151 takes about 17 s on a quiet machine.
# Usage: batch_map.sh <path of magpend> <build dir> <x86-64 build dir>
#        (MAGPEND_EMULATOR: the command that runs an aarch64 program)
set -euo pipefail
binary=$(realpath "$1")
x86=$(realpath "$3")
probe="$x86/tests/e2e/image_probe"
grid=151
[ -n "${MAGPEND_EMULATOR:-}" ] || { echo "FAIL: needs MAGPEND_EMULATOR"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
"$x86/magpend" map --grid "$grid" -o "$work/x86.png" </dev/null
started=$(date +%s)
$MAGPEND_EMULATOR "$binary" map --grid "$grid" -o "$work/arm64.png" </dev/null
echo "batch_map: map --grid $grid took $(( $(date +%s) - started )) s under qemu"
pngtopnm "$work/x86.png" > "$work/x86.ppm"
pngtopnm "$work/arm64.png" > "$work/arm64.ppm"
[ "$("$probe" differ "$work/x86.ppm" < "$work/arm64.ppm")" = 0 ] || fail "the maps of the builds differ"
for color in FF0000 00BF00 0000FF; do
  [ "$("$probe" count $color < "$work/arm64.ppm")" -gt $((grid * grid / 10)) ] || fail "too little of colour $color"
done
echo "batch_map: passed"
