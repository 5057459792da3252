#!/usr/bin/env bash
# Keys and short runs of the real program: a start next to magnet 2 is caught
# in the first step, so "Pendelweg" stays only its 10 s; Escape in the
# console during a long map run ends the program at once with exit code 0,
# leaving the terminal in its normal mode. Also while the map waits for a
# trial that runs for minutes (n = 1e9).
# Usage: run_keys.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-run-keys-$$"
source "$(dirname "$0")/lib.bash"
use_private_display

start_shell
tmux_ send-keys -t "$pane" "'$binary'; echo \"exit code \$?\"" Enter
fill_form "30.3" "30" "" "" "" "30000"

wait_for_window Pendelweg 10
started=$(date +%s)
while [ -n "$(window_id Pendelweg)" ]; do sleep 0.2; done
lasted=$(( $(date +%s) - started ))
[ "$lasted" -ge 9 ] && [ "$lasted" -le 13 ] || fail "Pendelweg stayed $lasted s, not 10"

wait_for_window Startpunkte 10
sleep 1
[ -n "$(window_id Startpunkte)" ] || fail "the map ended before Escape"
tmux_ send-keys -t "$pane" Escape
wait_for "^exit code 0$" 3
[ -z "$(window_id Startpunkte)" ] || fail "the map window outlived the program"

# The terminal is back in normal mode: the shell echoes what is typed.
tmux_ send-keys -t "$pane" "echo back to normal" Enter
wait_for "^back to normal$" 5
# With magnets of next to no strength (m = 1e-300) a bob released at rest
# swings through the centre on a straight line: caught when that line passes
# a magnet, as the first start points' lines do, else swinging on for a
# billion steps, as the one from (-70, -110), the 21st, does.
tmux_ send-keys -t "$pane" "clear; '$binary'; echo \"exit code \$?\"" Enter
fill_form "" "" "" "1e-300" "" "1e9"
wait_for_window Startpunkte 20
sleep 1.5
[ -n "$(window_id Startpunkte)" ] || fail "the map with n = 1e9 ended before Escape"
pressed=$(now_ms)
tmux_ send-keys -t "$pane" Escape
wait_for "^exit code 0$" 5
took=$(($(now_ms) - pressed))
[ "$took" -le 1500 ] || fail "Escape during a long trial took $took ms to end the program"
echo "Escape while the map waited for a trial of a billion steps: ended after $took ms"
echo "run_keys: passed"
