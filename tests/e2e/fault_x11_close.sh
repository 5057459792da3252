#!/usr/bin/env bash
# Windows closed from outside while the program runs, at chosen moments of
# both runs, each reached by waiting for what marks it: while the path is
# drawn or the map computed, during the final 10-second pause, and right
# when the program closes the window itself. Three ways: the window
# manager's close request (WM_DELETE_WINDOW), the window destroyed by
# another client (as xdotool windowclose does), and the program's
# connection killed (as xdotool windowkill does). Every time the window must
# go, the run must go on without drawing and keep its pause, the next window
# must still open, and the program must end with exit code 0, the terminal
# as before, nothing on standard error and no sanitizer report.
#
# Five lanes run side by side, each with a private Xvfb (so each lane's
# windows are its own) and two program runs: 20 rounds in all, 10 per
# window, each moment met twice, by two of the ways.
# Usage: fault_x11_close.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
closer="$(realpath "$2")/tests/e2e/close_window"
probe="$(realpath "$2")/tests/e2e/image_probe"
socket="magpend-fault-x11-close-$$"
source "$(dirname "$0")/lib.bash"
trap 'stop_private_xvfbs; cleanup' EXIT
for tool in Xvfb xdotool xwd xdpyinfo pgrep; do
  command -v "$tool" >/dev/null || fail "needs $tool"
done

lanes=5
runsPerLane=2
# The moments, by lane and run: the path window's, how it is closed, the
# map window's, how it is closed. The path window's moments: "opened" (as
# soon as it is seen), "drawing" (once the trail shows), "stopped" (once
# the run, ended by a key, stood still), "in-pause" (2 s after that). The
# map window's: "opened", "painting" (once its first square shows),
# "computed" (once its worker threads are gone), "in-pause" (2 s after it
# then stood still). The last lane closes each window when the program
# does: the offset (ms) from 10 s after its opening, and the way. On a
# loaded machine a moment may be seen so late that the program has closed
# the window itself: that is said, and no failure.
moments=(
  "1 1 opened   request computed destroy"
  "1 2 stopped  kill    opened   request"
  "2 1 drawing  destroy in-pause request"
  "2 2 in-pause request painting kill"
  "3 1 opened   kill    in-pause destroy"
  "3 2 stopped  request painting request"
  "4 1 drawing  request computed kill"
  "4 2 in-pause destroy opened   destroy"
  "5 1 -300     request 300      destroy"
  "5 2 200      kill    -200     request"
)

# A default start swings 5461 steps of 1 ms or more before magnet 1 catches
# it, so the path run is busy for at least 5 s (and ends by itself in a few
# more once nothing is drawn); n = 2000 gives the map a scan of a second or
# more.
form=("" "" "" "" "0.005" "2000")
# The last lane: a start next to magnet 2 is caught in the first step and
# n = 5 makes the map's scan short, so each window closes about 10 s after
# it opened.
raceForm=("30.3" "30" "" "" "" "5")

log() { echo "[lane $lane run $run] $*"; }

# Closes the window `$2` (an X id) named `$closing` by the way `$1`. With
# `$3` = "may be gone", a window that is already gone is no failure.
close_window() {
  local status=0
  closeOutcome=""
  "$closer" "$1" "$2" "$closing" || status=$?
  [ "$status" -eq 0 ] && return 0
  closeOutcome=", the program had closed it already"
  [ "$status" -eq 1 ] && [ "${3:-}" = "may be gone" ] && return 0
  fail "closing window $2 by $1 failed (status $status)"
}

# "may be gone" when it is less than 0.5 s before the moment `$1`, when the
# program may close the window itself; else nothing.
late_for() { [ "$(now_ms)" -lt $(($1 - 500)) ] || echo "may be gone"; }

window_gone() { [ -z "$(window_id "$1")" ]; }

# Waits up to 5 s for the window named `$1` to be gone.
wait_window_gone() { poll_until 5 window_gone "$1" || fail "window $1 still there 5 s after it was closed"; }

# The answer of image_probe to the query `$2...` about a screenshot of the
# window `$1`.
probe_window() {
  local id=$1
  shift
  xwd -silent -id "$id" | xwdtopnm 2>/dev/null | "$probe" "$@"
}
trail_shown() { local blue; blue=$(probe_window "$1" count 0000FF) && [ "$blue" -gt 0 ]; }
first_square_shown() { local color; color=$(probe_window "$1" pixel 179 519) && [ "$color" != F0F0F0 ]; }

