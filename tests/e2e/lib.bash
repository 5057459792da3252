# Helpers shared by the end-to-end scripts: a private tmux server whose pane
# runs the program, and screenshots of windows on the X display.
# Source it first; a script that sets `socket` (its tmux socket's name)
# before names its server itself.

# The tmux socket of this script's private server: the folder and name of
# the script and its process, unless it named one.
socket=${socket:-magpend-$(basename "$(dirname "$0")")-$(basename "$0" .sh)-$$}
pane="run:0.0"
work=$(mktemp -d)  # the shell's working folder, removed at the end
tmux_() { tmux -L "$socket" "$@"; }
cleanup() { tmux_ kill-server 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
screen() { tmux_ capture-pane -t "$pane" -p; }

# The arguments of most scripts, "<path of magpend> <build dir>": sets
# `binary`, `build` and `probe` (that build's image probe).
take_program_and_build() {
  binary=$(realpath "$1")
  build=$(realpath "$2")
  probe="$build/tests/e2e/image_probe"
}

# The arguments of the Windows program's scripts, "<path of magpend.exe>
# <build dir> <Linux build dir>": sets `exe`, `linux` (the Linux build
# folder), `e2eTools` (its helper programs) and `probe` (its image probe).
take_windows_program() {
  exe=$(realpath "$1")
  linux=$(realpath "$3")
  e2eTools="$linux/tests/e2e"
  probe="$e2eTools/image_probe"
}
fail() { echo "FAIL: $*"; echo "--- screen:"; screen || true; exit 1; }

# Runs `$2...` every fifth of a second until it succeeds, for up to `$1`
# seconds; fails (status 1) when it never did. (Looking more often only
# costs the processor that the programs under test need.)
poll_until() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 5))); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}

screen_shows() { screen | grep -qE -- "$1"; }

# Waits up to `$2` seconds (10 when not given) for the screen to show `$1`.
wait_for() { poll_until "${2:-10}" screen_shows "$1" || fail "waited in vain for: $1"; }

# Refusals: for each line "ARGUMENTS|MESSAGE" of standard input, `$@
# ARGUMENTS` must end with exit code 2 and one line on standard error that
# says MESSAGE, and leave none of the paths in the array `leftovers`.
check_refusals() {
  local arguments message status left
  while IFS='|' read -r arguments message; do
    status=0
    # shellcheck disable=SC2086
    "$@" $arguments 2> "$work/refused.err" < /dev/null || status=$?
    [ "$status" = 2 ] || fail "$* $arguments: exit code $status, not 2: $(cat "$work/refused.err")"
    grep -qF -- "$message" "$work/refused.err" || fail "$* $arguments said: $(cat "$work/refused.err")"
    [ "$(wc -l < "$work/refused.err")" = 1 ] || fail "$* $arguments said more than one line"
    for left in "${leftovers[@]}"; do
      [ ! -e "$left" ] || fail "$* $arguments left $left"
    done
  done
}

# The shells' command: bash with a known environment (the display and, for
# the Windows program, Wine's prefix and debug setting passed on).
shell_command() {
  echo "env -i PATH=/usr/bin:/bin TERM=xterm-256color LANG=C.UTF-8 ${DISPLAY:+DISPLAY=$DISPLAY}" \
    "${WINEPREFIX:+WINEPREFIX=$WINEPREFIX} ${WINEDEBUG:+WINEDEBUG=$WINEDEBUG} bash --norc --noprofile"
}

# A shell in a fresh 80 x 25 pane in $work, with a known prompt and
# environment.
start_shell() {
  tmux_ -f /dev/null new-session -d -s run -x 80 -y 25 -c "$work" "$(shell_command)"
  tmux_ send-keys -t "$pane" "PS1='shell> '; clear" Enter
}

# Types the six fields of the form, one line each ("" takes the default).
fill_form() {
  wait_for "^ Startposition     x: -50"
  for line in "$@"; do
    # "--": a line such as "-50" is text, not an option of tmux.
    [ -n "$line" ] && tmux_ send-keys -t "$pane" -l -- "$line"
    tmux_ send-keys -t "$pane" Enter
  done
}

# The id of the window named `$1`, or nothing.
window_id() { xdotool search --name "^$1\$" 2>/dev/null | head -1 || true; }

window_shown() { [ -n "$(window_id "$1")" ]; }

