# Helpers shared by the end-to-end scripts: a private tmux server whose pane
# runs the program, and screenshots of windows on the X display.
# Source it after setting `socket` (a unique tmux socket name).

pane="run:0.0"
work=$(mktemp -d)  # the shell's working folder, removed at the end
tmux_() { tmux -L "$socket" "$@"; }
cleanup() { tmux_ kill-server 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
screen() { tmux_ capture-pane -t "$pane" -p; }
fail() { echo "FAIL: $*"; echo "--- screen:"; screen || true; exit 1; }

# Waits up to `$2` seconds (10 when not given) for the screen to show `$1`.
wait_for() {
  for _ in $(seq $((${2:-10} * 10))); do
    if screen | grep -qE -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "waited in vain for: $1"
}

# A shell in a fresh 80 x 25 pane in $work, with a known prompt and
# environment.
start_shell() {
  tmux_ -f /dev/null new-session -d -s run -x 80 -y 25 -c "$work" \
    "env -i PATH=/usr/bin:/bin TERM=xterm-256color LANG=C.UTF-8 ${DISPLAY:+DISPLAY=$DISPLAY} bash --norc --noprofile"
  tmux_ send-keys -t "$pane" "PS1='shell> '; clear" Enter
}

# Types the six fields of the form, one line each ("" takes the default).
fill_form() {
  wait_for "^ Startposition     x: -50"
  for line in "$@"; do
    [ -n "$line" ] && tmux_ send-keys -t "$pane" -l "$line"
    tmux_ send-keys -t "$pane" Enter
  done
}

# The id of the window named `$1`, or nothing.
window_id() { xdotool search --name "^$1\$" 2>/dev/null | head -1; }

# Waits up to `$2` seconds for the window named `$1` to appear.
wait_for_window() {
  for _ in $(seq $((${2:-10} * 10))); do
    [ -n "$(window_id "$1")" ] && return 0
    sleep 0.1
  done
  fail "window $1 did not appear"
}

# Saves the window `$1` (its drawing area) as a binary PPM in `$2`.
screenshot() { xwd -silent -id "$1" | xwdtopnm 2>/dev/null > "$2"; }
