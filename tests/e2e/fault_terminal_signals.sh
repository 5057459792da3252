#!/usr/bin/env bash
# Ending the program from outside: SIGTERM, SIGHUP and Ctrl+\ (SIGQUIT), and
# the crash signals SIGSEGV, SIGABRT, SIGBUS, SIGFPE and SIGILL, at the form,
# during the path run, during the 10 s that its window stays, and during a
# long map run (n = 30000). The programs run side by side, one per way of
# ending, each in a terminal of its own; every one ends by its signal, its
# windows vanish, and its terminal is back in the modes it had before
# (stty -g), with the cursor shown and typed text echoed. Then a stop from
# outside (SIGTSTP) during the path run: the terminal is in its normal modes
# while the program is stopped, and after SIGCONT the run goes on to its end.
# Usage: fault_terminal_signals.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-fault-signals-$$"
source "$(dirname "$0")/lib.bash"
use_private_display
# Twice, for an ending that depends on timing; once in a sanitizer build, which
# runs after the normal build's two rounds.
if sanitized_build "$2"; then rounds=1; else rounds=2; fi

endings=(TERM HUP QUIT SEGV ABRT BUS FPE ILL)
declare -A status=([TERM]=143 [HUP]=129 [QUIT]=131 [SEGV]=139 [ABRT]=134 [BUS]=135 [FPE]=136 [ILL]=132)

start_shell
for ending in "${endings[@]}"; do
  open_shell "$ending"
  tmux_ send-keys -t "run:$ending" "stty -g > modes.before.$ending" Enter
done

# Starts the program in every terminal, waits for its form and fills it in
# with `$@`. The last Enter is pressed in every terminal at once, once all
# forms are filled: the runs start together however slowly a loaded machine
# draws eight forms (a window stays only 10 s).
# The program runs under a shell without job control: an interactive shell
# would put back its own terminal modes after a program killed by a signal
# and so hide what the program left. That shell only notes Ctrl+\ (the
# program itself gets the default disposition) and goes on to compare.
start_programs() {
  for ending in "${endings[@]}"; do
    local compare="stty -g > modes.after.$ending && cmp -s modes.before.$ending modes.after.$ending"
    local line="trap : QUIT; ulimit -c 0; \"$binary\"; s=\$?; echo; echo status \$s; $compare && echo same modes"
    tmux_ send-keys -t "run:$ending" "clear; bash -c '$line'" Enter
  done
  [ $# -gt 0 ] || { for ending in "${endings[@]}"; do pane="run:$ending" fill_form; done; return; }
  for ending in "${endings[@]}"; do
    pane="run:$ending" fill_form "${@:1:$#-1}"
    [ -n "${!#}" ] && tmux_ send-keys -t "run:$ending" -l -- "${!#}"
  done
  for ending in "${endings[@]}"; do tmux_ send-keys -t "run:$ending" Enter; done
}

# Ends every program by its way and checks what it leaves behind.
end_programs() {
  for ending in "${endings[@]}"; do
    pane="run:$ending"
    if [ "$ending" = QUIT ]; then
      tmux_ send-keys -t "$pane" 'C-\'
    else
      signal_program "$ending"
    fi
  done
  for ending in "${endings[@]}"; do
    pane="run:$ending"
    wait_for "^status ${status[$ending]}$" 30
    wait_for "^same modes$" 10
    check_terminal_normal
  done
  wait_for_windows Pendelweg 0 15
  wait_for_windows Startpunkte 0 15
}

for round in $(seq "$rounds"); do
  # At the form, waiting for the first field (no line typed).
  start_programs
  end_programs

  # The path run, paced at 200 ms a step: long enough to be interrupted.
  start_programs "" "" "" "" "1" "30000"
  wait_for_windows Pendelweg ${#endings[@]} 40
  sleep 0.5
  end_programs

  # Caught in the first step: the window stays 10 s.
  start_programs "30.3" "30" "" "" "" "30000"
  wait_for_windows Pendelweg ${#endings[@]} 40
  sleep 2
  end_programs

  # The map run after those 10 s, 30000 steps a start point.
  start_programs "30.3" "30" "" "" "" "30000"
  wait_for_windows Startpunkte ${#endings[@]} 60
  sleep 1
  end_programs
  echo "round $round: form, path run, its stay and the map run each ended by ${endings[*]}"
done

# Stopped from outside during the path run (20 steps of 200 ms), then
# continued: the run goes on and the program ends normally.
pane="run:TERM"
tty=$(tmux_ display-message -p -t "$pane" '#{pane_tty}')
compare="stty -g > modes.after.TERM && cmp -s modes.before.TERM modes.after.TERM"
tmux_ send-keys -t "$pane" "clear; bash -c '\"$binary\"; echo; echo status \$?; $compare && echo same modes'" Enter
fill_form "" "" "" "" "1" "0.2"
wait_for_windows Pendelweg 1 15
sleep 1
signal_program TSTP
sleep 0.5
[ "$(stty -g < "$tty")" = "$(cat "$work/modes.before.TERM")" ] || fail "the terminal kept the program's modes while it was stopped"
signal_program CONT
wait_for "^status 0$" 60
wait_for "^same modes$" 5
check_terminal_normal
echo "stopped and continued during the path run: the run went on to its end"
echo "fault_terminal_signals: passed"
