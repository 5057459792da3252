#!/usr/bin/env bash
# Submits a poster map to a Slurm cluster: its bands as a job array, each
# task R rows of start points (`magpend map ... --rows A:B`), throttled to M
# tasks at once, and `magpend merge` of the bands as a job that starts once
# every task has succeeded (--dependency=afterok). The bands go into the
# folder FILE.bands beside the picture, on a file system that every node
# sees; the program must be at the same path on each.
#
#   scripts/slurm-map.sh [--rows-per-task R] [--tasks-at-once M]
#                        [--magpend PROGRAM] [--sbatch=OPTION]... -- MAP-OPTIONS...
#
# MAP-OPTIONS are those of `magpend map`, with --grid S or WxH and
# -o FILE.png (R is 100 by default, M 4). --sbatch passes an option on to
# both submissions. Prints the two job ids: "bands JOB" and "merge JOB".
set -euo pipefail
source "$(dirname "$0")/slurm.bash"

perTask=100
read_options --rows-per-task "$@"
mapOptions=("${commandOptions[@]}")

grid=$(option_value --grid "${mapOptions[@]}")
output=$(option_value -o "${mapOptions[@]}")
[[ "$grid" =~ ^[0-9]+(x[0-9]+)?$ ]] || refuse "the map's options need --grid S or WxH"
[[ "$output" == *.png ]] || refuse "the map's options need -o FILE.png"
rows=${grid#*x}

bands=${output%.png}.bands
mkdir -p "$bands"
map=$(printf '%q ' "$magpend" map "${mapOptions[@]}")
# Each band is named by its first row, six digits.
bandsJob=$(submit_array magpend-bands "$rows" "$perTask" "$tasksAtOnce" \
  "exec $map --rows \"\$first:\$end\" -o \"\$(printf '%s/%06d.png' $(printf '%q' "$bands") \"\$first\")\"")
mergeJob=$(submit_after magpend-merge "$bandsJob" \
  "exec $(printf '%q ' "$magpend" merge -o "$output") $(printf '%q' "$bands")/*.png")
echo "bands $bandsJob"
echo "merge $mergeJob"