# Waits up to `$2` seconds for the window named `$1` to appear.
wait_for_window() { poll_until "${2:-10}" window_shown "$1" || fail "window $1 did not appear"; }

# Saves the window `$1` (its drawing area) as a binary PPM in `$2`.
screenshot() { xwd -silent -id "$1" | xwdtopnm 2>/dev/null > "$2"; }

# Saves the window `$1` as `screenshot` does in `$3`, if it is still named
# `$2` once the screenshot is taken: the server hands a closed connection's
# ids out again, so the next window may have the id of one that just went.
screenshot_named() {
  if screenshot "$1" "$3.next" 2>/dev/null && [ -s "$3.next" ] &&
    [ "$(xdotool getwindowname "$1" 2>/dev/null)" = "$2" ]; then
    mv "$3.next" "$3"
  else
    rm -f "$3.next"
  fi
}

# --- Private X servers and trouble from outside, for the fault scripts.

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xvfb.bash"

# Gives the script an X server of its own and points DISPLAY at it, so that
# scripts run side by side without meeting one another's windows.
use_private_display() {
  trap 'stop_private_xvfbs; cleanup' EXIT
  start_private_xvfb || fail "a private Xvfb did not start"
  export DISPLAY=$xvfbDisplay
}

# Prints the first of `$1` display numbers in a row that no server uses,
# far above those that servers started with -displayfd take (the lowest
# free one), so a number given up by a killed server is not taken again
# while a program may still try it.
free_display_block() {
  local first n
  for _ in $(seq 50); do
    first=$((6000 + RANDOM % 20000))
    for n in $(seq "$first" $((first + $1 - 1))); do
      if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then continue 2; fi
    done
    echo "$first"
    return 0
  done
  fail "found no free display numbers"
}

# Kills the private Xvfb `$1` with the signal `$2` and waits until it is gone.
kill_private_xvfb() {
  kill "-$2" "$1" 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  fail "Xvfb $1 did not end"
}

# Removes the socket and lock file that a server killed outright left
# behind on display `$1`, unless a server answers there.
remove_stale_display() {
  DISPLAY=$1 xdpyinfo >/dev/null 2>&1 || rm -f "/tmp/.X11-unix/X${1#:}" "/tmp/.X${1#:}-lock"
}

# The number of threads of process `$1`.
thread_count() { ls "/proc/$1/task" 2>/dev/null | wc -l; }

# Waits until two screenshots of the window `$1` taken 0.4 s apart are the
# same: the run has stopped drawing. Gives up after 80 s.
wait_window_still() {
  local previous="" current
  for _ in $(seq 200); do
    current=$(xwd -silent -id "$1" | md5sum) || fail "screenshot of window $1 failed"
    [ "$current" = "$previous" ] && return 0
    previous=$current
    sleep 0.4
  done
  fail "the run in window $1 did not stop drawing"
}

# Looks once whether the map run of program `$1` still has worker threads
# (more than `$2` threads): if so, sets `mapBusySeenMs` to the moment of the
# look, before which the map's pause cannot have begun; if not, fails.
sample_map_workers() {
  local before
  before=$(now_ms)
  [ "$(thread_count "$1")" -gt "$2" ] || return 1
  mapBusySeenMs=$before
}

# Waits until the map run of program `$1` has computed its last start point:
# its worker threads are gone (at most `$2` threads are left).
wait_map_computed() {
  mapBusySeenMs=""
  for _ in $(seq 900); do
    sample_map_workers "$1" "$2" || return 0
    sleep 0.1
  done
  fail "the map scan did not end"
}

# The earliest moment the map's pause may have begun: the last time its
# workers were seen, or, if that is earlier, the earliest moment `$1` the
# window can have opened (seen from here, the window may have opened long
# before it was seen on a loaded machine).
map_pause_from() {
  local seen=${mapBusySeenMs:-0}
  echo $((seen > $1 ? seen : $1))
}

# The shell command that runs `$1` with its standard error in the file `$2`
# and sanitizer reports that stop the program, then prints "exit code N" and
# "terminal kept" when the terminal modes are the same as before.
program_command() {
  local suppressions
  suppressions=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../graphics/tsan.supp")
  printf '%s' "modes=\$(stty -g); ASAN_OPTIONS=detect_leaks=1:halt_on_error=1" \
    " UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1" \
    " TSAN_OPTIONS='halt_on_error=1 suppressions=$suppressions'" \
    " '$1' 2>'$2'; echo \"exit code \$?\";" \
    " [ \"\$(stty -g)\" = \"\$modes\" ] && echo 'terminal kept'"
}

