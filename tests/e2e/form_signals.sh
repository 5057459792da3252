#!/usr/bin/env bash
# Ending the program from outside while the form waits for a key: SIGTERM,
# SIGHUP and Ctrl+\ (SIGQUIT, the break key) each end it by that signal, and
# every time the terminal's modes are exactly as before it started, colours
# and cursor handed back, so the shell works normally.
# Usage: form_signals.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-form-signals-$$"
source "$(dirname "$0")/lib.bash"
start_shell
tmux_ send-keys -t "$pane" "PS1='shell> '; stty -g > modes.before" Enter

# Starts the program, ends it by `how`, and checks the way it ended.
# The program runs under a shell without job control: an interactive shell
# would put back its own terminal modes after a program killed by a signal
# and so hide what the program left. That shell only notes Ctrl+\ (the
# program itself gets the default disposition) and goes on to compare.
end_by() {
  local how=$1 status=$2
  local line="trap : QUIT; \"$binary\"; s=\$?; echo; echo \"status \$s\"; stty -g > modes.after; cmp -s modes.before modes.after && echo same modes"
  tmux_ send-keys -t "$pane" "clear; bash -c '$line'" Enter
  wait_for "^ Startposition     x: -50"
  case "$how" in
    quit-key) tmux_ send-keys -t "$pane" 'C-\' ;;
    *) tmux_ send-keys -t "$pane" 4 2
       sleep 0.3
       signal_program "$how" ;;
  esac
  wait_for "^status $status$"
  wait_for "^same modes$"
  check_terminal_normal
}

end_by TERM 143
end_by HUP 129
end_by quit-key 131
echo "form_signals: passed"
