#!/usr/bin/env bash
# The ARM64 lane: cross-builds the aarch64 program and its test programs
# (build-arm64/), builds the x86-64 program to compare with (build/, the
# normal build of scripts/test.sh), and runs under qemu-aarch64: the unit and
# in-process tests, then the end-to-end scripts of tests/e2e/arm64/ (the
# aarch64 program in tmux on a private Xvfb display beside the x86-64 build).
# Usage: scripts/test-arm64.sh
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
source scripts/packages.sh
source scripts/xvfb.bash
ensure_packages "${buildPackages[@]}" libgtest-dev libgmock-dev tmux xvfb xdotool x11-utils x11-apps netpbm

echo "=== x86-64 build to compare with (build)"
cmake --preset normal >/dev/null
cmake --build build -j "$(nproc)" --target magpend image_probe model_probe window_place

echo "=== ARM64 build (build-arm64)"
scripts/build-arm64.sh build-arm64 -DMAGPEND_X86_BUILD="$PWD/build"

# A private X server for the in-process window tests.
start_private_xvfb
export DISPLAY=$xvfbDisplay
trap stop_private_xvfbs EXIT
ctest --test-dir build-arm64 --no-tests=error --output-on-failure --label-exclude e2e -j "$(nproc)"
# The end-to-end scripts say what they measured (durations, pictures compared).
ctest --test-dir build-arm64 --no-tests=error --output-on-failure --label-regex e2e --verbose
echo "=== ARM64 lane took $(( $(date +%s) - started )) s"