# Milliseconds since the epoch.
now_ms() { local micro=${EPOCHREALTIME/./}; echo $((micro / 1000)); }

# Sleeps until the moment `$1` (ms, as now_ms gives it); at once when it has
# passed.
sleep_until() {
  local left=$(($1 - $(now_ms)))
  [ "$left" -le 0 ] || sleep "$((left / 1000)).$(printf %03d $((left % 1000)))"
}

# Fails when the file `$1` (a program's standard error) holds a sanitizer
# report; `$2` names the run.
check_no_sanitizer_report() {
  if grep -qE 'ERROR: AddressSanitizer|ERROR: LeakSanitizer|WARNING: ThreadSanitizer|ThreadSanitizer:|runtime error:' "$1"; then
    echo "--- standard error of $2:"; cat "$1"
    fail "sanitizer report in $2"
  fi
}

# Waits up to 90 s for the end of a program started with program_command in
# `$pane` and checks it: not before `$1` (ms since the epoch), no sanitizer
# report and nothing else in its standard error file `$2`, exit code 0, the
# terminal as it was. `$3` names the run.
check_program_end() {
  local ended
  wait_for "^exit code [0-9]+$" 90
  ended=$(now_ms)
  check_no_sanitizer_report "$2" "$3"
  screen | grep -q "^exit code 0$" || { cat "$2"; fail "exit code of $3 is not 0"; }
  if [ -s "$2" ]; then
    echo "--- standard error of $3:"; cat "$2"
    fail "$3 wrote to standard error"
  fi
  [ "$ended" -ge "$1" ] || fail "$3 ended $(($1 - ended)) ms too early: a pause was cut short"
  wait_for "^terminal kept$" 5
  check_terminal_normal
}

# One more shell in the session of start_shell, in a window named `$1`, with
# the same environment; its pane is "run:$1". Several programs can so run side
# by side, each in a terminal of its own.
open_shell() {
  tmux_ new-window -d -t run -n "$1" -c "$work" "$(shell_command)"
  tmux_ send-keys -t "run:$1" "PS1='shell> '; clear" Enter
}

# The process id of the program `$binary` that the shell of `$pane` runs,
# however deep below the shell (a pipeline, a shell in between), or nothing:
# found in the pane's session, whose leader is the pane's first process.
program_pid() {
  pgrep -s "$(tmux_ list-panes -t "$pane" -F '#{pane_pid}')" -x "$(basename "$binary" | cut -c1-15)" | head -1
}

# How many windows named `$1` are open on the display.
window_count() { xdotool search --name "^$1\$" 2>/dev/null | wc -l; }

windows_open() { [ "$(window_count "$1")" -eq "$2" ]; }

# Waits up to `$3` seconds (10 when not given) until `$2` windows named `$1`
# are open.
wait_for_windows() {
  poll_until "${3:-10}" windows_open "$1" "$2" || fail "$(window_count "$1") windows $1 open, not $2"
}

# Checks that the terminal of `$pane` is back to normal: the shell's line
# echoes typed text and the cursor is shown.
check_terminal_normal() {
  [ "$(tmux_ display-message -p -t "$pane" '#{cursor_flag}')" = 1 ] || fail "cursor hidden in $pane"
  tmux_ send-keys -t "$pane" "echo echoed"
  wait_for "^shell> echo echoed$"
  tmux_ send-keys -t "$pane" C-u
}

# Sends the signal `$1` to the program of `$pane`.
signal_program() {
  local pid
  pid=$(program_pid)
  [ -n "$pid" ] || fail "no program running in $pane"
  kill "-$1" "$pid"
}

# Whether the build folder `$1` holds a sanitizer build (slower by far).
sanitized_build() { grep -qE '^MAGPEND_SANITIZE:STRING=.+' "$1/CMakeCache.txt" 2>/dev/null; }

# --- A window manager on the display, for the tests of decorated windows.

