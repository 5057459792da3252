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
pane="redirected:0.0"
work=$(mktemp -d)

tmux_() { tmux -L "$socket" "$@"; }
cleanup() { tmux_ kill-server 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- screen:"; tmux_ capture-pane -t "$pane" -p || true; exit 1; }
wait_for() {
  for _ in $(seq 100); do
    if tmux_ capture-pane -t "$pane" -p | grep -qE -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "waited in vain for: $1"
}

# No terminal anywhere.
status=0
setsid "$binary" < /dev/null > "$work/out" 2> "$work/err" || status=$?
[ "$status" = 1 ] || fail "exit code $status without a terminal, not 1"
[ "$(cat "$work/err")" = "magpend: needs a terminal on standard output or standard error" ] ||
  fail "message without a terminal: $(cat "$work/err")"

# Standard output and input redirected: the form on standard error.
tmux_ -f /dev/null new-session -d -s redirected -x 80 -y 25 -c "$work" "env -i PATH=/usr/bin:/bin TERM=xterm-256color LANG=C.UTF-8 bash --norc --noprofile"
tmux_ send-keys -t "$pane" "clear; '$binary' > out.txt < /dev/null; echo \"exit code \$?\"" Enter
wait_for "^ Startposition     x: -50"
tmux_ send-keys -t "$pane" 1 0 0 Enter Enter Enter Enter Enter Enter
wait_for "^exit code 0$"
wait_for "^ Startposition     x: 100"
[ ! -s "$work/out.txt" ] || fail "standard output received: $(cat -v "$work/out.txt")"
echo "form_redirected: passed"
