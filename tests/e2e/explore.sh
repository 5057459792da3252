#!/usr/bin/env bash
# `magpend explore` on a private X server, driven with xdotool as a user
# would, without a terminal:
#  - every finished view (the first, after the wheel, a drag, Backspace,
#    an arrow key and Home) equals, pixel for pixel, the picture of the
#    `magpend map` command it prints;
#  - a click prints its start point and the magnet of that pixel's colour,
#    and draws the path;
#  - S writes the window's picture; Escape ends with exit code 0;
#  - then once more under openbox: the first view, a click, Q.
# Usage: explore.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
build=$(realpath "$2")
probe="$build/tests/e2e/image_probe"
socket="magpend-explore-$$"
source "$(dirname "$0")/lib.bash"
use_private_display
side=96
out="$work/explore.out"

said() { grep -c -- "$1" "$out" 2>/dev/null || true; }
said_at_least() { [ "$(said "^$1")" -ge "$2" ]; }
# Waits until the explorer has said `$2` lines starting with `$1`.
wait_said() { poll_until 60 said_at_least "$1" "$2" || fail "waited in vain for line $2 of '$1' in: $(cat "$out")"; }

# Starts the explorer with the arguments given, in $work, and finds its window.
start_explorer() {
  : > "$out"
  (cd "$work" && exec "$binary" explore --grid "$side" --n 300 "$@" > "$out" 2> "$work/explore.err") &
  explorer=$!
  wait_for_window "magpend explore" 20
  window=$(window_id "magpend explore")
}

# Checks that the window shows the picture of the `$1`th view line's command.
check_view() {
  local line command
  wait_said "view: " "$1"
  line=$(grep '^view: ' "$out" | sed -n "$1p")
  command=${line#view: magpend }
  command=${command%%  #*}
  # shellcheck disable=SC2086
  "$binary" ${command/view.png/$work/view.png}
  pngtopnm "$work/view.png" > "$work/view.ppm"
  screenshot "$window" "$work/window.ppm"
  [ "$("$probe" differ "$work/view.ppm" < "$work/window.ppm")" = 0 ] || fail "view $1 differs from its command's picture: $line"
}

# Clicks at ($1, $2) and checks the start line's magnet against that pixel's colour.
check_click() {
  local clicks colour magnet
  clicks=$(said "^start ")
  colour=$("$probe" pixel "$1" "$2" < "$work/window.ppm")
  xdotool mousemove --window "$window" "$1" "$2" click 1
  wait_said "start " $((clicks + 1))
  magnet=$(grep '^start ' "$out" | tail -1 | sed -E 's/.*: (magnet ([1-3])|no magnet) after [0-9]+ steps$/\2/')
  case "$colour" in
    FF0000) [ "$magnet" = 1 ] ;; 00BF00) [ "$magnet" = 2 ] ;; 0000FF) [ "$magnet" = 3 ] ;; F0F0F0) [ -z "$magnet" ] ;;
    *) false ;;
  esac || fail "the pixel at $1, $2 is $colour, but: $(grep '^start ' "$out" | tail -1)"
  screenshot "$window" "$work/path.ppm"
  [ "$("$probe" count FF00FF < "$work/path.ppm")" -gt 0 ] || fail "no path drawn after the click at $1, $2"
}

# Ends the explorer with the key `$1` and checks its exit.
end_with() {
  local status=0
  xdotool key --clearmodifiers "$1"
  for _ in $(seq 100); do kill -0 "$explorer" 2>/dev/null || break; sleep 0.2; done
  wait "$explorer" || status=$?
  [ "$status" = 0 ] || fail "$1 ended the explorer with exit code $status"
  [ ! -s "$work/explore.err" ] || fail "the explorer wrote to standard error: $(cat "$work/explore.err")"
}

start_explorer
check_view 1
grep -q "^view: magpend map --grid $side --region -110:110:-110:110 --n 300 -o view.png  # [0-9.]* s$" "$out" ||
  fail "the first view's line: $(head -1 "$out")"
check_click 60 30
# The keys go to the window that has the focus: the click gave it.
xdotool mousemove --window "$window" 40 50 click 4
check_view 2
xdotool mousemove --window "$window" 10 12 mousedown 1 mousemove --window "$window" 30 20 \
  mousemove --window "$window" 50 40 mouseup 1
check_view 3
xdotool key BackSpace
check_view 4
[ "$(grep '^view: ' "$out" | sed -n 4p | cut -d'#' -f1)" = "$(grep '^view: ' "$out" | sed -n 2p | cut -d'#' -f1)" ] ||
  fail "Backspace did not go back to the view before"
xdotool key Right
check_view 5
xdotool key Home
check_view 6
[ "$(grep '^view: ' "$out" | sed -n 6p | cut -d'#' -f1)" = "$(grep '^view: ' "$out" | sed -n 1p | cut -d'#' -f1)" ] ||
  fail "Home did not go to the first view"
xdotool key s
wait_said "saved: explore-001.png" 1
pngtopnm "$work/explore-001.png" > "$work/saved.ppm"
[ "$("$probe" differ "$work/saved.ppm" < "$work/window.ppm")" = 0 ] || fail "the saved picture differs from the window"
end_with Escape

# Under a window manager: the frame is decorated, the drawing area the same.
start_window_manager openbox
start_explorer
check_view 1
check_click 20 70
end_with q
echo "explore: views, click, keys and save as their commands say, also under openbox"
