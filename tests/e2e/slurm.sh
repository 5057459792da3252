#!/usr/bin/env bash
# A film and a poster map on a real one-node Slurm cluster, started here:
# munged as the munge user on a socket of its own, then slurmctld and slurmd
# on localhost with a slurm.conf of the test's own (private ports, state,
# spool and logs). scripts/slurm-film.sh submits the film's frames as a job
# array and its video as a job that depends on it, scripts/slurm-map.sh the
# map's bands and their merge; the frames and the merged map must be byte
# for byte those of the same commands run here directly. The cluster is
# stopped by the pids of its daemons. Needs root (the daemons) and installs
# Debian's slurm-wlm, munge and ffmpeg when they are missing.
# Usage: slurm.sh <path of magpend> <build dir>
set -euo pipefail
binary=$(realpath "$1")
root=$(realpath "$(dirname "$0")/../..")
socket="magpend-slurm-$$"
source "$(dirname "$0")/lib.bash"
source "$root/scripts/packages.sh"
[ "$(id -u)" = 0 ] || fail "the Slurm test starts the cluster's daemons, which needs root"
ensure_packages --lean slurm-wlm munge ffmpeg
started=$SECONDS

# The daemons, stopped by their pids on every way out.
daemons=()
stop_cluster() {
  local pid
  for pid in "${daemons[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${daemons[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap 'stop_cluster; cleanup' EXIT
cluster_logs() {
  for log in "$work"/log/* "$work"/cluster/slurm-*.out; do
    [ -f "$log" ] && { echo "--- $log"; tail -20 "$log"; }
  done
}

# Two free ports next to each other.
port_taken() { (echo > "/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
port=$((20000 + $$ % 20000))
while port_taken "$port" || port_taken $((port + 1)); do port=$((port + 2)); done

# munged: its folder must be reachable by the munge user and by no one else.
chmod 755 "$work"
mkdir -p "$work/munge" "$work/state" "$work/spool" "$work/log" "$work/cluster" "$work/direct"
chown munge:munge "$work/munge"
chmod 711 "$work/munge"
setpriv --reuid munge --regid munge --init-groups /usr/sbin/munged --foreground \
  --socket="$work/munge/socket" --pid-file="$work/munge/pid" --seed-file="$work/munge/seed" \
  --log-file="$work/munge/log" --key-file=/etc/munge/munge.key 2> "$work/log/munged.err" &
daemons+=($!)
munge_answers() { munge -S "$work/munge/socket" -n 2>/dev/null | unmunge -S "$work/munge/socket" > /dev/null 2>&1; }
poll_until 30 munge_answers || { cat "$work/log/munged.err"; fail "munged did not answer"; }

node=$(hostname -s)
export SLURM_CONF="$work/slurm.conf"
cat > "$SLURM_CONF" <<EOF
ClusterName=magpendtest
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge/socket
CredType=cred/munge
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
ReturnToService=2
NodeName=$node NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=magpend Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
slurmctld -D -f "$SLURM_CONF" 2> "$work/log/slurmctld.err" &
daemons+=($!)
slurmd -D -f "$SLURM_CONF" 2> "$work/log/slurmd.err" &
daemons+=($!)
node_idle() { [ "$(sinfo -h -o %T 2>/dev/null)" = idle ]; }
poll_until 60 node_idle || { cluster_logs; fail "the node did not become idle: $(sinfo 2>&1)"; }

# Waits for job $1 to end; it must have completed.
job_state() { scontrol show job -o "$1" 2>/dev/null | grep -o 'JobState=[A-Z_]*' | head -1 | cut -d= -f2; }
job_ended() {
  local state
  state=$(job_state "$1")
  scontrol show job -o "$1" 2>/dev/null | grep -q 'Reason=DependencyNeverSatisfied' && return 0
  [ -n "$state" ] && [ "$state" != PENDING ] && [ "$state" != RUNNING ] && [ "$state" != CONFIGURING ] &&
    [ "$state" != COMPLETING ]
}
wait_for_job() {
  poll_until 150 job_ended "$1" || { cluster_logs; fail "job $1 did not end"; }
  [ "$(job_state "$1")" = COMPLETED ] || { cluster_logs; fail "job $1 ended $(scontrol show job -o "$1")"; }
}

film=(--size 64x36 --frames 6 --n 200 --from 0:0:220 --to 28:2:10)
map=(--grid 48x30 --n 200 --region -60:60:-40:35)
cd "$work/cluster"
"$root/scripts/slurm-film.sh" --magpend "$binary" --frames-per-task 2 --tasks-at-once 2 -- \
  -o zoom.mp4 "${film[@]}" > film.jobs
"$root/scripts/slurm-map.sh" --magpend "$binary" --rows-per-task 8 --tasks-at-once 3 -- \
  "${map[@]}" -o poster.png > map.jobs
grep -qE '^frames [0-9]+$' film.jobs && grep -qE '^bands [0-9]+$' map.jobs || fail "the scripts said $(cat ./*.jobs)"
wait_for_job "$(sed -n 's/^video //p' film.jobs)"
wait_for_job "$(sed -n 's/^merge //p' map.jobs)"

# The same commands on this machine.
cd "$work/direct"
"$binary" film -o zoom.mp4 "${film[@]}"
"$binary" map "${map[@]}" -o poster.png
for file in zoom.frames/film.txt zoom.frames/00000{0,1,2,3,4,5}.png poster.png; do
  cmp -s "$file" "$work/cluster/$file" || fail "the cluster's $file differs from the one made directly"
done
[ "$(ls "$work/cluster/zoom.frames" | wc -l)" = 7 ] || fail "the cluster made $(ls "$work/cluster/zoom.frames")"
[ "$(ls "$work/cluster/poster.bands")" = "$(printf '%06d.png\n' 0 8 16 24)" ] ||
  fail "the bands are $(ls "$work/cluster/poster.bands")"
stream=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=codec_name,width,height,nb_read_frames \
  -of csv=p=0 "$work/cluster/zoom.mp4")
[ "$stream" = "h264,64,36,6" ] || fail "the cluster's video is $stream"
echo "slurm: passed in $((SECONDS - started)) s"
