#!/usr/bin/env bash
# Makes a release: dist/ with every package of one version, the CMake
# project's (which `magpend --version` prints and the page shows):
#   magpend_<v>_amd64.deb          Debian and its kin on x86-64
#   magpend_<v>_arm64.deb          Debian and its kin on ARM64 (a cross build)
#   magpend-<v>-win64.zip          Windows, to unpack anywhere
#   magpend-<v>-win64-setup.exe    Windows, the installer
#   magpend-<v>-web.zip            the page, a folder for any static web host
#   magpend-<v>-source.tar.gz      the tracked tree of the last commit
#   SHA256SUMS                     the checksums of all of them
# It reuses the build folders of the test lanes (build, build-arm64,
# build-windows, build-web) and builds in them only what is missing or out
# of date. Installs what it needs when run as root: the build tools, dpkg-dev
# and file (with which CPack finds the packages of the libraries the program
# uses), mingw-w64, NSIS for the installer, and what the ARM64 and the
# browser builds install.
# Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages --lean "${buildPackages[@]}" dpkg-dev file g++-mingw-w64-x86-64-posix nsis git
started=$(date +%s)

echo "=== the builds"
cmake --preset normal >/dev/null
cmake --build --preset program
scripts/build-arm64.sh --target magpend build-arm64
cmake --preset windows >/dev/null
cmake --build build-windows --target magpend -j "$(nproc)"
scripts/build-web.sh

echo "=== the packages"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
rm -rf dist
mkdir dist
for build in build build-arm64; do
  (cd "$build" && cpack -G DEB >/dev/null)
done
cp "build/magpend_${version}_amd64.deb" "build-arm64/magpend_${version}_arm64.deb" dist/
(cd build-windows && cpack -G "ZIP;NSIS" >/dev/null)
cp "build-windows/magpend-$version-win64.zip" dist/
cp "build-windows/magpend-$version-win64.exe" "dist/magpend-$version-win64-setup.exe"

# The page's folder under the release's name, packed whole.
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
cp -r build-web "$staging/magpend-$version-web"
(cd "$staging" && cmake -E tar cf "$OLDPWD/dist/magpend-$version-web.zip" --format=zip "magpend-$version-web")

git archive --format=tar.gz --prefix="magpend-$version/" -o "dist/magpend-$version-source.tar.gz" HEAD
git diff --quiet HEAD ||
  echo "note: the source archive holds the last commit; changes not committed are not in it" >&2

(cd dist && sha256sum magpend* >SHA256SUMS)
echo "=== dist/ of magpend $version, made in $(($(date +%s) - started)) s"
ls -l dist
