# What slurm-film.sh and slurm-map.sh share: their options, and a big job
# as a Slurm job array of ranges (frames, rows) and a job that joins them
# once every task has succeeded.

refuse() {
  echo "$(basename "$0"): $*" >&2
  exit 2
}

# read_options PER-TASK-OPTION ARGUMENTS...: the script's own options, then
# -- and magpend's. Sets perTask (the caller's default stays unless
# PER-TASK-OPTION is given), tasksAtOnce (4), magpend (magpend on the
# PATH), the array sbatchOptions and the array commandOptions (magpend's).
read_options() {
  local perTaskOption=$1
  shift
  tasksAtOnce=4
  magpend=magpend
  sbatchOptions=()
  while [ $# -gt 0 ]; do
    case "$1" in
      "$perTaskOption") perTask=$2; shift 2 ;;
      --tasks-at-once) tasksAtOnce=$2; shift 2 ;;
      --magpend) magpend=$2; shift 2 ;;
      --sbatch=*) sbatchOptions+=("${1#--sbatch=}"); shift ;;
      --) shift; break ;;
      *) refuse "unknown option '$1' (magpend's options follow --)" ;;
    esac
  done
  [[ "$perTask" =~ ^[1-9][0-9]*$ && "$tasksAtOnce" =~ ^[1-9][0-9]*$ ]] ||
    refuse "$perTaskOption and --tasks-at-once take whole numbers above 0"
  commandOptions=("$@")
}

# option_value NAME ARGUMENTS...: the value of the last NAME VALUE or
# NAME=VALUE among the arguments (the last one counts, as in magpend).
option_value() {
  local name=$1 value=
  shift
  while [ $# -gt 0 ]; do
    case "$1" in
      "$name") value=${2:-} ;;
      "$name"=*) value=${1#"$name"=} ;;
    esac
    shift
  done
  echo "$value"
}

# submit_array NAME COUNT PER-TASK AT-ONCE COMMAND: a job array whose task
# i runs COMMAND with $first and $end set to its range, items i * PER-TASK
# up to (not including) the next task's first or COUNT; at most AT-ONCE
# tasks at a time. Prints the job's id.
submit_array() {
  local tasks=$((($2 + $3 - 1) / $3)) job
  job=$(sbatch --parsable --job-name="$1" --array="0-$((tasks - 1))%$4" "${sbatchOptions[@]}" <<EOF
#!/usr/bin/env bash
first=\$((SLURM_ARRAY_TASK_ID * $3))
end=\$((first + $3 < $2 ? first + $3 : $2))
$5
EOF
  )
  echo "${job%%;*}"
}

# submit_after NAME JOB COMMAND: a job that runs COMMAND once every task of
# JOB has succeeded. Prints its id.
submit_after() {
  local job
  job=$(sbatch --parsable --job-name="$1" --dependency="afterok:$2" "${sbatchOptions[@]}" <<EOF
#!/usr/bin/env bash
$3
EOF
  )
  echo "${job%%;*}"
}
