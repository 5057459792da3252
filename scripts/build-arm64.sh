#!/usr/bin/env bash
# Cross-builds the ARM64 Linux program on Debian: build-arm64/magpend, an
# aarch64 executable, with its test programs (run under qemu-aarch64).
# Installs what it needs when run as root: the cross compiler, qemu-user,
# and the arm64 libraries of Debian multiarch.
# Usage: scripts/build-arm64.sh [--target T] [build folder [CMake options...]]
#        (default build-arm64; --target builds only T, as packaging does)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
targets=()
if [ "${1:-}" = --target ]; then
  targets=(--target "$2")
  shift 2
fi
if ! dpkg --print-foreign-architectures | grep -qx arm64; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "The ARM64 build needs Debian's arm64 packages; as root run:" >&2
    echo "  dpkg --add-architecture arm64" >&2
    exit 1
  fi
  dpkg --add-architecture arm64
fi
# An arm64 library must have the version of its installed amd64 twin; a
# mirror caught mid-sync can refuse that for a while.
for attempt in 1 2 3; do
  (ensure_packages --lean "${arm64BuildPackages[@]}" file) && break
  if [ "$attempt" = 3 ] || [ "$(id -u)" -ne 0 ]; then exit 1; fi
  echo "The arm64 packages did not install; trying again in 60 s" >&2
  sleep 60
done
folder=${1:-build-arm64}
shift || true
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/aarch64-linux-gnu.cmake" "$@" >/dev/null
cmake --build "$folder" -j "$(nproc)" "${targets[@]}"
echo "built $folder/magpend ($(file -b "$folder/magpend" | cut -d, -f1-2))"
