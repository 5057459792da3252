#!/usr/bin/env bash
# The Windows program under Wine beside the Linux build, each in a tmux pane
# (the Linux program on an X display of its own), both with every default
# (six Enters): the form
# stands in black on bright white with its umlauts; "Pendelweg" shows an
# 800 x 600 drawing area; the final picture of "Pendelweg" and the final
# default map of "Startpunkte" are pixel for pixel the Linux build's (as its
# --save wrote them, so the two runs need not keep pace); the
# path run lasts about its 5461 steps of 6 ms plus 10 s; both programs end
# with exit code 0; the pictures that `--save` wrote (through the Windows
# Imaging Component) are the windows' final pictures. The last screenshots
# are kept in <build dir>/screenshots.
# Usage: default_run.sh <path of magpend.exe> <build dir> <Linux build dir>
set -euo pipefail
source "$(dirname "$0")/../lib.bash"
take_windows_program "$@"
build=$(realpath "$2")
shots="$build/screenshots"
mkdir -p "$shots"
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || fail "needs a reachable X display"
[ -n "${WINEPREFIX:-}" ] || fail "needs WINEPREFIX"
windows=magpend.exe  # the class name of the windows of each program

# The Linux program on an X server of its own, so that neither window hides
# the other (both open at (100, 100)).
start_private_xvfb || fail "a private Xvfb did not start"
linuxDisplay=$xvfbDisplay
trap 'stop_private_xvfbs; cleanup' EXIT

start_shell
DISPLAY=$linuxDisplay open_shell linux
tmux_ send-keys -t "$pane" "wine '$exe' --save saved; echo \"exit code \$?\"" Enter
tmux_ send-keys -t run:linux "'$linux/magpend' --save linux; echo \"exit code \$?\"" Enter

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
# The frame (drawn by Wine) has its outer corner at (100, 100) and is larger
# than the drawing area by its borders and title bar.
geometry=$(window_geometry "$path")
[[ "$geometry" =~ ^([0-9]+)x([0-9]+)\+100\+100$ ]] || fail "Pendelweg's frame is $geometry"
[ "${BASH_REMATCH[1]}" -gt 800 ] && [ "${BASH_REMATCH[2]}" -gt 620 ] || fail "Pendelweg's frame is $geometry"

# Screenshots of the drawing area until the window is gone; the last one is
# the final picture (each window stays 10 s after its run).
follow_window() {
  local name=$1 shot=$2
  until window_closed "$path" "$name"; do
    if [ "$(xdotool getwindowname "$path" 2>/dev/null)" = "$name" ]; then
      wine_area_screenshot "$path" "$shot.next" 2>/dev/null && [ -s "$shot.next" ] && mv "$shot.next" "$shot" || true
    fi
    sleep 1
  done
  closedMs=$(now_ms)
}
follow_window Pendelweg "$shots/pendelweg-windows.ppm"
lasted=$(( closedMs - opened ))
echo "Pendelweg under Wine was open for $lasted ms (5461 steps of 6 ms and 10 s: 42766 ms)"
# On a loaded machine each step's drawing takes longer; beyond 90 s the
# pacing is wrong (Sleep's coarse 15.6 ms steps make 95 s).
[ "$lasted" -ge 40000 ] && [ "$lasted" -le 90000 ] || fail "the path run took $lasted ms, not about 42800"
[ "$("$probe" count 0000FF < "$shots/pendelweg-windows.ppm")" -gt 3000 ] || fail "no blue trail"
[ "$("$probe" pixel 700 60 < "$shots/pendelweg-windows.ppm")" = "00EFEF" ] || fail "side view box"

wait_for_class_window Startpunkte "$windows" 30
path=$(class_window_id Startpunkte "$windows")
follow_window Startpunkte "$shots/startpunkte-windows.ppm"
[ "$("$probe" bbox F0F0F0 < "$shots/startpunkte-windows.ppm")" = "178 78 621 521" ] || fail "the map's squares"
for color in FF0000 00BF00 0000FF; do
  [ "$("$probe" count $color < "$shots/startpunkte-windows.ppm")" -gt 20000 ] || fail "too little of colour $color"
done

wait_for "^exit code 0$" 60
pane=run:linux wait_for "^exit code 0$" 60
# The Linux build's final pictures, as its --save wrote them (its own tests
# show them equal to its windows'), against the Windows windows' and the
# pictures that magpend.exe saved.
for picture in pendelweg startpunkte; do
  pngtopnm "$work/linux/$picture.png" > "$shots/$picture-linux.ppm"
  differing=$("$probe" differ "$shots/$picture-linux.ppm" < "$shots/$picture-windows.ppm")
  [ "$differing" = 0 ] || fail "the final pictures of $picture differ in $differing pixels"
  [ "$(pngtopnm "$work/saved/$picture.png" | "$probe" differ "$shots/$picture-windows.ppm")" = 0 ] ||
    fail "the saved $picture.png is not the window's final picture"
done
echo "default_run: passed"
