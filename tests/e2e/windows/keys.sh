#!/usr/bin/env bash
# Keys of the Windows program under Wine in tmux: a key in the console ends
# the path run (n = 32767 would make it last for hours), whose window then
# stays its 10 s; Escape during the map run ends the program within a
# second with exit code 0, and the terminal works normally afterwards.
# Usage: keys.sh <path of magpend.exe> <build dir> <Linux build dir>
set -euo pipefail
exe=$(realpath "$1")
socket="magpend-windows-keys-$$"
source "$(dirname "$0")/../lib.bash"
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || fail "needs a reachable X display"
[ -n "${WINEPREFIX:-}" ] || fail "needs WINEPREFIX"

start_shell
tmux_ send-keys -t "$pane" "wine '$exe'; echo \"exit code \$?\"" Enter
wait_for "^ Startposition     x: -50" 60
fill_form "" "" "" "" "" "32767"

wait_for_class_window Pendelweg magpend.exe 30
sleep 1
tmux_ send-keys -t "$pane" q
pressed=$(now_ms)
while [ -n "$(class_window_id Pendelweg magpend.exe)" ]; do sleep 0.1; done
stayed=$(( $(now_ms) - pressed ))
echo "Pendelweg closed $stayed ms after the key"
[ "$stayed" -ge 9500 ] && [ "$stayed" -le 13000 ] || fail "Pendelweg stayed $stayed ms after the key, not 10 s"

wait_for_class_window Startpunkte magpend.exe 30
sleep 1
[ -n "$(class_window_id Startpunkte magpend.exe)" ] || fail "the map ended before Escape"
tmux_ send-keys -t "$pane" Escape
pressed=$(now_ms)
wait_for "^exit code 0$" 5
ended=$(( $(now_ms) - pressed ))
echo "the program ended $ended ms after Escape"
[ "$ended" -le 1000 ] || fail "the program took $ended ms to end after Escape"
[ -z "$(class_window_id Startpunkte magpend.exe)" ] || fail "the map window outlived the program"

tmux_ send-keys -t "$pane" "echo back to normal" Enter
wait_for "^back to normal$" 5
echo "keys: passed"
