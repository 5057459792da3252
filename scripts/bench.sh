#!/usr/bin/env bash
# Builds magpend and runs its benchmarks: the bare model, the drawing
# operations, and both runs as the program performs them (offscreen and on a
# private Xvfb), with the path run's pacing and the program's peak memory;
# and the batch map against the bare trials of its grid.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${buildPackages[@]}" "${testPackages[@]}" xvfb x11-utils time tmux
start_private_xvfb
configure_and_build build >/dev/null

build/bench/model_bench --benchmark_counters_tabular=true
build/bench/graphics_bench
build/bench/run_bench
build/bench/batch_bench build/magpend

# Peak memory of the whole program through a default map run (x = 30.3 is
# caught at once, so the path run is short), typed into a tmux pane.
memory=$(mktemp)
tmux -L magpend-bench -f /dev/null new-session -d -x 80 -y 25 \
  "/usr/bin/time -o '$memory' -f '%M' build/magpend"
sleep 0.5
tmux -L magpend-bench send-keys 3 0 . 3 Enter 3 0 Enter Enter Enter Enter Enter
for _ in $(seq 600); do [ -s "$memory" ] && break; sleep 0.1; done
echo "peak memory of the program through the default map: $(cat "$memory") kB"
rm -f "$memory"
