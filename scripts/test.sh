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
# The builds follow one another, and the tests of each build run beside the
# next build; end-to-end scripts run side by side, each with X servers of its
# own. A lane's output is printed when it has ended.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

mode=${1:-all}
case "$mode" in
  all | quick) ;;
  *) echo "usage: scripts/test.sh [quick]" >&2; exit 2 ;;
esac

ensure_packages "${buildPackages[@]}" "${testPackages[@]}" tmux xvfb xdotool x11-utils x11-apps netpbm openbox wmctrl \
  clang libclang-rt-14-dev

# A private X server for the in-process window tests.
start_private_xvfb

# Any sanitizer report fails the test that caused it.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Xlib unlocks a mutex it never locked when a dead server's exit handler
# returns; that one report is suppressed, data races are not.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/graphics/tsan.supp"

# build folder [cmake options...] [-- targets...]: configures and builds;
# with targets, only those.
build() {
  local folder=$1 options=() targets=()
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  targets=("$@")
  cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
  cmake --build "$folder" -j "$(nproc)" ${targets[@]:+--target "${targets[@]}"}
}

# As build, at a lower priority: the tests of the builds before it run beside.
build_behind() { ( renice -n 10 -p "$BASHPID" >/dev/null; build "$@" ); }

# tests folder [ctest options...]
tests() {
  local folder=$1
  shift
  ctest --test-dir "$folder" --output-on-failure --timeout 900 "$@"
}

if [ "$mode" = quick ]; then
  build build
  tests build -LE e2e -j "$(nproc)"
  exit 0
fi

logs=$(mktemp -d)
declare -A lanePids=()
# lane name command...: runs the command in the background, its output in
# the lane's log.
lane() {
  local name=$1
  shift
  ( "$@" ) > "$logs/$name.log" 2>&1 &
  lanePids[$name]=$!
  echo "=== $name: started at $SECONDS s"
}

normalLane() {
  tests build -LE e2e -j 2
  tests build -L e2e -j 4
}
addressLane() {
  tests build-address -LE e2e -j 2
  tests build-address -L fault -j 3
}
threadLane() {
  tests build-thread -L threaded -j 4
}
softwareRealLane() {
  tests build-software -LE e2e -j 2
}

echo "=== normal build"
build build
lane normal normalLane
echo "=== ASan + UBSan build"
build_behind build-address -DMAGPEND_SANITIZE=address -- tests_without_benchmarks
lane address addressLane
echo "=== TSan build"
build_behind build-thread -DMAGPEND_SANITIZE=thread -- threaded_tests
lane thread threadLane
lane fuzzing scripts/fuzz.sh 10
echo "=== software Real build"
build_behind build-software -DMAGPEND_SOFTWARE_REAL=ON -- tests_without_benchmarks
lane software softwareRealLane

failed=()
for name in normal address thread fuzzing software; do
  status=0
  wait "${lanePids[$name]}" || status=$?
  echo "=== $name: ended at $SECONDS s, exit status $status"
  if [ "$status" -ne 0 ]; then
    failed+=("$name")
    cat "$logs/$name.log"
  else
    grep -E "tests passed|executions" "$logs/$name.log" || true
  fi
done
rm -rf "$logs"
if [ ${#failed[@]} -gt 0 ]; then
  echo "=== failed: ${failed[*]}"
  exit 1
fi
echo "=== all passed in $SECONDS s"
