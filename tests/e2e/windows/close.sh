#!/usr/bin/env bash
# Windows of the Windows program under Wine closed from outside (the window
# manager's close request, as their close button sends it): each run goes on
# to its end. "Pendelweg" (2000 steps of 6 ms) is closed 2 s into its run,
# and "Startpunkte" opens only after the rest of the run and its 10 s;
# "Startpunkte" is closed during its run or pause, and the program ends with
# exit code 0 no earlier than its 10 s after the map.
# Usage: close.sh <path of magpend.exe> <build dir> <Linux build dir>
set -euo pipefail
exe=$(realpath "$1")
closer="$(realpath "$3")/tests/e2e/close_window"  # the Linux build's
socket="magpend-windows-close-$$"
source "$(dirname "$0")/../lib.bash"
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || fail "needs a reachable X display"
[ -n "${WINEPREFIX:-}" ] || fail "needs WINEPREFIX"

start_shell
tmux_ send-keys -t "$pane" "wine '$exe'; echo \"exit code \$?\"" Enter
wait_for "^ Startposition     x: -50" 60
fill_form "" "" "" "" "" "20"

wait_for_class_window Pendelweg magpend.exe 30
opened=$(now_ms)
sleep 2
"$closer" request "$(class_window_id Pendelweg magpend.exe)" Pendelweg || fail "could not close Pendelweg"
for _ in $(seq 30); do [ -z "$(class_window_id Pendelweg magpend.exe)" ] && break; sleep 0.1; done
[ -z "$(class_window_id Pendelweg magpend.exe)" ] || fail "Pendelweg did not close"

# The path run goes on unseen: 2000 steps of 6 ms, then its 10 s.
wait_for_class_window Startpunkte magpend.exe 40
mapOpened=$(now_ms)
echo "Startpunkte opened $((mapOpened - opened)) ms after Pendelweg (at least 12000 + 10000)"
[ $((mapOpened - opened)) -ge 21500 ] || fail "the path run was cut short"
sleep 1
"$closer" request "$(class_window_id Startpunkte magpend.exe)" Startpunkte || fail "could not close Startpunkte"
wait_for "^exit code 0$" 30
ended=$(now_ms)
echo "the program ended $((ended - mapOpened)) ms after Startpunkte was seen (its 10 s pause)"
# (The window is seen a moment after it opened.)
[ $((ended - mapOpened)) -ge 9500 ] || fail "the map's pause was cut short"
echo "close: passed"
