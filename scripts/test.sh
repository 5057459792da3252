#!/usr/bin/env bash
# Builds magpend and runs its tests.
#
#   scripts/test.sh          everything, as CI runs it
#   scripts/test.sh quick    the normal build's unit and in-process tests only,
#                            for the edit-test loop
#
# Everything is:
#   normal build     unit and in-process tests; every end-to-end script of
#                    the real binary (tmux, private Xvfb displays, openbox)
#   ASan + UBSan     unit and in-process tests (leak checking on); the fault
#                    scripts again
#   TSan             the threaded in-process tests (graphics, console, runs)
#                    and the X fault script that closes windows from outside
#   fuzzing          a short pass over every fuzz target
#   software Real    the build whose Real is the software extended type:
#                    unit and in-process tests (the model's golden values,
#                    the map digests, the pictures), and the short round of
#                    the exactness test against the x87
# The builds (presets of CMakePresets.json) follow one another, and the tests
# of each build run beside the next build, as lanes that GNU parallel starts
# as each build ends; end-to-end scripts run side by side, each with X
# servers of its own. A lane's output is printed when it has ended: in full
# when it failed, else its summary.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
source scripts/xvfb.bash

mode=${1:-all}
case "$mode" in
  all | quick) ;;
  *) echo "usage: scripts/test.sh [quick]" >&2; exit 2 ;;
esac

ensure_packages "${buildPackages[@]}" "${testPackages[@]}" tmux xvfb xdotool x11-utils x11-apps netpbm openbox wmctrl \
  clang libclang-rt-14-dev

# A private X server for the in-process window tests.
start_private_xvfb
export DISPLAY=$xvfbDisplay
trap stop_private_xvfbs EXIT

# Any sanitizer report fails the test that caused it.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Xlib unlocks a mutex it never locked when a dead server's exit handler
# returns; that one report is suppressed, data races are not.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/graphics/tsan.supp"

# build preset [niceness]: configures and builds it (what its build preset
# names).
build() {
  cmake --preset "$1" >/dev/null
  nice -n "${2:-0}" cmake --build --preset "$1" -j "$(nproc)"
}

if [ "$mode" = quick ]; then
  build normal
  ctest --preset normal -j "$(nproc)"
  exit 0
fi

# lane name command...: runs the command and prints its summary, or all of
# its output when it failed.
lane() {
  local name=$1 log status=0 started=$SECONDS
  shift
  log=$(mktemp)
  "$@" >"$log" 2>&1 || status=$?
  echo "=== $name: ended after $((SECONDS - started)) s, exit status $status"
  if [ "$status" -ne 0 ]; then cat "$log"; else grep -E "tests passed|executions" "$log" || true; fi
  rm -f "$log"
  return "$status"
}
normalLane() { ctest --preset normal -j 2 && ctest --preset normal-e2e -j 4; }
addressLane() { ctest --preset address -j 2 && ctest --preset address-fault -j 3; }
threadLane() { ctest --preset thread -j 4; }
softwareLane() { ctest --preset software -j 2; }
export -f lane normalLane addressLane threadLane softwareLane

# Each build prints the lane of its tests, which starts at once; the builds
# after the first run at a lower priority, beside the tests before them.
{
  echo "=== normal build" >&2
  build normal >&2
  echo "lane normal normalLane"
  echo "=== ASan + UBSan build" >&2
  build address 10 >&2
  echo "lane address addressLane"
  echo "=== TSan build" >&2
  build thread 10 >&2
  echo "lane thread threadLane"
  echo "lane fuzzing scripts/fuzz.sh 10"
  echo "=== software Real build" >&2
  build software 10 >&2
  echo "lane software softwareLane"
} | PARALLEL_SHELL=bash parallel --will-cite --jobs 4 --group --halt never || {
  echo "=== failed after $SECONDS s"
  exit 1
}
echo "=== all passed in $SECONDS s"