# Starts the window manager `$1` (openbox) on $DISPLAY and waits until it
# manages the screen. The manager names itself on the root window before it
# has read its settings, and a window mapped in that moment may never be
# managed: so a small window of x11-apps' is mapped (again, a few seconds
# apart) until the manager has managed one.
start_window_manager() {
  "$1" --sm-disable >/dev/null 2>&1 &
  disown $!
  poll_until 60 window_manager_running || fail "the window manager $1 did not start"
  local attempt probe managed=1
  for attempt in $(seq 12); do
    xlogo -geometry 16x16+0+0 >/dev/null 2>&1 &
    probe=$!
    poll_until 5 managed_window xlogo && managed=0
    kill "$probe" 2>/dev/null || true
    wait "$probe" 2>/dev/null || true
    [ "$managed" = 0 ] && return 0
  done
  fail "the window manager $1 manages no window"
}
window_manager_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
# Whether a window of the class `$1` is in the normal state a manager gives.
managed_window() {
  local id
  for id in $(xdotool search --classname "$1" 2>/dev/null); do
    xprop -id "$id" WM_STATE 2>/dev/null | grep -q "window state: Normal" && return 0
  done
  return 1
}

# "WxH+X+Y" of the window `$1`: its size and its place on the screen. The
# script names the folder of the helper programs it built in `e2eTools`.
window_geometry() { "$e2eTools/window_place" "$1"; }

# "X Y": the corner of the window `$1` on the screen.
window_corner() {
  [[ "$(window_geometry "$1")" =~ \+(-?[0-9]+)\+(-?[0-9]+)$ ]] && echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
}

# "W H": the size of the window `$1`.
window_size() { [[ "$(window_geometry "$1")" =~ ^([0-9]+)x([0-9]+) ]] && echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"; }

# "left right top bottom": the decoration a window manager put around the
# window `$1` (all 0 without one).
frame_extents() {
  xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ',' | grep . ||
    echo "0 0 0 0"
}

# Clicks the close button of the decoration around window `$1`: the right-
# most button of openbox's title bar, 11 pixels in from the outer right edge.
click_close_button() {
  local left right top bottom x y
  read -r left right top bottom <<< "$(frame_extents "$1")"
  read -r x y <<< "$(window_corner "$1")"
  xdotool mousemove $((x + 800 + right - 11)) $((y - top / 2)) click 1
}

# Checks the decorated window `$1`, named `$2`, whose geometry is `$3`: a
# title bar, no maximising or resizing offered, and both refused when asked
# for (by request and by the maximise button, left of the close button);
# saves a screenshot of the whole decoration as `$4`.png and its title bar
# as `$4`.title.ppm.
check_fixed_frame() {
  local left right top bottom x y actions
  read -r left right top bottom <<< "$(frame_extents "$1")"
  actions=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)
  echo "$actions" | grep -q _NET_WM_ACTION_CLOSE || fail "$2 cannot be closed by the window manager"
  if echo "$actions" | grep -qE "MAXIMIZE|RESIZE"; then fail "$2 may be maximised or resized: $actions"; fi
  wmctrl -i -r "$1" -b add,maximized_vert,maximized_horz
  xdotool windowsize "$1" 1000 700
  read -r x y <<< "$(window_corner "$1")"
  xdotool mousemove $((x + 800 + right - 27)) $((y - top / 2)) click 1
  sleep 0.5
  [ "$(window_geometry "$1")" = "$3" ] || fail "$2 was maximised or resized: $(window_geometry "$1")"
  save_decoration "$1" "$2" "$4"
}

# Checks that the window `$1`, named `$2`, has a title bar, and saves a
# screenshot of its whole decoration as `$3`.png and of its title bar as
# `$3`.title.ppm.
save_decoration() {
  local left right top bottom x y
  read -r left right top bottom <<< "$(frame_extents "$1")"
  [ "$top" -gt 10 ] || fail "$2 has no title bar (frame extents $left $right $top $bottom)"
  read -r x y <<< "$(window_corner "$1")"
  xwd -root -silent | xwdtopnm 2>/dev/null |
    pnmcut $((x - left)) $((y - top)) $((800 + left + right)) $((600 + top + bottom)) > "$3.ppm"
  pnmtopng < "$3.ppm" > "$3.png"
  pnmcut 0 0 $((800 + left + right)) "$top" < "$3.ppm" > "$3.title.ppm"
  rm -f "$3.ppm"
}

# --- The Windows program under Wine, beside the Linux build.

