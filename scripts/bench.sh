#!/usr/bin/env bash
# Builds magpend and runs its benchmarks: the bare model, the drawing
# operations, and both runs as the program performs them (offscreen and on a
# private Xvfb), with the path run's pacing and the program's peak memory;
# the batch map against the bare trials of its grid; a zoom film's frames
# against the map commands of its frames; and the explorer's views.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
source scripts/xvfb.bash
ensure_packages "${buildPackages[@]}" "${testPackages[@]}" xvfb x11-utils time tmux
# A desktop's X server keeps running while its session does; Xvfb, alone
# with the program, would reset whenever the program's last window closed
# and make the next window wait for the reset (about 0.1 s).
start_private_xvfb -noreset
export DISPLAY=$xvfbDisplay
trap stop_private_xvfbs EXIT
cmake --preset normal >/dev/null
cmake --build --preset normal -j "$(nproc)" >/dev/null

build/bench/model_bench --benchmark_counters_tabular=true
build/bench/graphics_bench
build/bench/run_bench
build/bench/batch_bench build/magpend
build/bench/film_bench build/magpend
build/bench/explore_bench

# The whole program in a tmux pane: its processor time while it waits at the
# form, then a default map run (x = 30.3 is caught at once, so the path run
# is one step) timed from the last Enter to the program's end. Beyond its two
# 10 s pauses, the one 6 ms pause and the map's computation (e) it costs what
# the program adds: two windows opened and closed, the painting, set-up and
# tear-down. Also its peak memory.
scan=$(build/bench/run_bench --skip-path | sed -n 's/^(e) .*: \([0-9.]*\) s$/\1/p')
report=$(mktemp)
tmux -L magpend-bench -f /dev/null new-session -d -x 80 -y 25 \
  "/usr/bin/time -o '$report' -f '%M' build/magpend; date +%s%N >> '$report'"
trap 'tmux -L magpend-bench kill-server 2>/dev/null || true; stop_private_xvfbs' EXIT
until tmux -L magpend-bench capture-pane -p | grep -q Startposition; do sleep 0.01; done
# The program below the pane's shell and /usr/bin/time.
program=$(tmux -L magpend-bench display-message -p '#{pane_pid}')
until [ "$(cat /proc/"$program"/comm)" = magpend ]; do program=$(pgrep -P "$program" | head -1); done
cpuNanoseconds() { cat /proc/"$program"/task/*/schedstat | awk '{total += $1} END {print total}'; }
before=$(cpuNanoseconds)
sleep 10
after=$(cpuNanoseconds)
echo "processor time over 10 s waiting at the form: $(( (after - before) / 1000 )) us"
tmux -L magpend-bench send-keys 3 0 . 3 Enter 3 0 Enter Enter Enter Enter
sleep 0.2
entered=$(date +%s%N)
tmux -L magpend-bench send-keys Enter
for _ in $(seq 600); do [ "$(wc -l < "$report")" -ge 2 ] && break; sleep 0.05; done
ended=$(tail -1 "$report")
awk -v total="$(( (ended - entered) / 1000 ))" -v scan="$scan" 'BEGIN {
  printf "whole program from the last Enter to its end: %.3f s; beyond 20.006 s of pauses and %.3f s of map computation: %.3f s\n",
    total / 1e6, scan, total / 1e6 - 20.006 - scan }'
echo "peak memory of the program through the default map: $(head -1 "$report") kB"
rm -f "$report"