# The path window, closed at the moment `$1` by the way `$2`. A key in the
# terminal ends the run for the moments in its pause (drawing every step, it
# could take long in a slow build). Sets `mapDueMs`, the earliest moment the
# map window may open (the pause is kept in full): the pause begins after
# the close, or at the key, but not before magnet 1 catches the bob: the run
# began after the form was started and lasted at least 5461 ms.
path_round() {
  local moment=$1 method=$2 id opened closeAt pauseFrom
  closing=Pendelweg
  wait_for_window Pendelweg 30
  id=$(window_id Pendelweg)
  opened=$(now_ms)
  baselineThreads=$(thread_count "$pid")
  case $moment in
    opened) pauseFrom=$opened ;;
    drawing)
      poll_until 30 trail_shown "$id" || fail "the trail did not show"
      pauseFrom=$(now_ms) ;;
    stopped|in-pause)
      pauseFrom=$(now_ms)
      tmux_ send-keys -t "$pane" k
      wait_window_still "$id"
      if [ "$moment" = in-pause ]; then sleep 2; fi ;;
  esac
  mapDueMs=$(( (pauseFrom < formAt + 5461 ? pauseFrom : formAt + 5461) + 10000 ))
  closeAt=$(now_ms)
  close_window "$method" "$id" "$(late_for "$mapDueMs")"
  log "Pendelweg closed by $method $((closeAt - opened)) ms after it opened ($moment$closeOutcome)"
  wait_window_gone Pendelweg
}

# The map window, closed at the moment `$1` by the way `$2`. Sets
# `exitDueMs`.
map_round() {
  local moment=$1 method=$2 id opened closeAt phase
  closing=Startpunkte
  wait_for_window Startpunkte 60
  opened=$(now_ms)
  [ "$opened" -ge "$mapDueMs" ] || fail "Startpunkte opened $((mapDueMs - opened)) ms before the path run's pause was over"
  id=$(window_id Startpunkte)
  mapBusySeenMs=""
  case $moment in
    opened|painting)
      [ "$moment" = opened ] || poll_until 30 first_square_shown "$id" || fail "no square showed"
      phase="the scan busy"
      sample_map_workers "$pid" "$baselineThreads" || phase="the scan had ended already" ;;
    computed|in-pause)
      wait_map_computed "$pid" "$baselineThreads"
      phase="the scan over"
      if [ "$moment" = in-pause ]; then wait_window_still "$id"; sleep 2; fi ;;
  esac
  exitDueMs=$(($(map_pause_from "$mapDueMs") + 10000))
  closeAt=$(now_ms)
  close_window "$method" "$id" "$(late_for "$exitDueMs")"
  log "Startpunkte closed by $method $((closeAt - opened)) ms after it opened ($moment, $phase$closeOutcome)"
  wait_window_gone Startpunkte
}

# The window `$1` closed from outside by the way `$2` just when the program
# closes it after its pause: `$3` ms after 10 s from its opening. Sets
# `windowOpened`.
race_round() {
  local name=$1 method=$2 id closeAt
  closing=$name
  wait_for_window "$name" 30
  windowOpened=$(now_ms)
  id=$(window_id "$name")
  closeAt=$((windowOpened + 10000 + $3))
  while [ "$(now_ms)" -lt "$closeAt" ]; do sleep 0.01; done
  close_window "$method" "$id" "may be gone"
  log "$name: $method $((closeAt - windowOpened)) ms after it opened (end of the pause$closeOutcome)"
  wait_window_gone "$name"
}

lane_body() {
  open_shell "lane$lane"
  pane="run:lane$lane"
  local errors row pathMoment pathWay mapMoment mapWay
  for run in $(seq "$runsPerLane"); do
    errors="$work/lane$lane.run$run.err"
    row=$(printf '%s\n' "${moments[@]}" | awk -v lane="$lane" -v run="$run" '$1 == lane && $2 == run')
    read -r _ _ pathMoment pathWay mapMoment mapWay <<< "$row"
    tmux_ send-keys -t "$pane" "clear" Enter
    tmux_ send-keys -t "$pane" -l "$(program_command "$binary" "$errors")"
    tmux_ send-keys -t "$pane" Enter
    if [ "$lane" -eq "$lanes" ]; then
      fill_form "${raceForm[@]}"
      race_round Pendelweg "$pathWay" "$pathMoment"
      race_round Startpunkte "$mapWay" "$mapMoment"
      # The pause may have been a little short of 10 s when seen from here.
      exitDueMs=$((windowOpened + 9000))
    else
      formAt=$(now_ms)
      fill_form "${form[@]}"
      pid=$(program_pid)
      [ -n "$pid" ] || fail "the program is not running"
      path_round "$pathMoment" "$pathWay"
      map_round "$mapMoment" "$mapWay"
    fi
    check_program_end "$exitDueMs" "$errors" "lane $lane run $run"
    [ -z "$(window_id Pendelweg)$(window_id Startpunkte)" ] || fail "a window came back"
    log "ended with exit code 0, terminal kept"
  done
}

start_shell
displays=()
for lane in $(seq "$lanes"); do
  start_private_xvfb || fail "a private Xvfb did not start"
  displays+=("$xvfbDisplay")
done
lanePids=()
for lane in $(seq "$lanes"); do
  ( export DISPLAY=${displays[lane - 1]}; lane_body ) > "$work/lane$lane.log" 2>&1 &
  lanePids+=($!)
done
failed=0
for lane in $(seq "$lanes"); do
  wait "${lanePids[lane - 1]}" || failed=1
  cat "$work/lane$lane.log"
done
[ "$failed" -eq 0 ] || fail "a lane failed"
echo "fault_x11_close: passed"
