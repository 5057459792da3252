#!/usr/bin/env bash
# Both windows of a default run, on the X display: "Pendelweg" opens at
# (100, 100) with an 800 x 600 drawing area, draws its path and closes;
# "Startpunkte" then fills with squares in the three magnet colours, tiling
# pixels 178 to 621 across and 78 to 521 down with the markers on top, and
# closes; the program ends with exit code 0. The last screenshots of both
# windows are kept in <build dir>/screenshots for the README (those under a
# window manager in a folder of its name there). The program runs with
# --save, and the two pictures it saved equal those screenshots pixel for
# pixel.
#
# With MAGPEND_WINDOW_MANAGER=openbox the same run happens under that window
# manager, on a private X server of its own. The window manager reparents the
# frame into a decoration of its own and places that decoration's outer
# corner at (100, 100), so the drawing area sits below the title bar and
# right of the border: what the program asks for, a frame whose outer corner
# is at (100, 100). Also checked there: the title bar shows the caption, the
# window manager offers neither maximising nor resizing and refuses both when
# asked, and its close button closes "Startpunkte" while the program still
# ends normally. Screenshots of the decorated windows are kept as well.
# Usage: [MAGPEND_WINDOW_MANAGER=openbox] run_windows.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
build=$(realpath "$2")
probe="$build/tests/e2e/image_probe"
e2eTools="$build/tests/e2e"
manager=${MAGPEND_WINDOW_MANAGER:-}
shots="$build/screenshots${manager:+/$manager}"
mkdir -p "$shots"
socket="magpend-run-windows-$$"
source "$(dirname "$0")/lib.bash"
use_private_display
if [ -n "$manager" ]; then start_window_manager "$manager"; fi

# Under the window manager: waits until it has put its decoration, title bar
# and all, around the window `$1`.
decorated() { local extents top; extents=$(frame_extents "$1") && read -r _ _ top _ <<< "$extents" && [ "$top" -gt 10 ]; }
wait_decorated() { [ -z "$manager" ] || poll_until 30 decorated "$1" || fail "window $1 was not decorated"; }

start_shell
mkdir "$work/saved"
tmux_ send-keys -t "$pane" "'$binary' --save '$work/saved'; echo \"exit code \$?\"" Enter
fill_form "" "" "" "" "" ""
# The path run starts at the last Enter: 5461 steps of 6 ms, then 10 s. It
# is timed from just after that Enter was typed to the moment its window is
# seen gone (polled once a second), whatever is checked in between.
entered=$(now_ms)
wait_for_window Pendelweg 60
path=$(window_id Pendelweg)
wait_decorated "$path"
read -r left right top bottom <<< "$(frame_extents "$path")"
geometry=$(window_geometry "$path")
[ "$geometry" = "800x600+$((100 + left))+$((100 + top))" ] || fail "Pendelweg has the geometry $geometry"
if [ -n "$manager" ]; then
  check_fixed_frame "$path" Pendelweg "$geometry" "$shots/decorated-pendelweg"
fi
while [ -n "$(window_id Pendelweg)" ]; do
  screenshot_named "$path" Pendelweg "$shots/pendelweg.ppm"
  sleep 1
done
lasted=$(( $(now_ms) - entered ))
echo "the path run took $lasted ms from the last Enter until its window was seen gone"
# Its pauses alone are 42.77 s (the program may have read the Enter a moment
# before it was timed). On a loaded machine each step's drawing takes longer
# (63 s seen with a load of 30 on two cores); beyond 90 s the pacing is
# wrong (steps of a coarse 15.6 ms timer make 95 s). A sanitizer build draws
# far slower.
if sanitized_build "$build"; then longest=400000; else longest=90000; fi
[ "$lasted" -ge 42000 ] && [ "$lasted" -le "$longest" ] || fail "the path run took $lasted ms, not about 43 s"
# After the run: the side view box empty (cyan), the trail blue, the markers.
[ "$("$probe" pixel 700 60 < "$shots/pendelweg.ppm")" = "00EFEF" ] || fail "side view box"
[ "$("$probe" count 0000FF < "$shots/pendelweg.ppm")" -gt 3000 ] || fail "no blue trail"
[ "$("$probe" pixel 460 240 < "$shots/pendelweg.ppm")" = "00BF00" ] || fail "green marker"

# The map run, then 10 s.
wait_for_window Startpunkte 60
map=$(window_id Startpunkte)
[ -n "$map" ] || fail "Startpunkte went as soon as it was seen"
wait_decorated "$map"
if [ -n "$manager" ]; then
  # The map window stays only its scan and 10 s, and its frame is made as
  # Pendelweg's: its decoration is only kept, for the title bar.
  save_decoration "$map" Startpunkte "$shots/decorated-startpunkte"
  # The titles differ only by their captions.
  cmp -s "$shots/decorated-pendelweg.title.ppm" "$shots/decorated-startpunkte.title.ppm" &&
    fail "the title bars do not show the captions"
  # The finished map, then its close button.
  wait_window_still "$map"
  screenshot "$map" "$shots/startpunkte.ppm"
  click_close_button "$map"
  wait_for_windows Startpunkte 0 30
  wait_for "^exit code 0$" 60
fi
while [ -n "$(window_id Startpunkte)" ]; do
  screenshot_named "$map" Startpunkte "$shots/startpunkte.ppm"
  sleep 1
done
wait_for "^exit code 0$" 60

final="$shots/startpunkte.ppm"
[ "$("$probe" bbox F0F0F0 < "$final")" = "178 78 621 521" ] || fail "the squares span $("$probe" bbox F0F0F0 < "$final")"
for color in FF0000 00BF00 0000FF; do
  [ "$("$probe" count $color < "$final")" -gt 20000 ] || fail "too little of colour $color"
done
# The markers on top: yellow outline and magnet colour at each magnet.
[ "$("$probe" pixel 315 300 < "$final")" = "FF0000" ] || fail "red marker"
[ "$("$probe" pixel 460 240 < "$final")" = "00BF00" ] || fail "green marker"
[ "$("$probe" pixel 460 360 < "$final")" = "0000FF" ] || fail "blue marker"
[ "$("$probe" count FFFF00 < "$final")" -gt 30 ] || fail "no yellow marker outlines"

for picture in pendelweg startpunkte; do
  pngtopnm "$work/saved/$picture.png" > "$work/$picture.ppm"
  [ "$("$probe" differ "$work/$picture.ppm" < "$shots/$picture.ppm")" = 0 ] ||
    fail "the saved $picture.png differs from the window's last picture"
done
echo "run_windows: passed"
