# Private X servers (Xvfb) for the scripts and the end-to-end tests.
#
# start_private_xvfb [:N] [Xvfb options...] starts an Xvfb on display :N, or
# without :N on a free display number the server picks itself, waits until
# it answers and sets `xvfbPid` and `xvfbDisplay` (":N"); status 1 when it
# did not start. Every server started is noted in a file, so that
# stop_private_xvfbs ends them all, also those started in subshells.
xvfbPidFile=$(mktemp /tmp/magpend-xvfb.XXXXXX)

start_private_xvfb() {
  local display="" numberFile number
  case "${1:-}" in :*) display=$1; shift ;; esac
  numberFile=$(mktemp /tmp/magpend-xvfb-display.XXXXXX)
  if [ -n "$display" ]; then
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp "$@" >/dev/null 2>&1 &
  else
    Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp "$@" 7>"$numberFile" >/dev/null 2>&1 &
  fi
  xvfbPid=$!
  disown "$xvfbPid"  # ended on purpose: no job report
  echo "$xvfbPid" >> "$xvfbPidFile"
  for _ in $(seq 100); do
    [ -n "$display" ] || { read -r number < "$numberFile" && display=:$number; } || true
    if [ -n "$display" ] && DISPLAY=$display xdpyinfo >/dev/null 2>&1; then
      rm -f "$numberFile"
      xvfbDisplay=$display
      return 0
    fi
    kill -0 "$xvfbPid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$numberFile"
  echo "Xvfb did not start${display:+ on $display}" >&2
  return 1
}

# Ends every private Xvfb started here, and forgets them.
stop_private_xvfbs() {
  local pid
  [ -f "$xvfbPidFile" ] || return 0
  while read -r pid; do kill -TERM "$pid" 2>/dev/null || true; done < "$xvfbPidFile"
  sleep 0.2
  while read -r pid; do kill -KILL "$pid" 2>/dev/null || true; done < "$xvfbPidFile"
  rm -f "$xvfbPidFile"
}
