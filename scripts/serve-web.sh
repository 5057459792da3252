#!/usr/bin/env bash
# Serves the browser version (build-web/, made by scripts/build-web.sh) on
# http://127.0.0.1:PORT/ (default 8080), with the headers the page needs:
# Cross-Origin-Opener-Policy: same-origin and
# Cross-Origin-Embedder-Policy: require-corp.
# Usage: scripts/serve-web.sh [PORT]
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build-web/index.html ] || { echo "build it first: scripts/build-web.sh" >&2; exit 1; }
exec node web/serve.js build-web "${1:-8080}"
