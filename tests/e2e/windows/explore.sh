#!/usr/bin/env bash
# The explorer of the Windows program under Wine, driven with xdotool as a
# user would: each view it finishes (the first, after a wheel notch, a drag,
# Backspace, a right click, Home, an arrow key, a dragged magnet and F)
# shows pixel for pixel the picture that the Linux build makes of the
# `magpend map` command it prints; a click prints its start point with the
# magnet of that pixel's colour and draws the path; the status line below
# the view tells the first view and that it is done, in the font's own
# pixels; H shows the help and Escape hides it; S writes the view's picture
# as explore-001.png; Escape ends it with exit code 0.
# Usage: explore.sh <path of magpend.exe> <build dir> <Linux build dir>
set -euo pipefail
source "$(dirname "$0")/../lib.bash"
take_windows_program "$@"
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || fail "needs a reachable X display"
[ -n "${WINEPREFIX:-}" ] || fail "needs WINEPREFIX"
side=160
out="$work/explore.out"
mapper="$linux/magpend"

cd "$work"
wine "$exe" explore --grid "$side" --n 500 > "$out" 2> explore.err &
explorer=$!
trap 'kill "$explorer" 2>/dev/null || true; cleanup' EXIT
wait_for_class_window "magpend explore" magpend.exe 60
window=$(class_window_id "magpend explore" magpend.exe)
# Wine draws the frame around the drawing area into the window itself.
read -r left top <<< "$(wine_area_offset "$window" "$side" $((side + statusHeight)))"
explorer_area_screenshot() { wine_area_screenshot "$window" "$1" "$side" $((side + statusHeight)); }
point_at() { xdotool mousemove --window "$window" $((left + $1)) $((top + $2)); }

check_view 1
[[ "$(view_command 1)" == "view: magpend map --grid $side --region -113.5625:115:-113.5625:115 --n 500 --markers -o view.png  " ]] ||
  fail "the first view's line: $(head -1 "$out")"
check_status_done 1
check_status 0 "centre 0.7188 0.7188  width 228.6  zoom 1x   H: help"
check_click 60 30
point_at 40 50
xdotool click 4
check_view 2
point_at 10 12
xdotool mousedown 1
for step in 1 2 3 4; do point_at $((10 + 15 * step)) $((12 + 8 * step)); done
xdotool mouseup 1
check_view 3
xdotool key BackSpace
check_view 4
[ "$(view_command 4)" = "$(view_command 2)" ] || fail "Backspace did not go back to the view before"
point_at 80 80
xdotool click 3
check_view 5
[ "$(view_command 5)" = "$(view_command 1)" ] || fail "a right click did not go back to the first view"
xdotool key Right
check_view 6
xdotool key Home
check_view 7
[ "$(view_command 7)" = "$(view_command 1)" ] || fail "Home did not go to the first view"
check_help
# Magnet 2's marker, at (30, 30), lies around pixel (101, 58): dragged away.
point_at 101 58
xdotool mousedown 1
for step in 1 2 3 4; do point_at $((101 + 7 * step)) $((58 - 7 * step)); done
xdotool mouseup 1
check_view 8
[[ "$(view_command 8)" == *' --magnets="-42.42640687119285,0;'*';30,-30" --markers '* ]] ||
  fail "dragging magnet 2's marker did not move it: $(view_command 8)"
xdotool key F
check_view 9
[[ "$(view_command 9)" == *' --friction 0.01 '* ]] || fail "F did not add friction: $(view_command 9)"
check_save explore-001.png
end_with Escape
echo "explore: views, click, keys, save, status line and help as they should"
