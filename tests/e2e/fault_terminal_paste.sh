#!/usr/bin/env bash
# A paste of 20000 characters into one field of the form: the field keeps
# the first 10000 and echoes only those, Backspace and Enter still work on
# the full field, and the value read is that of the 10000 characters kept.
# The paste is 9999 blanks, "5", then 10000 nines: kept right, x reads as 5
# and both runs follow; kept wrong, x would be far out of range.
# Usage: fault_terminal_paste.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-fault-paste-$$"
source "$(dirname "$0")/lib.bash"
use_private_display
row() { screen | sed -n "$1p" | sed 's/ *$//'; }

start_shell
tmux_ send-keys -t "$pane" "stty -g > modes.before" Enter
compare="stty -g > modes.after && cmp -s modes.before modes.after && echo same modes"
tmux_ send-keys -t "$pane" "clear; '$binary'; echo \"exit code \$?\"; $compare" Enter
wait_for "^ Startposition     x: -50"

{ printf '%9999s5' ''; printf '9%.0s' $(seq 10000); } > "$work/paste"
[ "$(wc -c < "$work/paste")" -eq 20000 ] || fail "the paste is not 20000 bytes"
tmux_ load-buffer -b paste "$work/paste"
tmux_ paste-buffer -d -b paste -t "$pane"

# Then Backspace erases the 10000th character and "3" takes its place: the
# keys come in order, so this happens after the last nine was refused. The
# field starts in row 4, column 23: its 10000th cell is column 22 of the
# screen's last row once the echo has scrolled the form away; a nine
# echoed would have moved it.
tmux_ send-keys -t "$pane" BSpace 3
blanks=$(printf '%21s' '')
wait_for "^${blanks}3\$" 90
sleep 0.5
[ "$(row 25)" = "${blanks}3" ] || fail "the field's end: $(row 25)"
tmux_ send-keys -t "$pane" Enter
wait_for "^ Startposition     y: 50"
[ "$(row 24)" = "${blanks}3" ] || fail "the field after Enter: $(row 24)"
tmux_ send-keys -t "$pane" Enter Enter Enter Enter Enter

# x = 3: both runs.
wait_for_window Pendelweg 10
tmux_ send-keys -t "$pane" x
wait_for_window Startpunkte 20
tmux_ send-keys -t "$pane" Escape
wait_for "^exit code 0$" 10
wait_for "^same modes$" 5
check_terminal_normal
echo "fault_terminal_paste: passed"
