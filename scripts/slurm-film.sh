#!/usr/bin/env bash
# Submits a film to a Slurm cluster: its frames as a job array, each task a
# range of frames (`magpend film ... --frame-range A:B`), throttled to M
# tasks at once, and the video as a job that starts once every task has
# succeeded (--dependency=afterok). The frames folder must be on a file
# system that every node sees, the program at the same path on each, and
# ffmpeg on the node of the video's job.
#
#   scripts/slurm-film.sh [--frames-per-task K] [--tasks-at-once M]
#                         [--magpend PROGRAM] [--sbatch=OPTION]... -- FILM-OPTIONS...
#
# FILM-OPTIONS are those of `magpend film`, with --frames N (the script
# divides the N frames into tasks of K, 10 by default; M is 4 by default).
# --sbatch passes an option on to both submissions (--sbatch=--partition=big).
# Prints the two job ids: "frames JOB" and "video JOB".
set -euo pipefail
source "$(dirname "$0")/slurm.bash"

perTask=10
read_options --frames-per-task "$@"
filmOptions=("${commandOptions[@]}")

frames=$(option_value --frames "${filmOptions[@]}")
[[ "$frames" =~ ^[1-9][0-9]*$ ]] || refuse "the film's options need --frames N"
# The film's values are checked once here, not by every task.
"$magpend" film "${filmOptions[@]}" --print-frame 0 > /dev/null

film=$(printf '%q ' "$magpend" film "${filmOptions[@]}")
framesJob=$(submit_array magpend-frames "$frames" "$perTask" "$tasksAtOnce" \
  "exec $film --frame-range \"\$first:\$end\"")
videoJob=$(submit_after magpend-video "$framesJob" "exec $film --encode")
echo "frames $framesJob"
echo "video $videoJob"
