#!/usr/bin/env bash
# The ARM64 program under qemu beside the x86-64 build, each in a tmux pane
# and on an X display of its own, both with every default (six Enters) and
# --save: the form reads the same in both panes, field by field; both
# windows open at (100, 100) with an 800 x 600 drawing area; the last
# screenshot of each window is the picture the ARM64 program saved, and that
# picture is the x86-64 build's pixel for pixel (the path's final
# "Pendelweg", the default map's final "Startpunkte"); the path window stays
# its 5461 steps of 6 ms and 10 s at least; both programs end with exit code
# 0, nothing on standard error and the terminal as it was.
# Usage: default_run.sh <path of magpend> <build dir> <x86-64 build dir>
#        (MAGPEND_EMULATOR: the command that runs an aarch64 program)
set -euo pipefail
binary=$(realpath "$1")
x86=$(realpath "$3")
probe="$x86/tests/e2e/image_probe"
e2eTools="$x86/tests/e2e"
socket="magpend-arm64-default-$$"
source "$(dirname "$0")/../lib.bash"
[ -n "${MAGPEND_EMULATOR:-}" ] || fail "needs MAGPEND_EMULATOR"
use_private_display
start_private_xvfb
x86Display=$xvfbDisplay

# Each program saves its pictures into a folder of its own.
mkdir "$work/arm64" "$work/x86"
printf '#!/bin/sh\nexec %s %q --save %q\n' "$MAGPEND_EMULATOR" "$binary" "$work/arm64" > "$work/magpend-arm64"
printf '#!/bin/sh\nexec %q --save %q\n' "$x86/magpend" "$work/x86" > "$work/magpend-x86"
chmod +x "$work/magpend-arm64" "$work/magpend-x86"

start_shell
DISPLAY=$x86Display open_shell x86
tmux_ send-keys -t "$pane" "$(program_command "$work/magpend-arm64" "$work/arm64.err")" Enter
tmux_ send-keys -t run:x86 "$(program_command "$work/magpend-x86" "$work/x86.err")" Enter

# The form, field by field, the same in both panes; the last Enter starts
# both runs at about the same moment.
for label in "Startposition     x: -50" "Startposition     y: 50" "Pendelkoeffizient g: 5" \
             "Magnetstärke      m: 400" "Verzögerung       v: 0.03" "Versuchszahl      n: 2000"; do
  wait_for "^ $label" 60
  pane=run:x86 wait_for "^ $label"
  [ "$(screen)" = "$(pane=run:x86 screen)" ] || fail "the forms differ at '$label'"
  tmux_ send-keys -t "$pane" Enter
  tmux_ send-keys -t run:x86 Enter
done

# follow_window name picture: waits for the window, checks where it stands,
# and screenshots its drawing area every second until it is gone; the last
# screenshot is its final picture (each window stays 10 s after its run).
# Sets `shownMs` and `lastedMs`.
follow_window() {
  local window geometry
  wait_for_window "$1" 60
  shownMs=$(now_ms)
  window=$(window_id "$1")
  geometry=$(window_geometry "$window")
  [ "$geometry" = "800x600+100+100" ] || fail "$1 has the geometry $geometry"
  # Checked by name: the server hands a closed connection's ids out again.
  while [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "$1" ]; do
    screenshot "$window" "$2.next" 2>/dev/null && [ -s "$2.next" ] && mv "$2.next" "$2" || true
    sleep 1
  done
  lastedMs=$(($(now_ms) - shownMs))
}

follow_window Pendelweg "$work/pendelweg.ppm"
echo "Pendelweg under qemu was open for $lastedMs ms (5461 steps of 6 ms and 10 s: 42766 ms)"
[ "$lastedMs" -ge 40000 ] || fail "the path run took only $lastedMs ms: its pauses were cut short"
follow_window Startpunkte "$work/startpunkte.ppm"
echo "Startpunkte under qemu was open for $lastedMs ms"
check_program_end "$shownMs" "$work/arm64.err" "the ARM64 program"
pane=run:x86 check_program_end "$shownMs" "$work/x86.err" "the x86-64 program"

for picture in pendelweg startpunkte; do
  pngtopnm "$work/arm64/$picture.png" > "$work/arm64/$picture.ppm"
  pngtopnm "$work/x86/$picture.png" > "$work/x86/$picture.ppm"
  [ "$("$probe" differ "$work/arm64/$picture.ppm" < "$work/$picture.ppm")" = 0 ] ||
    fail "the ARM64 program's $picture.png differs from its window's last picture"
  [ "$("$probe" differ "$work/x86/$picture.ppm" < "$work/arm64/$picture.ppm")" = 0 ] ||
    fail "$picture.png differs between the builds"
done
# Pictures worth comparing: the path's trail and the map's three colours.
[ "$("$probe" count 0000FF < "$work/pendelweg.ppm")" -gt 3000 ] || fail "no blue trail"
[ "$("$probe" bbox F0F0F0 < "$work/startpunkte.ppm")" = "178 78 621 521" ] || fail "the map's squares"
for color in FF0000 00BF00 0000FF; do
  [ "$("$probe" count $color < "$work/startpunkte.ppm")" -gt 20000 ] || fail "too little of colour $color"
done
echo "default_run: passed"
