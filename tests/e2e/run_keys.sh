#!/usr/bin/env bash
# Keys and short runs of the real program: a start next to magnet 2 is caught
# in the first step, so "Pendelweg" stays only its 10 s; Escape in the
# console during a long map run ends the program at once with exit code 0,
# leaving the terminal in its normal mode.
# Usage: run_keys.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-run-keys-$$"
source "$(dirname "$0")/lib.bash"
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || fail "needs a reachable X display"

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
echo "run_keys: passed"
