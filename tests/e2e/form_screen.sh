#!/usr/bin/env bash
# The parameter form on a real terminal (a tmux pane of 80 x 25): labels and
# defaults at their rows and columns, "ä" and "ö" shown right, the whole
# screen black on bright white, keys without text ignored, an x of 100 ending
# the program at once with exit code 0, and the shell working normally after.
# Usage: form_screen.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
socket="magpend-form-screen-$$"
source "$(dirname "$0")/lib.bash"
row() { screen | sed -n "${1}p"; }
start_shell
tmux_ send-keys -t "$pane" "PS1='shell> '; '$binary'; echo \"exit code \$?\"" Enter
wait_for "^ Startposition     x: -50"

# Keys with no text do nothing: Ctrl+C, Esc, Tab, arrows, F1, Alt+A, Delete.
before=$(screen)
tmux_ send-keys -t "$pane" C-c Escape Tab Up Left F1 M-a DC
sleep 0.5
[ "$(screen)" = "$before" ] || fail "keys without text changed the screen"

# x = 100 typed over the default; then the other five fields by Enter.
tmux_ send-keys -t "$pane" 1 0 0 Enter
wait_for "^ Startposition     y: 50"
for label in "Pendelkoeffizient g: 5" "Magnetstärke      m: 400" "Verzögerung       v: 0.03" \
             "Versuchszahl      n: 2000"; do
  tmux_ send-keys -t "$pane" Enter
  wait_for "^ $label"
done

# The form as it stands before the last Enter.
expected=(
  [4]=" Startposition     x: 100"
  [5]=" Startposition     y: 50"
  [6]=" Pendelkoeffizient g: 5"
  [7]=" Magnetstärke      m: 400"
  [9]=" Verzögerung       v: 0.03"
  [10]=" Versuchszahl      n: 2000"
)
for r in 1 2 3 4 5 6 7 8 9 10 11 12 25; do
  want="${expected[$r]:-}"
  got=$(row "$r" | sed 's/ *$//')
  [ "$got" = "$want" ] || fail "row $r reads '$got', not '$want'"
done

# Black on bright white everywhere: the only colours set are SGR 30 and 107,
# and every cell, trailing blanks included, is covered by them.
coloured=$(tmux_ capture-pane -t "$pane" -p -e -N)
first=$(printf '%s' "$coloured" | head -n 1)
case "$first" in
  $'\e[30m\e[107m'*) ;;
  *) fail "the screen does not start black on bright white: $(printf '%s' "$first" | cat -v)" ;;
esac
others=$(printf '%s' "$coloured" | sed $'s/\e\\[30m//g; s/\e\\[107m//g' | grep -c $'\e' || true)
[ "$others" = 0 ] || fail "other colours on the form: $(printf '%s' "$coloured" | grep $'\e' | head -3 | cat -v)"
[ "$(printf '%s\n' "$coloured" | wc -l)" = 25 ] || fail "not 25 rows"

# The last Enter: x = 100 fails the check; the program ends at once.
tmux_ send-keys -t "$pane" Enter
wait_for "^exit code 0$"
[ "$(row 11)" = "exit code 0" ] || fail "something else was written after the form: '$(row 11)'"
for r in 1 2 3 4 5 6 7 8 9 10; do
  want="${expected[$r]:-}"
  [ "$(row "$r" | sed 's/ *$//')" = "$want" ] || fail "row $r changed at the end"
done

# The terminal is back in its normal mode: the shell echoes what is typed.
tmux_ send-keys -t "$pane" "echo back to normal"
wait_for "^shell> echo back to normal$"
tmux_ send-keys -t "$pane" Enter
wait_for "^back to normal$"
echo "form_screen: passed"
