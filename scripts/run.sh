#!/usr/bin/env bash
# Builds magpend into build/ and runs it in this terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${buildPackages[@]}" x11-utils
configure_and_build build >&2
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "magpend: no X display is reachable, so the windows will not show." >&2
fi
exec build/magpend
