#!/usr/bin/env bash
# Builds the browser version: the program compiled to WebAssembly with
# Debian's emscripten, and the page around it (its manual as text, its
# licence, its service worker, the results of the explorer's first view),
# into build-web/, a folder that any static web server can host. Installs
# what it needs (the native build's packages, emscripten, Node.js and npm,
# the page's npm packages from package-lock.json, man-db for the manual)
# when run as root.
# Usage: scripts/build-web.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${buildPackages[@]}" emscripten nodejs man-db
command -v npm >/dev/null || ensure_packages npm
# emscripten's tools run on node and find Debian's node modules (acorn ...)
# here, also where node is not Debian's own.
export NODE_PATH=/usr/share/nodejs
[ -d node_modules/@xterm/xterm ] && [ node_modules/.package-lock.json -nt package-lock.json ] ||
  npm ci --no-audit --no-fund --loglevel=error
emcmake cmake -S . -B build-web-cmake -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web-cmake --target magpend -j "$(nproc)"
site=build-web
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-web-cmake/CMakeCache.txt)
rm -rf "$site"
mkdir "$site"
cp build-web-cmake/magpend.js build-web-cmake/magpend.wasm build-web-cmake/magpend.worker.js \
  web/page_windows.js web/page.js web/page.css web/isolation.js web/touch_gestures.js web/explore.js "$site"/
cp node_modules/@xterm/xterm/lib/xterm.js node_modules/@xterm/xterm/css/xterm.css "$site"/
cp packaging/icons/magpend-32.png "$site/icon.png"
cp LICENSE "$site/LICENSE.txt"
MANWIDTH=80 man -E ascii -l build-web-cmake/magpend.1 >"$site/manual.txt"
# The explorer's first view comes with the page: its results, computed by
# the native program (every machine computes the same bits; the page
# computes a sample again when it reads them). The region is the one its
# "view:" line names.
cmake --preset normal >/dev/null
cmake --build build --target magpend -j "$(nproc)"
firstView=$(mktemp -d)
trap 'rm -rf "$firstView"' EXIT
build/magpend map --grid 600 --region -112.125:112.5:-112.125:112.5 -o "$firstView/view.png" \
  --results "$site/first-view.results"
sed "s/@MAGPEND_VERSION@/$version/g" web/index.html >"$site/index.html"
# The service worker keeps every file of the page, by the list of them.
pageFiles=$(cd "$site" && printf "'%s', " ./ *)
sed -e "s/@MAGPEND_VERSION@/$version/g" -e "s|@MAGPEND_PAGE_FILES@|${pageFiles%, }|" \
  web/service-worker.js >"$site/service-worker.js"
echo "built $site/ (serve it with scripts/serve-web.sh, or on any static web host)"
