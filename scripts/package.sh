#!/usr/bin/env bash
# Builds every package of both platforms from this tree:
#   build/magpend_<version>_amd64.deb               the Debian package (Linux)
#   build-windows/magpend-<version>-win64.zip       magpend.exe, README, licence
#   build-windows/magpend-<version>-win64.exe       the Windows installer
# Installs what it needs when run as root: the build tools, dpkg-dev and
# file (with which CPack finds the packages of the libraries the program
# uses), mingw-w64 for the Windows program and NSIS for its installer.
# Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages --lean "${buildPackages[@]}" dpkg-dev file g++-mingw-w64-x86-64-posix nsis

cmake --preset normal >/dev/null
cmake --build --preset program
(cd build && cpack -G DEB)

cmake --preset windows >/dev/null
cmake --build build-windows --target magpend -j "$(nproc)"
(cd build-windows && cpack -G "ZIP;NSIS")

echo "packages:"
ls -1 build/magpend_*.deb build-windows/magpend-*-win64.zip build-windows/magpend-*-win64.exe
