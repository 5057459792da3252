#!/usr/bin/env bash
# Draws the icon of the application menu with the program's own map:
# packaging/icons/magpend-S.png is `magpend map --grid S` with every
# default, at the sizes of the freedesktop icon theme. The pictures are
# committed, made once, so that no build has to run the program it builds
# (a cross build cannot); run this again when the map's look changes.
# Usage: scripts/icons.sh [program] (default build/magpend)
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/magpend}
for size in 16 24 32 48 64 128 256; do
  "$program" map --grid "$size" -o "packaging/icons/magpend-$size.png"
done
