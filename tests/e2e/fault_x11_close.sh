#!/usr/bin/env bash
# Windows closed from outside while the program runs, at random moments of
# both runs: while the path is drawn or the map computed, during the final
# 10-second pause, and right when the program closes the window itself.
# Three ways: the window manager's close request (WM_DELETE_WINDOW), the
# window destroyed by another client (as xdotool windowclose does), and the
# program's connection killed (as xdotool windowkill does). Every time the
# window must go, the run must go on without drawing and keep its pause,
# the next window must still open, and the program must end with exit code
# 0, the terminal as before, nothing on standard error and no sanitizer
# report.
#
# Five lanes run side by side, each with a private Xvfb (so each lane's
# windows are its own) and two program runs: 20 rounds in all, 10 per
# window: 4 while the run is busy, 4 in its pause, 2 at its end.
# Usage: fault_x11_close.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
closer="$(realpath "$2")/tests/e2e/close_window"
socket="magpend-fault-x11-close-$$"
source "$(dirname "$0")/lib.bash"
trap 'stop_private_xvfbs; cleanup' EXIT
for tool in Xvfb xdotool xwd xdpyinfo pgrep; do
  command -v "$tool" >/dev/null || fail "needs $tool"
done

lanes=5
runsPerLane=2
# Per round (lane, run, window) in order: how the window is closed.
methods=(request request destroy request request kill kill destroy
         request request destroy request request kill destroy request
         request destroy kill request)

# A default start swings 5461 steps of 1 ms or more before magnet 1 catches
# it, so the path run is busy for at least 5 s (and ends by itself in a few
# more once nothing is drawn); n = 2000 gives the map a scan of a second or
# more.
form=("" "" "" "" "0.005" "2000")
pathBusyAtLeastMs=5000
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

# Sleeps a random time of up to `$1` tenths of a second, but ends at least
# 1.5 s before the moment `$2` (ms since the epoch), the earliest end of the
# window's pause, when the program may close it itself: on a loaded machine
# the looks before may have taken most of the pause.
sleep_within() {
  local want=$(( (RANDOM % $1) * 100 )) left=$(( $2 - 1500 - $(now_ms) ))
  [ "$want" -le "$left" ] || want=$left
  [ "$want" -le 0 ] || sleep "$((want / 1000)).$(printf '%03d' $((want % 1000)))"
}

# "may be gone" when it is less than 0.5 s before the moment `$1`, when the
# program may close the window itself; else nothing.
late_for() { [ "$(now_ms)" -lt $(($1 - 500)) ] || echo "may be gone"; }

# Waits up to 5 s for the window named `$1` to be gone.
wait_window_gone() {
  for _ in $(seq 50); do
    [ -z "$(window_id "$1")" ] && return 0
    sleep 0.1
  done
  fail "window $1 still there 5 s after it was closed"
}

# The path window: closed at a random moment while the bob swings (the run
# then ends when magnet 1 catches it), or at a random moment of the pause
# after a key in the terminal has ended the run. Sets `mapDueMs`, the
# earliest moment the map window may open (the pause is kept in full).
path_round() {
  local phase=$1 method=$2 id opened closeAt keyAt
  closing=Pendelweg
  wait_for_window Pendelweg 30
  id=$(window_id Pendelweg)
  opened=$(now_ms)
  baselineThreads=$(thread_count "$pid")
  if [ "$phase" = busy ]; then
    sleep "$((RANDOM % 3)).$((RANDOM % 10))"
    closeAt=$(now_ms)
    [ $((closeAt - opened)) -lt "$pathBusyAtLeastMs" ] || fail "the busy moment came too late"
    close_window "$method" "$id"
    mapDueMs=$((closeAt + 10000))
  else
    # A key in the terminal ends the path run (drawing every step, it
    # could take long in a slow build); the close comes in its pause.
    sleep "$((1 + RANDOM % 2)).$((RANDOM % 10))"
    keyAt=$(now_ms)
    tmux_ send-keys -t "$pane" k
    # The pause begins at the key, or earlier if magnet 1 caught the bob
    # first (on a loaded machine the window may be seen late): the run
    # began after the form was started and lasted at least 5461 ms.
    mapDueMs=$(( (keyAt < formAt + 5461 ? keyAt : formAt + 5461) + 10000 ))
    wait_window_still "$id"
    sleep_within 70 "$mapDueMs"
    closeAt=$(now_ms)
    close_window "$method" "$id" "$(late_for "$mapDueMs")"
  fi
  log "Pendelweg closed by $method $((closeAt - opened)) ms after it opened ($phase$closeOutcome)"
  wait_window_gone Pendelweg
}

