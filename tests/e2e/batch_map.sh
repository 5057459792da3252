#!/usr/bin/env bash
# Maps made without the form, and the installed program:
#  - `magpend map` with the defaults equals a screenshot of the map window's
#    final picture pixel for pixel, and `--grid 111` its start points square
#    by square;
#  - bands made by GNU parallel (the README's way) and joined by
#    `magpend merge` equal the whole map;
#  - the default region is the plain grid; a region whose points are those
#    of a block of a larger grid is that block; bands of a region join, and
#    not with another region's; --shade darkens only what a magnet caught;
#  - the form's magnets written out give the default pictures byte for
#    byte, and a pendulum kept by --print-config the same map from its file;
#  - wrong values end with exit code 2, a message and no file, and so do
#    results for explore --known that are not whole or not results;
#  - Ctrl+C during a long map, its progress line showing, leaves no file;
#  - `cmake --install` gives a program that runs and a manual page that
#    `man -l` shows, and the Debian package names the libraries it needs.
# Usage: batch_map.sh <path of magpend> <build dir>
set -euo pipefail
source "$(dirname "$0")/lib.bash"
take_program_and_build "$@"
use_private_display

# The map window of a default map (the path is caught in its first step).
start_shell
tmux_ send-keys -t "$pane" "'$binary'; echo \"exit code \$?\"" Enter
fill_form "30.3" "30" "" "" "" ""
wait_for_window Startpunkte 20
window=$(window_id Startpunkte)
wait_window_still "$window"
screenshot "$window" "$work/window.ppm"

"$binary" map -o "$work/map.png"
pngtopnm "$work/map.png" > "$work/map.ppm"
[ "$("$probe" differ "$work/map.ppm" < "$work/window.ppm")" = 0 ] ||
  fail "the batch map differs from the map window's picture"
"$binary" map --grid 111 -o "$work/grid111.png"
pngtopnm "$work/grid111.png" > "$work/grid111.ppm"
read -r mismatches squares <<< "$("$probe" squares "$work/grid111.ppm" < "$work/window.ppm")"
[ "$mismatches" = 0 ] && [ "$squares" -gt 12200 ] ||
  fail "--grid 111 differs in $mismatches of $squares squares of the window"
wait_for "^exit code 0$" 20

# Four bands side by side, joined in any order.
seq 0 10 30 | parallel "$binary" map --grid 40 --n 300 --rows {}:'$(({}+10))' -o "$work/band{}.png"
"$binary" merge -o "$work/joined.png" "$work"/band*.png
"$binary" map --grid 40 --n 300 -o "$work/whole.png"
pngtopnm "$work/joined.png" > "$work/joined.ppm"
[ "$(pngtopnm "$work/whole.png" | "$probe" differ "$work/joined.ppm")" = 0 ] ||
  fail "the joined bands differ from the whole map"
[ "$(pngtopnm "$work/whole.png" | "$probe" count 0000FF)" -gt 100 ] || fail "the map has no blue"
"$binary" merge -o "$work/partial.png" "$work/band0.png" "$work/band20.png" 2> "$work/merge.err" && fail "a gap was joined"
grep -q "picture rows 0-10 (from the top) are in no band" "$work/merge.err" || fail "merge said: $(cat "$work/merge.err")"

# Regions. Columns and rows 8 to 24 of a 41 x 41 grid lie at -66 + 5.5 i and
# 5.5 j, exactly the points of a 17 x 17 grid over -66:22:0:88.
"$binary" map --grid 40 --n 300 --region -110:110:-110:110 -o "$work/region.png"
[ "$(pngtopnm "$work/region.png" | "$probe" differ "$work/joined.ppm")" = 0 ] || fail "the default region differs from the grid"
"$binary" map --grid 41 --n 300 -o "$work/grid41.png"
pngtopnm "$work/grid41.png" | pamcut -left 8 -top 4 -width 17 -height 17 > "$work/block.ppm"
seq 0 9 9 | parallel "$binary" map --grid 17 --n 300 --region -66:22:0:88 --rows {}:'$(({}==0 ? 9 : 17))' -o "$work/regionband{}.png"
"$binary" merge -o "$work/regionjoined.png" "$work"/regionband*.png
[ "$(pngtopnm "$work/regionjoined.png" | "$probe" differ "$work/block.ppm")" = 0 ] ||
  fail "the joined bands of a region differ from the block of the larger grid"
"$binary" map --grid 17 --n 300 --rows 9:17 -o "$work/defaultband9.png"
"$binary" merge -o "$work/mixed.png" "$work/regionband0.png" "$work/defaultband9.png" 2> "$work/merge.err" &&
  fail "bands of two regions were joined"
grep -q "are bands of different maps" "$work/merge.err" || fail "merge said: $(cat "$work/merge.err")"
"$binary" map --grid 41 --n 300 --shade -o "$work/shaded.png"
pngtopnm "$work/shaded.png" > "$work/shaded.ppm"
[ "$(pngtopnm "$work/grid41.png" | "$probe" differ-painted "$work/shaded.ppm")" -gt 100 ] || fail "--shade darkened nothing"
[ "$("$probe" count F0F0F0 < "$work/shaded.ppm")" = "$(pngtopnm "$work/grid41.png" | "$probe" count F0F0F0)" ] ||
  fail "--shade changed which points no magnet caught"

