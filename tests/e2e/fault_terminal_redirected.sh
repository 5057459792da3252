#!/usr/bin/env bash
# Whole runs with redirected standard streams. With standard input from
# /dev/null and standard output in a file, the form is filled in on the
# terminal, both windows follow, and the program ends with exit code 0,
# nothing in the file and the terminal's modes as before. With standard
# output in a pipe and typed-looking bytes on standard input, keys still
# come only from the terminal, and a signal during the path run still hands
# the terminal back. With standard output and error both in files the
# program refuses to start and leaves the terminal alone.
# Usage: fault_terminal_redirected.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-fault-redirected-$$"
source "$(dirname "$0")/lib.bash"
use_private_display

start_shell
tmux_ send-keys -t "$pane" "stty -g > modes.before" Enter
compare="stty -g > modes.after && cmp -s modes.before modes.after && echo same modes"

# A whole run, both windows, standard output in a file.
tmux_ send-keys -t "$pane" "clear; '$binary' > out.txt < /dev/null; echo \"exit code \$?\"; $compare" Enter
fill_form "" "" "" "" "" "30000"
wait_for_window Pendelweg 10
tmux_ send-keys -t "$pane" x           # ends the path run; its window stays 10 s
wait_for_window Startpunkte 20
tmux_ send-keys -t "$pane" Escape      # ends the map run
wait_for "^exit code 0$" 10
wait_for "^same modes$" 5
[ ! -s "$work/out.txt" ] || fail "standard output received: $(cat -v "$work/out.txt")"
[ "$(window_count Startpunkte)" -eq 0 ] || fail "the map window outlived the program"
check_terminal_normal
echo "whole run with standard output in a file: passed"

# Standard output in a pipe, standard input holding lines that would answer
# the form: the form still waits for the terminal. The program is run by a
# shell without job control, which would otherwise put the modes back itself.
printf '150\r150\r0\r0\r0\r0\r' > "$work/answers"
for ending in TERM HUP; do
  line="\"$binary\" < answers | cat > piped.txt; s=\${PIPESTATUS[0]}; echo; echo status \$s; $compare"
  tmux_ send-keys -t "$pane" "clear; bash -c '$line'" Enter
  wait_for "^ Startposition     x: -50"
  sleep 0.5
  screen | grep -q "Startposition     y" && fail "standard input answered the form"
  fill_form "" "" "" "" "1" ""
  wait_for_window Pendelweg 10
  signal_program "$ending"
  case $ending in TERM) code=143 ;; HUP) code=129 ;; esac
  wait_for "^status $code$" 10
  wait_for "^same modes$" 5
  [ ! -s "$work/piped.txt" ] || fail "the pipe received: $(cat -v "$work/piped.txt")"
  wait_for_windows Pendelweg 0 5
  check_terminal_normal
done
echo "path run with standard output in a pipe, ended by SIGTERM and SIGHUP: passed"

# No terminal for the screen, though keys could come from one.
tmux_ send-keys -t "$pane" "clear; '$binary' > out.txt 2> err.txt; echo \"exit code \$?\"; $compare" Enter
wait_for "^exit code 1$" 10
wait_for "^same modes$" 5
grep -q "needs a terminal" "$work/err.txt" || fail "no message: $(cat "$work/err.txt")"
[ ! -s "$work/out.txt" ] || fail "standard output received: $(cat -v "$work/out.txt")"
check_terminal_normal
echo "fault_terminal_redirected: passed"
