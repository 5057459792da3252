#!/usr/bin/env bash
# Builds magpend and runs every test three times: in a normal build, an
# ASan+UBSan build (leak checking on) and a TSan build. Each run covers the
# unit and in-process tests and the end-to-end tests of the real binary in
# tmux under a private Xvfb display. Then a short bounded fuzzing pass.
# Usage: scripts/test.sh [normal|address|thread ...]   (default: all three)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${buildPackages[@]}" "${testPackages[@]}" tmux xvfb xdotool x11-utils x11-apps netpbm \
  clang libclang-rt-14-dev

# A private X server for the window tests.
start_private_xvfb

# Any sanitizer report fails the test that caused it.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Xlib unlocks a mutex it never locked when a dead server's exit handler
# returns; that one report is suppressed, data races are not.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/graphics/tsan.supp"

run_suite() {
  local kind=$1 folder=build
  [ "$kind" != normal ] && folder="build-$kind"
  echo "=== $kind build ($folder)"
  if [ "$kind" = normal ]; then
    configure_and_build "$folder"
  else
    configure_and_build "$folder" -DMAGPEND_SANITIZE="$kind"
  fi
  ctest --test-dir "$folder" --output-on-failure -j 2
}

kinds=("$@")
[ ${#kinds[@]} -eq 0 ] && kinds=(normal address thread)
for kind in "${kinds[@]}"; do run_suite "$kind"; done

echo "=== fuzzing, 10 s per target"
scripts/fuzz.sh 10
