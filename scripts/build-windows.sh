#!/usr/bin/env bash
# Cross-builds the Windows program on Debian (the windows preset): magpend.exe,
# a static x86-64 executable that needs no DLL beyond Windows' own, in
# build-windows/. Installs what it needs (mingw-w64 with POSIX threads, Wine
# to run the tests, GoogleTest's sources) when run as root.
# Usage: scripts/build-windows.sh [build folder [CMake options...]]
#        (default build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${windowsBuildPackages[@]}"
folder=${1:-build-windows}
shift || true
cmake --preset windows -B "$folder" "$@" >/dev/null
cmake --build "$folder" -j "$(nproc)"
echo "built $folder/magpend.exe"