# The id of the window named `$1` whose class name is `$2` ("magpend" for the
# Linux build, "magpend.exe" for the Windows program under Wine), or nothing.
class_window_id() {
  local id
  for id in $(xdotool search --name "^$1\$" 2>/dev/null); do
    if xprop -id "$id" WM_CLASS 2>/dev/null | grep -q "= \"$2\","; then echo "$id"; return; fi
  done
}

class_window_shown() { [ -n "$(class_window_id "$1" "$2")" ]; }

# Whether the window `$1` named `$2`, found before, is closed: no longer
# mapped, or its id now names another window (Wine gives a closed window's id
# to its next one). Asked of the window itself, not of a search by name through
# the whole tree, whose answer depends on every other window of that moment (in
# a CI run such a search came back empty 0.6 s into the path window's 10 s).
window_closed() {
  ! xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable" ||
    [ "$(xdotool getwindowname "$1" 2>/dev/null)" != "$2" ]
}

# Waits up to `$3` seconds for the window named `$1` of class name `$2`.
wait_for_class_window() {
  poll_until "${3:-10}" class_window_shown "$1" "$2" || fail "window $1 of $2 did not appear"
}

# "LEFT TOP": where the drawing area of `$2` x `$3` pixels (800 x 600 when
# not given) lies in the Windows program's window `$1`. With no window
# manager on the display Wine draws the frame itself, into the frame's X
# window: borders of equal width left, right and below, the title bar above,
# and the drawing area within.
wine_area_offset() {
  local width height border
  read -r width height <<< "$(window_size "$1")"
  border=$(( (width - ${2:-800}) / 2 ))
  echo "$border $((height - ${3:-600} - border))"
}

# Saves the drawing area of the Windows program's window `$1` as a binary
# PPM in `$2`; the area is `$3` x `$4` pixels (800 x 600 when not given).
wine_area_screenshot() {
  local left top
  read -r left top <<< "$(wine_area_offset "$1" "${3:-800}" "${4:-600}")"
  xwd -silent -id "$1" | xwdtopnm 2>/dev/null |
    pnmcut -left "$left" -top "$top" -width "${3:-800}" -height "${4:-600}" > "$2"
}

# --- The explorer (`magpend explore`), driven as a user would. The script
# sets `out` (the file of the explorer's standard output), `explorer` (its
# process), `window` (its X window), `side` (its view's) and `mapper` (the
# program that makes the pictures of the views' commands); it redefines
# explorer_area_screenshot and point_at where the drawing area is not the
# whole X window (under Wine). The drawing area is the view, side x side,
# above the status line of `statusHeight` rows (app/explore_status.h).
statusHeight=44

# Saves the explorer's drawing area, view and status line, as the binary PPM `$1`.
explorer_area_screenshot() { screenshot "$window" "$1"; }
# Saves the explorer's view alone as the binary PPM `$1`.
explorer_screenshot() {
  explorer_area_screenshot "$1.area"
  pnmcut -left 0 -top 0 -width "$side" -height "$side" "$1.area" > "$1"
}
# Saves the explorer's status line alone as the binary PPM `$1`.
status_screenshot() {
  explorer_area_screenshot "$1.area"
  pnmcut -left 0 -top "$side" -width "$side" -height "$statusHeight" "$1.area" > "$1"
}
# Moves the pointer onto the drawing area's pixel ($1, $2).
point_at() { xdotool mousemove --window "$window" "$1" "$2"; }

said() { grep -c -- "$1" "$out" 2>/dev/null || true; }
said_at_least() { [ "$(said "^$1")" -ge "$2" ]; }
# Waits until the explorer has said `$2` lines starting with `$1`.
wait_said() { poll_until 60 said_at_least "$1" "$2" || fail "waited in vain for line $2 of '$1' in: $(cat "$out")"; }

# The command of the `$1`th view line, without its time.
view_command() { grep '^view: ' "$out" | sed -n "$1p" | cut -d'#' -f1; }

