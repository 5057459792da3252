#!/usr/bin/env bash
# The page's default map against the native program's, in the same run: the
# map window's scan in headless Chromium (bench/web_map_bench.js, from the
# window opening to its last square) and the bare default map on one core
# (model_bench's DefaultMapComputation, the least of five rounds). Prints
# both and their ratio. Installs what it needs when run as root.
# Usage: scripts/bench-web.sh [rounds of the page, default 3]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${buildPackages[@]}" chromium libbenchmark-dev
rounds=${1:-3}
scripts/build-web.sh >/dev/null
{ cmake --preset normal && cmake --build --preset normal --target model_bench; } >/dev/null
export NODE_PATH=/usr/share/nodejs
for ((round = 1; round <= rounds; ++round)); do
  echo "page $(node bench/web_map_bench.js build-web)"
  build/bench/model_bench --benchmark_filter='^DefaultMapComputation' --benchmark_repetitions=5 2>/dev/null |
    awk '$1 ~ /^DefaultMapComputation/ && $1 !~ /_(mean|median|stddev|cv)$/ && $3 == "ms" {print "native", $2 / 1e3}'
done | awk '
  $1 == "page" && (!page || $2 < page) { page = $2 }
  $1 == "native" && (!native || $2 < native) { native = $2 }
  END { printf "page %.3f s, native bare map on one core %.3f s (the least of each): %.1f times\n",
               page, native, page / native }'
