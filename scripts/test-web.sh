#!/usr/bin/env bash
# Builds the browser version and tests it in headless Chromium against the
# Linux build: the Linux program runs once with every default in tmux on a
# private Xvfb and saves both windows' final pictures, while the page runs
# in the browser (tests/web/page_test.js), served as any web host serves it
# (Python's http.server) and by scripts/serve-web.sh's server; the Linux
# build's image_probe reads the explorer's status line. Installs what
# it needs when run as root.
# Usage: scripts/test-web.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${buildPackages[@]}" chromium xvfb tmux python3
started=$(date +%s)
scripts/build-web.sh
{ cmake --preset normal && cmake --build build --target magpend image_probe; } >/dev/null
echo "built in $(($(date +%s) - started)) s"

# The Linux pictures of a run with every default.
socket="magpend-web-$$"
source tests/e2e/lib.bash
use_private_display
reference="$work/reference"
mkdir "$reference"
start_shell
tmux_ send-keys -t "$pane" "'$PWD/build/magpend' --save '$reference'" Enter
fill_form "" "" "" "" "" ""

node tests/web/page_test.js build-web "$(build/magpend --version)" "$reference" build/magpend
echo "test-web: done in $(($(date +%s) - started)) s"
