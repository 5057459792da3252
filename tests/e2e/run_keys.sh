#!/usr/bin/env bash
# Keys and short runs of the real program: a start next to magnet 2 is caught
# in the first step, so "Pendelweg" stays only its 10 s; Escape in the
# console during a long map run (magnets of next to no strength, so that
# most trials run their 30000 steps: well over ten seconds) ends the program
# at once with exit code 0, leaving the terminal in its normal mode. Also while the map waits for a
# trial that runs for minutes (n = 1e9).
# With --save (into a folder the program makes): pendelweg.png equals the
# path window's picture pixel for pixel, and startpunkte.png, after Escape,
# holds the map as it stood (all that a screenshot just before showed
# painted, and not yet its top rows). A folder that cannot be made is named
# in one line at once, with exit code 2 and no form.
# Usage: run_keys.sh <path of magpend> <build dir>
set -euo pipefail
source "$(dirname "$0")/lib.bash"
take_program_and_build "$@"
use_private_display

start_shell
tmux_ send-keys -t "$pane" "'$binary' --save '$work/saved'; echo \"exit code \$?\"" Enter
fill_form "30.3" "30" "" "1e-300" "" "30000"

wait_for_window Pendelweg 10
started=$(date +%s)
path=$(window_id Pendelweg)
sleep 1
screenshot "$path" "$work/pendelweg.ppm"
while [ -n "$(window_id Pendelweg)" ]; do sleep 0.2; done
lasted=$(( $(date +%s) - started ))
# Twice as long would be a pause that is wrong, not a loaded machine's.
[ "$lasted" -ge 9 ] && [ "$lasted" -le 20 ] || fail "Pendelweg stayed $lasted s, not 10"

wait_for_window Startpunkte 10
sleep 1
[ -n "$(window_id Startpunkte)" ] || fail "the map ended before Escape"
screenshot "$(window_id Startpunkte)" "$work/startpunkte.ppm"
tmux_ send-keys -t "$pane" Escape
wait_for "^exit code 0$" 60
[ -z "$(window_id Startpunkte)" ] || fail "the map window outlived the program"

# The terminal is back in normal mode: the shell echoes what is typed.
tmux_ send-keys -t "$pane" "echo back to normal" Enter
wait_for "^back to normal$" 5

# The saved pictures.
[ "$(ls "$work/saved")" = "$(printf 'pendelweg.png\nstartpunkte.png')" ] || fail "saved: $(ls "$work/saved")"
pngtopnm "$work/saved/pendelweg.png" > "$work/pendelweg.saved.ppm"
[ "$("$probe" differ "$work/pendelweg.saved.ppm" < "$work/pendelweg.ppm")" = 0 ] ||
  fail "pendelweg.png differs from the window's picture"
pngtopnm "$work/saved/startpunkte.png" > "$work/startpunkte.saved.ppm"
[ "$("$probe" differ-painted "$work/startpunkte.saved.ppm" < "$work/startpunkte.ppm")" = 0 ] ||
  fail "startpunkte.png lacks what the window showed before Escape"
read -r _ top _ bottom <<< "$("$probe" bbox F0F0F0 < "$work/startpunkte.saved.ppm")"
[ "$bottom" = 521 ] && [ "$top" -gt 78 ] || fail "startpunkte.png is not a map stopped early"

# Saving where no folder can be made: said at once, before the form.
touch "$work/file"
while IFS='|' read -r folder reason; do
  status=0
  "$binary" --save "$folder" > "$work/save.out" 2> "$work/save.err" < /dev/null || status=$?
  [ "$status" = 2 ] && [ ! -s "$work/save.out" ] &&
    [ "$(cat "$work/save.err")" = "magpend: cannot make the folder $folder: $reason" ] ||
    fail "--save $folder: exit code $status, said: $(cat "$work/save.out" "$work/save.err")"
done <<EOF
/no/such/parent/dir|No such file or directory
$work/file/pictures|Not a directory
$work/file|File exists
EOF

# With magnets of next to no strength (m = 1e-300) a bob released at rest
# swings through the centre on a straight line: caught when that line passes
# a magnet, as the first start points' lines do, else swinging on for a
# billion steps, as the one from (-70, -110), the 21st, does.
tmux_ send-keys -t "$pane" "clear; '$binary'; echo \"exit code \$?\"" Enter
fill_form "" "" "" "1e-300" "" "1e9"
wait_for_window Startpunkte 20
sleep 1.5
[ -n "$(window_id Startpunkte)" ] || fail "the map with n = 1e9 ended before Escape"
pressed=$(now_ms)
tmux_ send-keys -t "$pane" Escape
wait_for "^exit code 0$" 60
echo "Escape while the map waited for a trial of a billion steps (minutes): ended after $(($(now_ms) - pressed)) ms"
echo "run_keys: passed"
