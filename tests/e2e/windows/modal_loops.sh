#!/usr/bin/env bash
# The runs go on while Windows holds a window's thread in a loop of its own:
# the title bar of "Pendelweg" held with the mouse for 2 s (a move loop, the
# window moving), then the window menu of "Startpunkte" held open for 2 s (a
# menu loop). Both times the drawing area changed while the loop lasted,
# and the program ends with exit code 0 (after Escape in the console). The path (v 0.005: 1 ms a step) is
# caught after 5461 steps; n 20000 makes the map take seconds.
# Usage: modal_loops.sh <path of magpend.exe> <build dir> <Linux build dir>
set -euo pipefail
exe=$(realpath "$1")
socket="magpend-windows-modal-$$"
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
fill_form "" "" "" "" "0.005" "20000"

# The frame (drawn by Wine, at (100, 100)): title bar from y 103 to 121.
wait_for_class_window Pendelweg magpend.exe 60
path=$(class_window_id Pendelweg magpend.exe)
sleep 1
xdotool mousemove 400 110 mousedown 1 sleep 0.1 mousemove 420 122
shots_during_hold "$path"
xdotool mouseup 1
[[ "$(window_geometry "$path")" == *+120+112 ]] || fail "no move loop: Pendelweg is at $(window_geometry "$path")"
cmp -s "$work/held-first.ppm" "$work/held-last.ppm" && fail "the path stood still while the title bar was held"
echo "the path went on while its window was moved"

# The window menu from the icon at the title bar's left end; a click
# beside it closes it again.
wait_for_class_window Startpunkte magpend.exe 60
map=$(class_window_id Startpunkte magpend.exe)
xdotool mousemove 111 112 click 1
shots_during_hold "$map"
menus=$(xwininfo -root -tree | grep -cE '\(has no name\): \("magpend.exe" .*\+103\+121 ' || true)
xdotool mousemove 1000 700 click 1
[ "$menus" = 1 ] || fail "the window menu did not open"
cmp -s "$work/held-first.ppm" "$work/held-last.ppm" && fail "the map stood still while the window menu was open"
echo "the map went on while the window menu was open"
# Escape ends the rest of the map (a finished map stays its 10 s).
tmux_ send-keys -t "$pane" Escape
wait_for "^exit code 0$" 60
echo "modal_loops: passed"
