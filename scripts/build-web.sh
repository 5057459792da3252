#!/usr/bin/env bash
# Builds the browser version: the program compiled to WebAssembly with
# Debian's emscripten, and the page around it, into build-web/, a folder
# that any static server can host if it sends the two headers of
# scripts/serve-web.sh. Installs what it needs (emscripten, Node.js and npm,
# the page's npm packages from package-lock.json) when run as root.
# Usage: scripts/build-web.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages cmake ninja-build emscripten nodejs
command -v npm >/dev/null || ensure_packages npm
# emscripten's tools run on node and find Debian's node modules (acorn ...)
# here, also where node is not Debian's own.
export NODE_PATH=/usr/share/nodejs
[ -d node_modules/@xterm/xterm ] && [ node_modules/.package-lock.json -nt package-lock.json ] ||
  npm ci --no-audit --no-fund --loglevel=error
emcmake cmake -S . -B build-web-cmake -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web-cmake --target magpend -j "$(nproc)"
site=build-web
mkdir -p "$site"
cp build-web-cmake/magpend.js build-web-cmake/magpend.wasm build-web-cmake/magpend.worker.js \
  web/index.html web/page.js web/explore.js web/page.css "$site"/
cp node_modules/@xterm/xterm/lib/xterm.js node_modules/@xterm/xterm/css/xterm.css "$site"/
echo "built $site/ (serve it with scripts/serve-web.sh)"
