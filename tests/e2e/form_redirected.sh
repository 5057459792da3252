#!/usr/bin/env bash
# Where the form goes when standard streams are redirected: with standard
# output in a file the form is drawn on standard error's terminal and keys
# still come from the terminal (standard input redirected too), the file
# staying empty; with no terminal at all the program says so in one line and
# ends with exit code 1.
# Usage: form_redirected.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-form-redirected-$$"
source "$(dirname "$0")/lib.bash"

# No terminal anywhere.
status=0
setsid "$binary" < /dev/null > "$work/out" 2> "$work/err" || status=$?
[ "$status" = 1 ] || fail "exit code $status without a terminal, not 1"
[ "$(cat "$work/err")" = "magpend: needs a terminal on standard output or standard error" ] ||
  fail "message without a terminal: $(cat "$work/err")"

# Standard output and input redirected: the form on standard error.
start_shell
tmux_ send-keys -t "$pane" "clear; '$binary' > out.txt < /dev/null; echo \"exit code \$?\"" Enter
wait_for "^ Startposition     x: -50"
tmux_ send-keys -t "$pane" 1 0 0 Enter Enter Enter Enter Enter Enter
wait_for "^exit code 0$"
wait_for "^ Startposition     x: 100"
[ ! -s "$work/out.txt" ] || fail "standard output received: $(cat -v "$work/out.txt")"
echo "form_redirected: passed"
