#!/usr/bin/env bash
# Builds magpend and runs every test: unit and in-process tests, and the
# end-to-end tests of the real binary in tmux under a private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${buildPackages[@]}" tmux xvfb xdotool x11-utils x11-apps netpbm

# A private X server for the window tests, on the first free display number.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfbPid=$!
trap 'kill $xvfbPid 2>/dev/null || true' EXIT
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $DISPLAY" >&2; exit 1; }

configure_and_build build
ctest --test-dir build --output-on-failure -j 2
