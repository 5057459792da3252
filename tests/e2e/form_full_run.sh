#!/usr/bin/env bash
# The whole program from the terminal: six Enters take every default, both
# runs follow; a key in the console ends the path run, Esc ends the map run,
# and the program ends with exit code 0, the form still on the screen and
# nothing else written there. Runs with or without an X display.
# Usage: form_full_run.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-form-full-run-$$"
pane="run:0.0"

tmux_() { tmux -L "$socket" "$@"; }
cleanup() { tmux_ kill-server 2>/dev/null || true; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- screen:"; tmux_ capture-pane -t "$pane" -p || true; exit 1; }
screen() { tmux_ capture-pane -t "$pane" -p; }
# Waits up to `$2` seconds (10 when not given) for the screen to show `$1`.
wait_for() {
  for _ in $(seq $((${2:-10} * 10))); do
    if screen | grep -qE -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "waited in vain for: $1"
}

tmux_ -f /dev/null new-session -d -s run -x 80 -y 25 "env -i PATH=/usr/bin:/bin TERM=xterm-256color LANG=C.UTF-8 ${DISPLAY:+DISPLAY=$DISPLAY} bash --norc --noprofile"
tmux_ send-keys -t "$pane" "PS1='shell> '; clear; '$binary'; echo \"exit code \$?\"" Enter
wait_for "^ Startposition     x: -50"
for label in "Startposition     y: 50" "Pendelkoeffizient g: 5" "Magnetstärke      m: 400" \
             "Verzögerung       v: 0.03" "Versuchszahl      n: 2000"; do
  tmux_ send-keys -t "$pane" Enter
  wait_for "^ $label"
done
tmux_ send-keys -t "$pane" Enter
sleep 1
tmux_ send-keys -t "$pane" Escape   # ends the path run, which then pauses 10 s
sleep 1
tmux_ send-keys -t "$pane" Escape   # waits for the map run and ends it
wait_for "^exit code 0$" 60
[ "$(screen | sed -n 11p)" = "exit code 0" ] || fail "something else was written after the form"
[ "$(screen | sed -n 10p | sed 's/ *$//')" = " Versuchszahl      n: 2000" ] || fail "the form changed"
echo "form_full_run: passed"
