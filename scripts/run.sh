#!/usr/bin/env bash
# Builds magpend into build/ and runs it in this terminal. Installs only what
# building and running the program needs, and builds only the program.
# Arguments are handed to the program (magpend --help lists them).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages --lean "${buildPackages[@]}"
cmake --preset normal >/dev/null
cmake --build --preset program -j "$(nproc)" >&2
noDisplay=""
if ! display_reachable; then
  noDisplay="magpend: no X display is reachable, so the windows will not show."
  echo "$noDisplay" >&2
fi
status=0
build/magpend "$@" || status=$?
# Said again: the form covered the first notice at once.
[ -z "$noDisplay" ] || echo "$noDisplay" >&2
exit "$status"