# The pendulum's options: the form's three magnets written out are the
# default map byte for byte (window and grid); a pendulum of the user's
# kept with --print-config draws the same map from its file.
"$binary" map --magnets "-42.42640687119285,0;30,30;30,-30" --height 0 --friction 0 --capture 9 -o "$work/spelled.png"
cmp -s "$work/spelled.png" "$work/map.png" || fail "the form's magnets written out changed the window's picture"
"$binary" map --magnets=-42.42640687119285,0\;30,30\;30,-30 --grid 40 --n 300 -o "$work/spelled40.png"
cmp -s "$work/spelled40.png" "$work/whole.png" || fail "the form's magnets written out changed the grid's picture"
own=(--magnets 4@40 --height 5 --friction 0.02 --capture 6 --grid 40 --n 300 --markers)
"$binary" map "${own[@]}" --print-config > "$work/own.toml"
"$binary" map "${own[@]}" -o "$work/own.png"
"$binary" map --config "$work/own.toml" -o "$work/ownconfig.png"
cmp -s "$work/own.png" "$work/ownconfig.png" || fail "the configuration file draws another map: $(cat "$work/own.toml")"
cmp -s "$work/own.png" "$work/whole.png" && fail "the pendulum's options changed nothing"

# Wrong values: exit code 2, one line naming the mistake, no file.
leftovers=("$work/wrong.png")
check_refusals "$binary" map -o "$work/wrong.png" <<'EOF'
--g -1|--g must be above 0, not '-1'
--m 0|--m must be above 0
--n abc|--n needs a number, not 'abc'
--grid 8193|--grid must be S or WxH, whole numbers from 2 to 8192
--grid 20 --rows 10:21|--rows must be A:B with 0 <= A < B <= 20
--depth 3|unknown option '--depth'
--grid|--grid needs a value
--grid 20 --region 0:1:1:0|--region must be X0:X1:Y0:Y1, four finite numbers with X0 < X1 and Y0 < Y1
--region 0:1:0:1|--region needs --grid
--shade|--shade needs --grid
--magnets 1,1;2,2;3,3;4,4;5,5;6,6;7,7;8,8;9,9|--magnets at most 8 magnets, not 9
--magnets 1,2;3|--magnets must be "X,Y[,S];X,Y[,S];..."
--magnets nan,0|--magnets must be
--magnets 5,5;5,5|--magnets: magnet 2 lies where magnet 1 lies
--friction -0.5|--friction must be a finite number at least 0
--config /nonexistent/mine.toml|--config: cannot read '/nonexistent/mine.toml'
--config /etc/passwd|--config: '/etc/passwd' names no option of map
EOF

# Results kept by map --results: a file that is not whole, not one of
# results, or missing ends the explorer before its window, with exit code 2.
"$binary" map --grid 20 --n 300 -o "$work/kept.png" --results "$work/kept.results"
head -c -1 "$work/kept.results" > "$work/cut.results"
leftovers=()
check_refusals "$binary" explore <<EOF
--known $work/cut.results|cut.results: holds 399 results where its grid has 400 (cut short?)
--known $work/kept.png|kept.png: not a file of trial results (magpend map --results writes them)
--known $work/none.results|none.results: cannot be read
EOF

# A picture that could not be written is said before the computation.
status=0
timeout 5 "$binary" map --grid 8192 -o "$work/missing/map.png" 2> "$work/missing.err" || status=$?
[ "$status" = 1 ] && grep -q "cannot write $work/missing/map.png: No such file or directory" "$work/missing.err" ||
  fail "an output into a missing folder: exit code $status, $(cat "$work/missing.err")"

# Ctrl+C while a long map is computed: the progress line on the terminal,
# then a clean stop with no file, not even a temporary one.
mkdir "$work/big"
tmux_ send-keys -t "$pane" "clear; '$binary' map --grid 4000 -o '$work/big/map.png'; echo \"exit code \$?\"" Enter
wait_for "magpend map: [0-9]+ of 4000 rows, +[0-9]+%, about .* left" 30
tmux_ send-keys -t "$pane" C-c
wait_for "^exit code 130$" 10
[ -z "$(ls -A "$work/big")" ] || fail "Ctrl+C left $(ls "$work/big")"
screen | grep -qx "magpend: stopped; no picture written *" || fail "no word of the stop"

# Installed: the program, its manual page, and the Debian package.
cmake --install "$build" --prefix "$work/prefix" >/dev/null
"$work/prefix/bin/magpend" --version | grep -qx "magpend [0-9.]*" || fail "the installed program"
MANWIDTH=80 man -l "$work/prefix/share/man/man1/magpend.1" 2>/dev/null > "$work/manual.txt"
for words in "magpend map" "Pendelkoeffizient g" "--save DIR" "EXACT ARITHMETIC" "parallel"; do
  grep -qF -- "$words" "$work/manual.txt" || fail "the manual page lacks $words"
done
cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >/dev/null 2>&1
package=$(ls "$work/package"/magpend_*.deb)
depends=$(dpkg-deb -f "$package" Depends)
for library in libc6 libstdc++6 libx11-6 libpng16-16; do
  grep -q "$library" <<< "$depends" || fail "the package does not depend on $library: $depends"
done
dpkg-deb -x "$package" "$work/unpacked"
"$work/unpacked/usr/bin/magpend" --version | grep -qx "magpend [0-9.]*" || fail "the packaged program"
[ -f "$work/unpacked/usr/share/man/man1/magpend.1" ] || fail "the package has no manual page"
echo "batch_map: passed"
