#!/usr/bin/env bash
# Keys of the Windows program under Wine in tmux: a key in the console ends
# the path run (n = 32767 would make it last for hours), whose window then
# stays its 10 s; Escape during the map run (which would last for hours too)
# ends the program with exit code 0, and the terminal works normally
# afterwards.
# Before the key and before Escape, the runs go on while Windows holds the
# window's thread in a loop of its own: the title bar of "Pendelweg" held
# with the mouse for 2 s (a move loop: the window moves), the window menu of
# "Startpunkte" held open for 2 s (a menu loop); both times the drawing area
# changed while the loop lasted.
# Usage: keys.sh <path of magpend.exe> <build dir> <Linux build dir>
set -euo pipefail
exe=$(realpath "$1")
e2eTools="$(realpath "$3")/tests/e2e"
socket="magpend-windows-keys-$$"
source "$(dirname "$0")/../lib.bash"
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || fail "needs a reachable X display"
[ -n "${WINEPREFIX:-}" ] || fail "needs WINEPREFIX"

# Screenshots of window $1's drawing area at the start and near the end of
# a 2 s hold, which the caller begins before and ends after.
shots_during_hold() {
  sleep 0.3
  wine_area_screenshot "$1" "$work/held-first.ppm"
  sleep 1.5
  wine_area_screenshot "$1" "$work/held-last.ppm"
}

start_shell
tmux_ send-keys -t "$pane" "wine '$exe'; echo \"exit code \$?\"" Enter
wait_for "^ Startposition     x: -50" 60
fill_form "" "" "" "" "" "32767"

wait_for_class_window Pendelweg magpend.exe 30
path=$(class_window_id Pendelweg magpend.exe)
sleep 1
# The frame (drawn by Wine, at (100, 100)): title bar from y 103 to 121.
xdotool mousemove 400 110 mousedown 1 sleep 0.1 mousemove 420 122
shots_during_hold "$path"
xdotool mouseup 1
[[ "$(window_geometry "$path")" == *+120+112 ]] || fail "no move loop: Pendelweg is at $(window_geometry "$path")"
cmp -s "$work/held-first.ppm" "$work/held-last.ppm" && fail "the path stood still while the title bar was held"
echo "the path went on while its window was moved"
tmux_ send-keys -t "$pane" q
pressed=$(now_ms)
until window_closed "$path" Pendelweg; do sleep 0.1; done
stayed=$(( $(now_ms) - pressed ))
echo "Pendelweg closed $stayed ms after the key"
# Twice as long would be a pause that is wrong, not a loaded machine's.
[ "$stayed" -ge 9500 ] && [ "$stayed" -le 20000 ] || fail "Pendelweg stayed $stayed ms after the key, not 10 s"

wait_for_class_window Startpunkte magpend.exe 30
map=$(class_window_id Startpunkte magpend.exe)
# The window menu from the icon at the title bar's left end; a click
# beside it closes it again.
xdotool mousemove 111 112 click 1
shots_during_hold "$map"
menus=$(xwininfo -root -tree | grep -cE '\(has no name\): \("magpend.exe" .*\+103\+121 ' || true)
xdotool mousemove 1000 700 click 1
[ "$menus" = 1 ] || fail "the window menu did not open"
cmp -s "$work/held-first.ppm" "$work/held-last.ppm" && fail "the map stood still while the window menu was open"
echo "the map went on while the window menu was open"
[ -n "$(class_window_id Startpunkte magpend.exe)" ] || fail "the map ended before Escape"
tmux_ send-keys -t "$pane" Escape
pressed=$(now_ms)
wait_for "^exit code 0$" 60
echo "the program ended $(( $(now_ms) - pressed )) ms after Escape"
[ -z "$(class_window_id Startpunkte magpend.exe)" ] || fail "the map window outlived the program"

tmux_ send-keys -t "$pane" "echo back to normal" Enter
wait_for "^back to normal$" 30
echo "keys: passed"
