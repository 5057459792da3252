#!/usr/bin/env bash
# The Windows program under Wine beside the Linux build, each in a tmux pane
# on the same X display, both with every default (six Enters): the form
# stands in black on bright white with its umlauts; "Pendelweg" shows an
# 800 x 600 drawing area; the final picture of "Pendelweg" and the final
# default map of "Startpunkte" are pixel for pixel the Linux build's; the
# path run lasts about its 5461 steps of 6 ms plus 10 s; both programs end
# with exit code 0. The last screenshots are kept in <build dir>/screenshots.
# Usage: default_run.sh <path of magpend.exe> <build dir> <Linux build dir>
set -euo pipefail
exe=$(realpath "$1")
build=$(realpath "$2")
linux=$(realpath "$3")
probe="$linux/tests/e2e/image_probe"
shots="$build/screenshots"
mkdir -p "$shots"
socket="magpend-windows-default-$$"
source "$(dirname "$0")/../lib.bash"
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || fail "needs a reachable X display"
[ -n "${WINEPREFIX:-}" ] || fail "needs WINEPREFIX"
windows=magpend.exe  # the class name of the windows of each program
linuxClass=magpend

start_shell
open_shell linux
tmux_ send-keys -t "$pane" "wine '$exe'; echo \"exit code \$?\"" Enter
tmux_ send-keys -t run:linux "'$linux/magpend'; echo \"exit code \$?\"" Enter

# The Windows form, field by field, before the last Enter.
wait_for "^ Startposition     x: -50" 60
for label in "Startposition     y: 50" "Pendelkoeffizient g: 5" "Magnetstärke      m: 400" \
             "Verzögerung       v: 0.03" "Versuchszahl      n: 2000"; do
  tmux_ send-keys -t "$pane" Enter
  wait_for "^ $label"
done
expected=([4]=" Startposition     x: -50" [5]=" Startposition     y: 50" [6]=" Pendelkoeffizient g: 5"
          [7]=" Magnetstärke      m: 400" [9]=" Verzögerung       v: 0.03" [10]=" Versuchszahl      n: 2000")
for r in 1 2 3 4 5 6 7 8 9 10 11 25; do
  got=$(screen | sed -n "${r}p" | sed 's/ *$//')
  [ "$got" = "${expected[$r]:-}" ] || fail "row $r reads '$got', not '${expected[$r]:-}'"
done
# Black on bright white: the only colours are SGR 30 and 107.
coloured=$(tmux_ capture-pane -t "$pane" -p -e)
case "$coloured" in $'\e[30m\e[107m'*) ;; *) fail "the form is not black on bright white" ;; esac
others=$(printf '%s' "$coloured" | sed $'s/\e\\[30m//g; s/\e\\[107m//g' | grep -c $'\e\\[[0-9;]*m' || true)
[ "$others" = 0 ] || fail "other colours on the form: $(printf '%s' "$coloured" | grep $'\e' | head -3 | cat -v)"

# Both programs start their runs at about the same moment.
pane=run:linux fill_form "" "" "" "" "" ""
tmux_ send-keys -t "$pane" Enter

wait_for_class_window Pendelweg "$windows" 30
opened=$(now_ms)
path=$(class_window_id Pendelweg "$windows")
wait_for_class_window Pendelweg "$linuxClass" 10
linuxPath=$(class_window_id Pendelweg "$linuxClass")
# Wine's frame window on the display is its client area, which the drawing
# area fills: 800 x 600, below and right of the frame's outer corner.
geometry=$(window_geometry "$path")
[[ "$geometry" =~ ^800x600\+([0-9]+)\+([0-9]+)$ ]] || fail "Pendelweg's area is $geometry"
[ "${BASH_REMATCH[1]}" -ge 100 ] && [ "${BASH_REMATCH[2]}" -ge 100 ] || fail "Pendelweg's area at $geometry"

# Screenshots of both windows until each is gone; the last ones are the
# final pictures (each window stays 10 s after its run).
follow_windows() {
  local name=$1 first=$2 second=$3 shot
  while [ -n "$(class_window_id "$name" "$windows")" ] || [ -n "$(class_window_id "$name" "$linuxClass")" ]; do
    for shot in "$first" "$second"; do
      local id=$path
      [ "$shot" = "$second" ] && id=$linuxPath
      screenshot "$id" "$shot.next" 2>/dev/null && [ -s "$shot.next" ] && mv "$shot.next" "$shot" || true
    done
    [ -z "$(class_window_id "$name" "$windows")" ] && [ -z "${closedMs:-}" ] && closedMs=$(now_ms)
    sleep 1
  done
  [ -n "${closedMs:-}" ] || closedMs=$(now_ms)
}
closedMs=""
follow_windows Pendelweg "$shots/pendelweg-windows.ppm" "$shots/pendelweg-linux.ppm"
lasted=$(( closedMs - opened ))
echo "Pendelweg under Wine was open for $lasted ms (5461 steps of 6 ms and 10 s: 42766 ms)"
[ "$lasted" -ge 40000 ] && [ "$lasted" -le 60000 ] || fail "the path run took $lasted ms, not about 42800"
cmp -s "$shots/pendelweg-windows.ppm" "$shots/pendelweg-linux.ppm" ||
  fail "the final pictures of Pendelweg differ in $(cmp -l "$shots/pendelweg-windows.ppm" "$shots/pendelweg-linux.ppm" | wc -l) bytes"
[ "$("$probe" count 0000FF < "$shots/pendelweg-windows.ppm")" -gt 3000 ] || fail "no blue trail"
[ "$("$probe" pixel 700 60 < "$shots/pendelweg-windows.ppm")" = "00EFEF" ] || fail "side view box"

wait_for_class_window Startpunkte "$windows" 30
path=$(class_window_id Startpunkte "$windows")
wait_for_class_window Startpunkte "$linuxClass" 30
linuxPath=$(class_window_id Startpunkte "$linuxClass")
closedMs=""
follow_windows Startpunkte "$shots/startpunkte-windows.ppm" "$shots/startpunkte-linux.ppm"
cmp -s "$shots/startpunkte-windows.ppm" "$shots/startpunkte-linux.ppm" ||
  fail "the final maps differ in $(cmp -l "$shots/startpunkte-windows.ppm" "$shots/startpunkte-linux.ppm" | wc -l) bytes"
[ "$("$probe" bbox F0F0F0 < "$shots/startpunkte-windows.ppm")" = "178 78 621 521" ] || fail "the map's squares"
for color in FF0000 00BF00 0000FF; do
  [ "$("$probe" count $color < "$shots/startpunkte-windows.ppm")" -gt 20000 ] || fail "too little of colour $color"
done

wait_for "^exit code 0$" 20
pane=run:linux wait_for "^exit code 0$" 20
echo "default_run: passed"