# The map window: closed at a random moment of the scan (while its worker
# threads are there) or of the pause after it. Sets `exitDueMs`.
map_round() {
  local phase=$1 method=$2 id opened closeAt
  closing=Startpunkte
  wait_for_window Startpunkte 60
  opened=$(now_ms)
  [ "$opened" -ge "$mapDueMs" ] || fail "Startpunkte opened $((mapDueMs - opened)) ms before the path run's pause was over"
  id=$(window_id Startpunkte)
  if [ "$phase" = busy ]; then
    sleep "$(printf '0.%03d' $((RANDOM % 600)))"
    mapBusySeenMs=""
    sample_map_workers "$pid" "$baselineThreads" || phase="pause: the scan had ended already"
    closeAt=$(now_ms)
    close_window "$method" "$id"
    exitDueMs=$(($(map_pause_from "$opened") + 10000))
  else
    wait_map_computed "$pid" "$baselineThreads"
    wait_window_still "$id"
    exitDueMs=$(($(map_pause_from "$opened") + 10000))
    sleep_within 80 "$exitDueMs"
    closeAt=$(now_ms)
    close_window "$method" "$id" "$(late_for "$exitDueMs")"
  fi
  log "Startpunkte closed by $method $((closeAt - opened)) ms after it opened ($phase$closeOutcome)"
  wait_window_gone Startpunkte
}

# The window `$1` closed from outside just when the program closes it after
# its pause: up to 0.3 s before or after 10 s from its opening. Sets
# `windowOpened`.
race_round() {
  local name=$1 method=$2 id closeAt
  closing=$name
  wait_for_window "$name" 30
  windowOpened=$(now_ms)
  id=$(window_id "$name")
  closeAt=$((windowOpened + 10000 - 300 + RANDOM % 600))
  while [ "$(now_ms)" -lt "$closeAt" ]; do sleep 0.01; done
  close_window "$method" "$id" "may be gone"
  log "$name: $method $((closeAt - windowOpened)) ms after it opened (end of the pause$closeOutcome)"
  wait_window_gone "$name"
}

lane_body() {
  open_shell "lane$lane"
  pane="run:lane$lane"
  local k=$(( (lane - 1) * runsPerLane * 2 )) errors pathPhase mapPhase
  for run in $(seq "$runsPerLane"); do
    errors="$work/lane$lane.run$run.err"
    tmux_ send-keys -t "$pane" "clear" Enter
    sleep 0.3
    tmux_ send-keys -t "$pane" -l "$(program_command "$binary" "$errors")"
    tmux_ send-keys -t "$pane" Enter
    if [ "$lane" -eq "$lanes" ]; then
      fill_form "${raceForm[@]}"
      race_round Pendelweg "${methods[k]}"
      race_round Startpunkte "${methods[k + 1]}"
      # The pause may have been a little short of 10 s when seen from here.
      exitDueMs=$((windowOpened + 9000))
    else
      if (( (lane + run) % 2 == 0 )); then pathPhase=busy mapPhase=pause; else pathPhase=pause mapPhase=busy; fi
      formAt=$(now_ms)
      fill_form "${form[@]}"
      pid=$(program_pid)
      [ -n "$pid" ] || fail "the program is not running"
      path_round "$pathPhase" "${methods[k]}"
      map_round "$mapPhase" "${methods[k + 1]}"
    fi
    k=$((k + 2))
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
