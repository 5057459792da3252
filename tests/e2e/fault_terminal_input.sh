#!/usr/bin/env bash
# Hostile input at the form of the real program:
#  - every byte value 1-255 typed, NUL bytes, escape sequences broken off,
#    cut short by a pause, overlong, and reports no key sends: the fields
#    show and read exactly the characters the editing rules accept, and the
#    run goes on to both windows and ends with exit code 0;
#  - the terminal resized between every two keys, down to a single cell and
#    up to 200 x 60, the window as a whole or one pane of it: no key is
#    lost, the form's cells that stayed on screen show what was typed, and
#    the program ends after the checks as the values say.
# Every time the terminal is back in its former modes afterwards.
# Usage: fault_terminal_input.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-fault-input-$$"
source "$(dirname "$0")/lib.bash"
use_private_display
rounds=3

start_shell
tmux_ send-keys -t "$pane" "stty -g > modes.before" Enter
compare="stty -g > modes.after && cmp -s modes.before modes.after && echo same modes"

start_program() {
  tmux_ send-keys -t "$pane" "clear; '$binary'; echo \"exit code \$?\"; $compare" Enter
  wait_for "^ Startposition     x: -50"
}

hex() { tmux_ send-keys -t "$pane" -H "$@"; }
# Nothing more arrives for a while: what was begun must be decided.
pause() { sleep 0.3; }
row() { screen | sed -n "$1p" | sed 's/ *$//'; }
# The characters of the byte values `$1` to `$2`.
characters() { printf '%b' "$(printf '\\x%02x' $(seq "$1" "$2"))"; }

ends_normally() {
  wait_for "^same modes$" 10
  check_terminal_normal
}

# --- Bytes ------------------------------------------------------------------
start_program
# x: "7", then nothing the editor accepts.
tmux_ send-keys -t "$pane" 7
hex 00 00                                  # NUL
hex 1b 5b 39 39 3b 39 39 01                # a sequence broken off by Ctrl+A
hex 1b 5b $(printf '39 %.0s' $(seq 70)) 41 # an overlong sequence
hex c3 02                                  # a UTF-8 character broken off
hex 1b 5b 35; pause                        # a sequence cut short
hex 1b 4f; pause                           # Alt+O
hex 1b; pause                              # Esc
hex 1b 5b 32 30 30 7e 1b 5b 32 30 31 7e    # bracketed paste marks
hex 1b 5b 3c 30 3b 31 3b 31 4d 1b 5b 49    # a mouse report, focus in
hex 1b 5b 5b 5a                            # no Linux console key
tmux_ send-keys -t "$pane" Enter
wait_for "^ Startposition     y: 50"
[ "$(row 4)" = " Startposition     x: 750" ] || fail "x field: $(row 4)"

# y: every byte value but Enter's 13 and the break key's 28 (Ctrl+\ ends
# the program). Printable ASCII is typed, DEL erases the "~" before it;
# controls and the upper half (no valid UTF-8 in ascending order) are
# ignored. The echo wraps into row 6.
hex $(printf '%02x ' $(seq 1 12) $(seq 14 27) $(seq 29 255))
tmux_ send-keys -t "$pane" Enter
wait_for "^.Pendelkoeffizient g: 5"
[ "$(row 5)" = " Startposition     y: $(characters 32 89)" ] || fail "y field: $(row 5)"

# g: "2", NUL, Ctrl+C, Tab, Ctrl+A, "5".
tmux_ send-keys -t "$pane" 2 C-@ C-c Tab C-a 5 Enter
wait_for "^ Magnetstärke      m: 400"
[ "$(row 6)" = "ZPendelkoeffizient g: 25$(characters 114 125)" ] || fail "g field: $(row 6)"

# m: "4", Esc, arrows, F1, Home, Alt+x, "0".
tmux_ send-keys -t "$pane" 4 Escape; pause
tmux_ send-keys -t "$pane" Left Up F1 Home M-x 0 Enter
wait_for "^ Verzögerung       v: 0.03"
[ "$(row 7)" = " Magnetstärke      m: 400" ] || fail "m field: $(row 7)"

# v: half a UTF-8 character, a pause, "0" (v = 0 takes the default).
hex e2 95; pause
tmux_ send-keys -t "$pane" 0 Enter
wait_for "^ Versuchszahl      n: 2000"
tmux_ send-keys -t "$pane" -l 30000
tmux_ send-keys -t "$pane" Enter

# x = 7, y = 0 (no number before the comma), g = 25, m = 40: both runs.
wait_for_window Pendelweg 10
[ "$(row 9)" = " Verzögerung       v: 0.03" ] || fail "v field: $(row 9)"
[ "$(row 10)" = " Versuchszahl      n: 30000" ] || fail "n field: $(row 10)"
tmux_ send-keys -t "$pane" x
wait_for_window Startpunkte 20
tmux_ send-keys -t "$pane" Escape
wait_for "^exit code 0$" 10
ends_normally
echo "bytes 1-255, NUL and broken sequences: passed"

# --- Resizes ----------------------------------------------------------------
sizes=()
next=0
resize() {
  local size=${sizes[$((next++ % ${#sizes[@]}))]}
  "$@" "${size%x*}" "${size#*x}"
}
resize_window() { tmux_ resize-window -t run -x "$1" -y "$2"; }
resize_pane() { tmux_ resize-window -t run -y "$2"; tmux_ resize-pane -t "$pane" -x "$1"; }

# Types the fields `$@` (Enter after each), resizing with `$how` before
# every key; the last Enter comes at 80 x 25 after a last resize.
type_resizing() {
  local how=$1 fields=("${@:2}") f i
  for ((f = 0; f < ${#fields[@]}; ++f)); do
    for ((i = 0; i < ${#fields[f]}; ++i)); do
      resize "$how"
      tmux_ send-keys -t "$pane" -l "${fields[f]:i:1}"
      sleep 0.05
    done
    resize "$how"
    if ((f + 1 == ${#fields[@]})); then
      tmux_ kill-pane -a -t "$pane"
      resize_window 80 25
      sleep 0.3
    fi
    tmux_ send-keys -t "$pane" Enter
    sleep 0.05
  done
}

for round in $(seq "$rounds"); do
  # The whole window, down to one cell: x = 1e2 = 100 fails its check, so
  # the program ends without a window; a lost key would have let it run.
  sizes=(1x1 7x3 200x60 25x5 3x40 120x12 1x25 80x1 30x9)
  start_program
  type_resizing resize_window "1e2" "-9.5" "3" "1e3" "0.5" "7"
  wait_for "^exit code 0$" 10
  [ "$(window_count Pendelweg)" -eq 0 ] || fail "a window opened: a key was lost"
  ends_normally

  # One pane of a split window, never smaller than the form: every field
  # stays on screen; m = 0 fails its check.
  sizes=(60x20 40x12 100x40 45x14 79x24 41x30)
  resize_window 140 40
  tmux_ split-window -h -d -t "$pane"
  start_program
  type_resizing resize_pane "12.5" "-7" "3" "0" "2" "5"
  wait_for "^exit code 0$" 10
  [ "$(window_count Pendelweg)" -eq 0 ] || fail "a window opened"
  [ "$(screen | sed -n '4,10p' | sed 's/ *$//')" = " Startposition     x: 12.5
 Startposition     y: -7
 Pendelkoeffizient g: 3
 Magnetstärke      m: 000

 Verzögerung       v: 2.03
 Versuchszahl      n: 5000" ] || fail "the form after the resizes"
  ends_normally
  echo "round $round: typing while the window and a pane were resized: passed"
done
echo "fault_terminal_input: passed"
