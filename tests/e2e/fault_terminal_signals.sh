#!/usr/bin/env bash
# Ending the program from outside while its windows are up: SIGTERM, SIGHUP
# and Ctrl+\ (SIGQUIT) during the path run, during the 10 s that its window
# stays, and during a long map run (n = 30000). Three programs run side by
# side, one per way of ending, each in a terminal of its own; every one ends
# by its signal, its windows vanish, and its terminal is back in the modes it
# had before (stty -g), with the cursor shown and typed text echoed.
# Usage: fault_terminal_signals.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-fault-signals-$$"
source "$(dirname "$0")/lib.bash"
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || fail "needs a reachable X display"
rounds=2

endings=(TERM HUP QUIT)
declare -A status=([TERM]=143 [HUP]=129 [QUIT]=131)

start_shell
for ending in "${endings[@]}"; do
  open_shell "$ending"
  tmux_ send-keys -t "run:$ending" "stty -g > modes.before.$ending" Enter
done

# Starts the program in every terminal and fills in the form with `$@`.
# The program runs under a shell without job control: an interactive shell
# would put back its own terminal modes after a program killed by a signal
# and so hide what the program left. That shell only notes Ctrl+\ (the
# program itself gets the default disposition) and goes on to compare.
start_programs() {
  for ending in "${endings[@]}"; do
    local compare="stty -g > modes.after.$ending && cmp -s modes.before.$ending modes.after.$ending"
    local line="trap : QUIT; \"$binary\"; s=\$?; echo; echo status \$s; $compare && echo same modes"
    tmux_ send-keys -t "run:$ending" "clear; bash -c '$line'" Enter
  done
  for ending in "${endings[@]}"; do pane="run:$ending" fill_form "$@"; done
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
    wait_for "^status ${status[$ending]}$" 10
    wait_for "^same modes$" 5
    check_terminal_normal
  done
  wait_for_windows Pendelweg 0 5
  wait_for_windows Startpunkte 0 5
}

for round in $(seq "$rounds"); do
  # The path run, paced at 200 ms a step: long enough to be interrupted.
  start_programs "" "" "" "" "1" "30000"
  wait_for_windows Pendelweg 3 15
  sleep 0.5
  end_programs

  # Caught in the first step: the window stays 10 s.
  start_programs "30.3" "30" "" "" "" "30000"
  wait_for_windows Pendelweg 3 15
  sleep 2
  end_programs

  # The map run after those 10 s, 30000 steps a start point.
  start_programs "30.3" "30" "" "" "" "30000"
  wait_for_windows Startpunkte 3 30
  sleep 1
  end_programs
  echo "round $round: path run, its stay and the map run each ended by SIGTERM, SIGHUP and Ctrl+\\"
done
echo "fault_terminal_signals: passed"
