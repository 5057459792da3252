#!/usr/bin/env bash
# `magpend explore` on a private X server, driven with xdotool as a user
# would, without a terminal:
#  - every finished view (the first, after the wheel, a drag, Backspace,
#    an arrow key, Home, a dragged magnet and F) equals, pixel for pixel,
#    the picture of the `magpend map` command it prints;
#  - a click prints its start point and the magnet of that pixel's colour,
#    and draws the path;
#  - the status line below the view tells the first view, and that it is
#    done in the time its line says; H shows the help over the view, and
#    Escape hides it without ending;
#  - S writes the view's picture; Escape ends with exit code 0;
#  - a long view: the status line changes while it is computed;
#  - then once more under openbox: the first view, a click, Q.
# Usage: explore.sh <path of magpend> <build dir>
set -euo pipefail
source "$(dirname "$0")/lib.bash"
take_program_and_build "$@"
use_private_display
side=96
out="$work/explore.out"
mapper=$binary

# Starts the explorer with the arguments given, in $work, and finds its window.
start_explorer() {
  : > "$out"
  (cd "$work" && exec "$binary" explore --grid "$side" --n 300 "$@" > "$out" 2> "$work/explore.err") &
  explorer=$!
  wait_for_window "magpend explore" 20
  window=$(window_id "magpend explore")
  # A busy window manager may map the frame only a while after it appeared.
  poll_until 30 window_viewable ||
    fail "the explorer's window was never shown${manager:+ by $manager}: $(xprop -id "$window" WM_STATE | tr -s ' \n' ' ')"
}
window_viewable() { xwininfo -id "$window" | grep -q "Map State: IsViewable"; }

start_explorer
check_view 1
# The first view: the lattice's around -110:110:-110:110, a little larger.
grep -q "^view: magpend map --grid $side --region -111.625:114:-111.625:114 --n 300 --markers -o view.png  # [0-9.]* s$" "$out" ||
  fail "the first view's line: $(head -1 "$out")"
check_status_done 1
check_status 0 "centre 1.19 1.19  width 225.6  zoom 1x   H: help"
check_click 60 30
# The keys go to the window that has the focus: the click gave it.
xdotool mousemove --window "$window" 40 50 click 4
check_view 2
xdotool mousemove --window "$window" 10 12 mousedown 1 mousemove --window "$window" 30 20 \
  mousemove --window "$window" 50 40 mouseup 1
check_view 3
xdotool key BackSpace
check_view 4
[ "$(view_command 4)" = "$(view_command 2)" ] ||
  fail "Backspace did not go back to the view before"
xdotool key Right
check_view 5
xdotool key Home
check_view 6
[ "$(view_command 6)" = "$(view_command 1)" ] ||
  fail "Home did not go to the first view"
check_help
# Magnet 2's marker, at (30, 30), lies around pixel (60, 35): dragged away.
xdotool mousemove --window "$window" 60 35 mousedown 1 mousemove --window "$window" 70 28 \
  mousemove --window "$window" 80 20 mouseup 1
check_view 7
[[ "$(view_command 7)" == *' --magnets="-42.42640687119285,0;'*';30,-30" --markers '* ]] ||
  fail "dragging magnet 2's marker did not move it: $(view_command 7)"
xdotool key F
check_view 8
[[ "$(view_command 8)" == *' --friction 0.01 '* ]] || fail "F did not add friction: $(view_command 8)"
check_save explore-001.png
end_with Escape

# Trials of a million steps that no magnet ends: a view of minutes.
start_explorer --m 1e-9 --n 1000000
check_status_progresses
# The keys go to the window that has the focus: a click gives it (and its
# trial gives way to the key).
point_at 5 5
xdotool click 1
end_with Escape

# Under a window manager: the frame is decorated, the drawing area the same.
manager=openbox
start_window_manager "$manager"
start_explorer
check_view 1
check_click 20 70
end_with q
echo "explore: views, click, keys, save, status line and help as they should, also under openbox"