# Checks that the window shows the picture of the `$1`th view line's command
# (within 10 s: a window system may show the last change a moment late).
check_view() {
  local line command words differing
  wait_said "view: " "$1"
  line=$(grep '^view: ' "$out" | sed -n "$1p" | tr -d '\r')
  command=${line#view: magpend }
  read -ra words <<< "${command%%  #*}"
  words=("${words[@]//\"/}")  # the quotes a shell would take away
  "$mapper" "${words[@]/view.png/$work/view.png}" || fail "the command of view $1 failed: $line"
  pngtopnm "$work/view.png" > "$work/view.ppm"
  for _ in $(seq 20); do
    explorer_screenshot "$work/window.ppm"
    differing=$("$probe" differ "$work/view.ppm" < "$work/window.ppm")
    [ "$differing" = 0 ] && return 0
    sleep 0.5
  done
  fail "view $1 differs from its command's picture in $differing pixels: $line"
}

# Clicks at ($1, $2) and checks the start line's magnet against that pixel's
# colour in the last view checked, and that the path is drawn.
check_click() {
  local clicks colour magnet
  clicks=$(said "^start ")
  colour=$("$probe" pixel "$1" "$2" < "$work/window.ppm")
  point_at "$1" "$2"
  xdotool click 1
  wait_said "start " $((clicks + 1))
  magnet=$(grep '^start ' "$out" | tail -1 | tr -d '\r' |
    sed -E 's/.*: (magnet ([1-3])|no magnet) after [0-9]+ steps$/\2/')
  case "$colour" in
    FF0000) [ "$magnet" = 1 ] ;; 00BF00) [ "$magnet" = 2 ] ;; 0000FF) [ "$magnet" = 3 ] ;; F0F0F0) [ -z "$magnet" ] ;;
    *) false ;;
  esac || fail "the pixel at $1, $2 is $colour, but: $(grep '^start ' "$out" | tail -1)"
  for _ in $(seq 20); do
    explorer_screenshot "$work/path.ppm"
    [ "$("$probe" count FF00FF < "$work/path.ppm")" -gt 0 ] && return 0
    sleep 0.5
  done
  fail "no path drawn after the click at $1, $2"
}

# S: checks that the explorer saved the window's picture as `$1` in $work.
check_save() {
  xdotool key s
  wait_said "saved: $1" 1
  explorer_screenshot "$work/window.ppm"
  pngtopnm "$work/$1" > "$work/saved.ppm"
  [ "$("$probe" differ "$work/saved.ppm" < "$work/window.ppm")" = 0 ] || fail "the saved picture differs from the window"
}

status_shows() { explorer_area_screenshot "$work/area.ppm" && [ "$("$probe" status "$1" "$2" < "$work/area.ppm")" = 1 ]; }
# Checks that the status line's line `$1` (from 0) shows `$2` within 10 s.
check_status() { poll_until 10 status_shows "$1" "$2" || fail "the status line's line $1 does not show '$2'"; }

# Checks that the status line tells the `$1`th view is done in the time
# its line says.
check_status_done() {
  local line
  line=$(grep '^view: ' "$out" | sed -n "$1p" | tr -d '\r')
  check_status 1 "done in ${line##*# }"
}

status_changed() { status_screenshot "$work/status.ppm" && [ "$("$probe" differ "$1" < "$work/status.ppm")" != 0 ]; }
# Checks that the status line changes while a long view is computed.
check_status_progresses() {
  status_screenshot "$work/status-early.ppm"
  poll_until 30 status_changed "$work/status-early.ppm" || fail "the status line stayed as it was while the view was computed"
}

view_differs() { explorer_screenshot "$work/help.ppm" && [ "$("$probe" differ "$work/view.ppm" < "$work/help.ppm")" != 0 ]; }
# H: checks that the help covers the view last checked, and that Escape
# hides it again without ending the explorer.
check_help() {
  xdotool key h
  poll_until 10 view_differs || fail "H did not show the help over the view"
  xdotool key Escape
  poll_until 10 eval '! view_differs' || fail "Escape did not hide the help"
  kill -0 "$explorer" 2>/dev/null || fail "Escape over the help ended the explorer"
}

# Ends the explorer with the key `$1` and checks its exit.
end_with() {
  local status=0
  xdotool key --clearmodifiers "$1"
  for _ in $(seq 100); do kill -0 "$explorer" 2>/dev/null || break; sleep 0.2; done
  wait "$explorer" || status=$?
  [ "$status" = 0 ] || fail "$1 ended the explorer with exit code $status"
  [ ! -s "$work/explore.err" ] || fail "the explorer wrote to standard error: $(cat "$work/explore.err")"
}
