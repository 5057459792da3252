#!/usr/bin/env bash
# The X server dies under the program: each lane runs the program against a
# private Xvfb of its own and kills that server at a chosen moment of each
# run - while the path is drawn, in the path run's pause, while the map is
# computed, in the map's pause, inside the map window's opening - or has
# killed it before the program starts. The program must go on without
# drawing, keep both 10-second pauses, find no display for a window opened
# later, and end with exit code 0, the terminal as before, nothing written to
# standard error and no sanitizer report. Six lanes of two runs each, each
# run with a display number of its own, so that no program meets a server
# that another lane started on a number given up before.
# Usage: fault_x11_server.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
dyingDisplay="$(realpath "$2")/tests/e2e/dying_display"
socket="magpend-fault-x11-server-$$"
source "$(dirname "$0")/lib.bash"
firstDisplay=""
# Ends the servers and removes what killed ones left of the numbers used.
finish() {
  stop_private_xvfbs
  if [ -n "$firstDisplay" ]; then
    for number in $(seq "$firstDisplay" $((firstDisplay + ${#lanes[@]} * runsPerLane - 1))); do remove_stale_display ":$number"; done
  fi
  cleanup
}
trap finish EXIT
for tool in Xvfb xdotool xwd xdpyinfo pgrep; do
  command -v "$tool" >/dev/null || fail "needs $tool"
done

# A default start swings 5461 steps of 1 ms or more before a magnet catches
# it: the path run is busy for at least 5 s; at 200 ms a step (v = 1) it
# lasts until a key ends it, however slowly a loaded machine lets the test
# look. A start next to magnet 2 is caught in the first step. n = 2000 gives
# the map a scan of a second or less, n = 10000 one of a few seconds.
pathForm=("" "" "" "" "0.005" "2000")
keyedPathForm=("" "" "" "" "1" "2000")
mapForm=("30.3" "30" "" "" "" "2000")
longMapForm=("30.3" "30" "" "" "" "10000")
shortForm=("30.3" "30" "" "" "" "5")

lanes=(path-busy path-pause map-busy map-pause map-opening no-server)
runsPerLane=2

log() { echo "[${lanes[lane]} run $run] $*"; }

# The display of this lane and run.
run_display() { echo ":$((firstDisplay + lane * runsPerLane + run - 1))"; }

# Starts the program in `$pane` against the display `$1` with the form
# values that follow; sets `pid`, `errors` and `started` (ms).
start_program() {
  local display=$1
  shift
  errors="$work/${lanes[lane]}.run$run.err"
  tmux_ send-keys -t "$pane" "clear" Enter
  sleep 0.3
  tmux_ send-keys -t "$pane" -l "export DISPLAY=$display; $(program_command "$binary" "$errors")"
  tmux_ send-keys -t "$pane" Enter
  fill_form "$@"
  started=$(now_ms)
  pid=$(program_pid)
  [ -n "$pid" ] || fail "the program is not running"
}

# Waits for the program's end, not before `$1` (ms), and checks it.
check_end() {
  check_program_end "$1" "$errors" "${lanes[lane]} run $run"
  remove_stale_display "$(run_display)"
  log "ended with exit code 0 after $(( ($(now_ms) - started) / 1000 )) s, terminal kept"
}

kill_signal() { [ "$run" -eq 1 ] && echo KILL || echo TERM; }

# Starts the lane's Xvfb for this run, the program on it with the form
# values given, and waits for the path window.
start_on_lane_server() {
  start_private_xvfb "$(run_display)" || fail "Xvfb did not start"
  start_program "$xvfbDisplay" "$@"
  DISPLAY=$xvfbDisplay wait_for_window Pendelweg 30
}

# Kills the lane's Xvfb with this run's signal; sets `killedAt` (ms).
kill_lane_server() {
  killedAt=$(now_ms)
  kill_private_xvfb "$xvfbPid" "$(kill_signal)"
}

# The earliest moment the map window can have opened: the path run of the
# map's form, caught in its first step, began at the form's last Enter and
# then paused for 10 s.
map_opening_from() { echo $((started + 10000)); }

# The server dies while the path is drawn; the path run then ends by itself.
path_busy() {
  start_on_lane_server "${pathForm[@]}"
  sleep "$((run == 1 ? 0 : 2)).5"
  kill_lane_server
  log "Xvfb killed (SIG$(kill_signal)) $((killedAt - started)) ms after the form"
  check_end $((killedAt + 20000))
}

# The server dies in the pause after a key has ended the path run: as soon
# as the window has stopped drawing (run 1), or 5 s after the key (run 2).
path_pause() {
  start_on_lane_server "${keyedPathForm[@]}"
  local keyAt
  keyAt=$(now_ms)
  tmux_ send-keys -t "$pane" k
  DISPLAY=$xvfbDisplay wait_window_still "$(DISPLAY=$xvfbDisplay window_id Pendelweg)"
  sleep_until $((keyAt + (run == 1 ? 0 : 5000)))
  kill_lane_server
  log "Xvfb killed (SIG$(kill_signal)) $((killedAt - keyAt)) ms after the key ended the path run"
  check_end $((keyAt + 20000))
}

# The server dies while the map is computed: 0.1 s (run 1) or 0.5 s (run 2)
# after its window is seen.
map_busy() {
  start_on_lane_server "${longMapForm[@]}"
  local baseline phase=busy
  baseline=$(thread_count "$pid")
  DISPLAY=$xvfbDisplay wait_for_window Startpunkte 30
  sleep "0.$((run == 1 ? 1 : 5))"
  mapBusySeenMs=""
  sample_map_workers "$pid" "$baseline" || phase="pause: the scan had ended already"
  kill_lane_server
  log "Xvfb killed (SIG$(kill_signal)) during the map run ($phase)"
  check_end $(($(map_pause_from "$(map_opening_from)") + 10000))
}

# The server dies in the map's pause: as soon as the scan is seen to have
# ended (run 1), or 4 s after the earliest moment it can have ended (run 2).
# Nothing slower than a look at the program's threads stands between the
# scan's end and the kill: the pause lasts only 10 s.
map_pause() {
  start_on_lane_server "${mapForm[@]}"
  local baseline pauseFrom
  baseline=$(thread_count "$pid")
  DISPLAY=$xvfbDisplay wait_for_window Startpunkte 30
  wait_map_computed "$pid" "$baseline"
  pauseFrom=$(map_pause_from "$(map_opening_from)")
  sleep_until $((pauseFrom + (run == 1 ? 0 : 4000)))
  kill_lane_server
  log "Xvfb killed (SIG$(kill_signal)) $((killedAt - pauseFrom)) ms into the map's pause"
  check_end $((pauseFrom + 10000))
}

# The server dies while the map window's connection is opened, inside
# Xlib's opening of the display, where no handler of the window is set yet:
# a stand-in display passes the program's connections on to the lane's
# Xvfb and dies on the map window's right after the server's setup reply
# (run 1), or after two answers more (run 2, while Xlib asks its first
# questions). The map window is not shown then. Under load the real server
# now and then drops a connection before its setup reply, and the program
# tries again: the stand-in then dooms the next connection instead.
map_opening() {
  local answers=$(( run == 1 ? 0 : 2 )) keyAt said
  start_private_xvfb || fail "Xvfb did not start"
  # The map window's connection is the first after the stand-in is armed
  # (SIGUSR1) while the path run goes on, which only the key ends, however
  # many connections the path window's opening took.
  coproc standIn { exec "$dyingDisplay" "$(run_display | tr -d :)" "${xvfbDisplay#:}" 0 "$answers"; }
  # Bash closes a coproc's descriptors once it has reaped it, which may be
  # before its last line is read: the stand-in is read through a copy.
  local standInOut standInPid=$standIn_PID
  exec {standInOut}<&"${standIn[0]}"
  read -r -t 10 said <&"$standInOut" && [ "$said" = listening ] || fail "the stand-in display did not start"
  start_program "$(run_display)" "${keyedPathForm[@]}"
  DISPLAY=$xvfbDisplay wait_for_window Pendelweg 30
  kill -USR1 "$standInPid"
  keyAt=$(now_ms)
  tmux_ send-keys -t "$pane" k
  if ! read -r -t 60 said <&"$standInOut"; then
    # Its report of what the connections made after SIGUSR1 did.
    kill "$standInPid"
    read -r -t 5 said <&"$standInOut" || said="no report"
    fail "the stand-in display did not die: $said"
  fi
  exec {standInOut}<&-
  [[ "$said" == died* && "$said " != *" 1 "* ]] || fail "the map window was made before the server died ($said)"
  [ -z "$(DISPLAY=$xvfbDisplay window_id Startpunkte)" ] || fail "Startpunkte was shown"
  [[ "$said" != *"doomed first"* ]] || log "the stand-in: ${said%%;*}"
  kill_private_xvfb "$xvfbPid" KILL
  log "the server died $(( $(now_ms) - keyAt )) ms after the key, $answers answers after the map" \
    "window's setup reply (its requests:${said#*requests:})"
  check_end $((keyAt + 20000))
}

# The server is gone before the program starts: no window at all, both runs
# and both pauses all the same. In the first run a killed server's socket
# is still there (the connection is refused), in the second there never
# was a server.
no_server() {
  if [ "$run" -eq 1 ]; then
    start_private_xvfb "$(run_display)" || fail "Xvfb did not start"
    kill_private_xvfb "$xvfbPid" KILL
    [ -e "/tmp/.X11-unix/X${xvfbDisplay#:}" ] || fail "the killed server left no socket"
  fi
  start_program "$(run_display)" "${shortForm[@]}"
  log "started against $(run_display), whose server is gone"
  check_end $((started + 20000))
}

lane_body() {
  open_shell "lane$lane"
  pane="run:lane$lane"
  for run in $(seq "$runsPerLane"); do
    "${lanes[lane]//-/_}"
  done
}

firstDisplay=$(free_display_block $(( ${#lanes[@]} * runsPerLane )))
start_shell
lanePids=()
for lane in "${!lanes[@]}"; do
  ( unset DISPLAY; lane_body ) > "$work/lane$lane.log" 2>&1 &
  lanePids+=($!)
done
failed=0
for lane in "${!lanes[@]}"; do
  wait "${lanePids[lane]}" || failed=1
  cat "$work/lane$lane.log"
done
[ "$failed" -eq 0 ] || fail "a lane failed"
echo "fault_x11_server: passed"
