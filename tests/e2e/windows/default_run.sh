#!/usr/bin/env bash
# The Windows program under Wine beside the Linux build, each in a tmux pane
# (the Linux program on an X display of its own), both with every default
# (six Enters): the form
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

# The Linux program on an X server of its own, so that neither window hides
# the other (both open at (100, 100)).
start_private_xvfb || fail "a private Xvfb did not start"
linuxDisplay=$xvfbDisplay
trap 'stop_private_xvfbs; cleanup' EXIT
onLinux() { DISPLAY=$linuxDisplay "$@"; }

start_shell
DISPLAY=$linuxDisplay open_shell linux
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
onLinux wait_for_class_window Pendelweg "$linuxClass" 10
linuxPath=$(onLinux class_window_id Pendelweg "$linuxClass")
# The frame (drawn by Wine) has its outer corner at (100, 100) and is larger
# than the drawing area by its borders and title bar.
geometry=$(window_geometry "$path")
[[ "$geometry" =~ ^([0-9]+)x([0-9]+)\+100\+100$ ]] || fail "Pendelweg's frame is $geometry"
[ "${BASH_REMATCH[1]}" -gt 800 ] && [ "${BASH_REMATCH[2]}" -gt 620 ] || fail "Pendelweg's frame is $geometry"

# Screenshots of both drawing areas until each window is gone; the last ones
# are the final pictures (each window stays 10 s after its run).
follow_windows() {
  local name=$1 first=$2 second=$3
  while [ -n "$(class_window_id "$name" "$windows")" ] || [ -n "$(onLinux class_window_id "$name" "$linuxClass")" ]; do
    if [ "$(xdotool getwindowname "$path" 2>/dev/null)" = "$name" ]; then
      wine_area_screenshot "$path" "$first.next" 2>/dev/null && [ -s "$first.next" ] && mv "$first.next" "$first" || true
    fi
    # Checked by name: the server hands a closed connection's ids out again.
    if [ "$(onLinux xdotool getwindowname "$linuxPath" 2>/dev/null)" = "$name" ]; then
      onLinux screenshot "$linuxPath" "$second.next" 2>/dev/null && [ -s "$second.next" ] && mv "$second.next" "$second" || true
    fi
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
onLinux wait_for_class_window Startpunkte "$linuxClass" 30
linuxPath=$(onLinux class_window_id Startpunkte "$linuxClass")
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
