#!/usr/bin/env bash
# The whole program from the terminal: six Enters take every default, both
# runs follow; a key in the console ends the path run, Esc ends the map run,
# and the program ends with exit code 0, the form still on the screen and
# nothing else written there. The windows open on an X display of its own.
# Usage: form_full_run.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-form-full-run-$$"
source "$(dirname "$0")/lib.bash"
use_private_display
start_shell
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
