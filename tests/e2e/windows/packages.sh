#!/usr/bin/env bash
# The Windows packages that CPack makes of the build: the zip holds
# magpend.exe, README.txt and LICENSE.txt in one folder; the installer, run
# silently (/S) under Wine, puts magpend.exe into Program Files, where it
# answers --version and --help (in Windows' words), and a Start-menu entry
# beside its uninstaller, which, run silently, takes all of it away again.
# Usage: packages.sh <path of magpend.exe> <build dir> <Linux build dir>
set -euo pipefail
build=$(realpath "$2")
socket="magpend-windows-packages-$$"
source "$(dirname "$0")/../lib.bash"
[ -n "${WINEPREFIX:-}" ] || fail "needs WINEPREFIX"

cpack -G "ZIP;NSIS" -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  fail "cpack: $(tail -5 "$work/cpack.log")"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
name="magpend-$version-win64"
[ -f "$work/$name.zip" ] && [ -f "$work/$name.exe" ] || fail "no $name.zip and $name.exe: $(ls "$work")"
listing=$(cd "$work" && cmake -E tar tf "$name.zip" | sort | tr '\n' ' ')
[ "$listing" = "$name/LICENSE.txt $name/README.txt $name/magpend.exe " ] || fail "the zip holds $listing"

installed="$WINEPREFIX/drive_c/Program Files/magpend"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/magpend $version"
wine "$work/$name.exe" /S
[ -f "$installed/magpend.exe" ] && [ -f "$installed/README.txt" ] && [ -f "$installed/LICENSE.txt" ] ||
  fail "installed: $(ls "$installed" 2>&1)"
[ -f "$menu/magpend.lnk" ] || fail "no Start-menu entry: $(ls "$menu" 2>&1)"
answer=$(wine 'C:\Program Files\magpend\magpend.exe' --version | tr -d '\r')
[ "$answer" = "magpend $version" ] || fail "the installed magpend.exe says '$answer'"
# Its help in Windows' words.
help=$(wine 'C:\Program Files\magpend\magpend.exe' --help | tr -d '\r')
for words in "six values in the console" "Ctrl+Break ends the program" "1 no console for the form" \
             "More: README.txt beside magpend.exe."; do
  grep -qF -- "$words" <<< "$help" || fail "the help lacks '$words'"
done
! grep -qE "terminal|man magpend|Ctrl\+\\\\" <<< "$help" || fail "the help speaks of Linux: $(grep -E "terminal|man magpend" <<< "$help")"

# The uninstaller copies itself away and works from there: its files go a
# moment after it returns.
wine 'C:\Program Files\magpend\Uninstall.exe' /S
gone() { [ ! -e "$installed" ] && [ ! -e "$menu" ]; }
poll_until 30 gone || fail "the uninstaller left $(ls "$installed" "$menu" 2>&1)"
echo "packages: $name.zip and $name.exe; installed, answered and uninstalled under Wine"
echo "packages: passed"
