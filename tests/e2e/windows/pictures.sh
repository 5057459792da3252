#!/usr/bin/env bash
# Pictures of the Windows program under Wine (PNG through the Windows
# Imaging Component) against the Linux build's (libpng):
#  - `magpend.exe map` with the defaults is pixel for pixel `magpend map`,
#    and so is a shaded map of a region;
#  - a --grid 301 map made in three bands by magpend.exe and joined by
#    `magpend.exe merge` is pixel for pixel the Linux build's whole map, and
#    the Linux build joins the Windows bands too;
#  - `--save` into a folder that cannot be made says so at once, exit code 2;
#  - Ctrl+C in the console, the progress line showing, stops a long map
#    with exit code 130 and leaves no file.
# Usage: pictures.sh <path of magpend.exe> <build dir> <Linux build dir>
set -euo pipefail
source "$(dirname "$0")/../lib.bash"
take_windows_program "$@"
[ -n "${WINEPREFIX:-}" ] || fail "needs WINEPREFIX"
cd "$work"

# The same pixels, whatever wrote the files.
same_pixels() { [ "$(pngtopnm "$1" | "$probe" differ <(pngtopnm "$2"))" = 0 ]; }

wine "$exe" map -o windows.png
"$linux/magpend" map -o linux.png
same_pixels windows.png linux.png || fail "the Windows map differs from the Linux map"
[ "$(pngtopnm windows.png | "$probe" count 0000FF)" -gt 20000 ] || fail "the Windows map has no blue"
shaded=(map --grid 151 --region -40:20:-10:50 --shade)
wine "$exe" "${shaded[@]}" -o shaded-windows.png
"$linux/magpend" "${shaded[@]}" -o shaded-linux.png
same_pixels shaded-windows.png shaded-linux.png || fail "the Windows shaded map differs from the Linux one"

for rows in 0:100 100:250 250:301; do
  wine "$exe" map --grid 301 --rows "$rows" -o "band${rows%:*}.png"
done
wine "$exe" merge -o joined-windows.png band250.png band0.png band100.png
"$linux/magpend" merge -o joined-linux.png band0.png band100.png band250.png
"$linux/magpend" map --grid 301 -o whole.png
same_pixels joined-windows.png whole.png || fail "the bands joined by magpend.exe differ from the whole map"
same_pixels joined-linux.png whole.png || fail "the Windows bands joined on Linux differ from the whole map"

# A picture folder that cannot be made: named at once, exit code 2.
status=0
wine "$exe" --save 'C:\no\such\parent\dir' > save.out 2> save.err < /dev/null || status=$?
[ "$status" = 2 ] && [ "$(tr -d '\r' < save.err)" = 'magpend: cannot make the folder C:\no\such\parent\dir: No such file or directory' ] ||
  fail "--save into no folder: exit code $status, said: $(cat save.out save.err)"

# Ctrl+C during a long map in the console.
mkdir big
start_shell
tmux_ send-keys -t "$pane" "cd big; wine '$exe' map --grid 3000 -o map.png; echo \"exit code \$?\"" Enter
wait_for "magpend map: [0-9]+ of 3000 rows, +[0-9]+%, about .* left" 60
tmux_ send-keys -t "$pane" C-c
wait_for "^exit code 130$" 20
screen | grep -qx "magpend: stopped; no picture written *" || fail "no word of the stop"
[ -z "$(ls -A big)" ] || fail "Ctrl+C left $(ls big)"
echo "pictures: passed"
