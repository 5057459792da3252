#!/usr/bin/env bash
# The Windows lane: cross-builds magpend.exe and its test programs
# (build-windows/), builds the Linux program to compare with (build/, the
# normal build), and runs under Wine, in a Wine prefix of this run's
# own (removed at the end) and on a private Xvfb display: the unit and
# in-process tests (one CTest test per test program) and the end-to-end
# scripts of tests/e2e/windows/ (magpend.exe in tmux beside the Linux build).
# Usage: scripts/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
source scripts/packages.sh
source scripts/xvfb.bash
ensure_packages "${buildPackages[@]}" "${windowsBuildPackages[@]}" \
  tmux xvfb xdotool x11-utils x11-apps netpbm nsis

echo "=== Linux build to compare with (build)"
cmake --preset normal >/dev/null
cmake --build --preset normal -j "$(nproc)" --target magpend image_probe model_probe close_window window_place

echo "=== Windows build (build-windows)"
scripts/build-windows.sh
x86_64-w64-mingw32-objdump -p build-windows/magpend.exe | awk '/DLL Name/ {print "magpend.exe imports " $3}'

# A private X server, and a Wine prefix of this run's own; both go at the end,
# with the prefix's wineserver and every Wine process it serves.
start_private_xvfb
export DISPLAY=$xvfbDisplay WINEPREFIX WINEDEBUG=-all
WINEPREFIX=$(mktemp -d /tmp/magpend-wine.XXXXXX)
finish() {
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  stop_private_xvfbs
}
trap finish EXIT
echo "=== Wine prefix $WINEPREFIX"
# Its server stays for the whole run (ended by finish), and its first start
# sets the prefix up; the output goes to a file, as Wine's background
# processes keep any pipe open.
wineserver --persistent
wineboot --init >"$WINEPREFIX.boot.log" 2>&1 || { cat "$WINEPREFIX.boot.log"; exit 1; }
# No window manager runs on the display: Wine is told so and draws the
# frames itself (a managed window would wait 2 s for a window manager at
# every close). A program that crashes just ends: no debugger is started,
# which would hold the test's output open.
{
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f
} >>"$WINEPREFIX.boot.log" 2>&1 || { cat "$WINEPREFIX.boot.log"; exit 1; }
rm -f "$WINEPREFIX.boot.log"

ctest --preset windows
# The end-to-end scripts say what they measured (durations, pictures compared).
ctest --preset windows-e2e
echo "=== Windows lane took $(( $(date +%s) - started )) s"
