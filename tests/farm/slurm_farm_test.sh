#!/usr/bin/env bash
# A 24-frame sequence through scripts/velmora-slurm on a one-node Slurm cluster that this test
# starts in a temporary folder: the frames must match, pixel for pixel and attribute for attribute
# (all but the command history), the same sequence rendered by one velmora process; then again
# with one array task cancelled mid-render and the job submitted a second time with
# --skip-existing. The daemons are stopped by their pid files
# however the test ends. Exit 77 (skip) when they cannot start.
#
# usage: slurm_farm_test.sh VELMORA VELMORA_SLURM
set -uo pipefail

velmora=$1 farm=$2
frames=1-24 chunk=5 cancelled_task=2  # task 2 renders frames 11-15
render_flags=(--radius 40 --intensity 1.5)

work=$(mktemp -d /tmp/velmora-slurm-test.XXXXXX)
cluster=$work/cluster
export SLURM_CONF=$cluster/slurm.conf

say() { echo "slurm_farm_test: $*" >&2; }
show_logs() {
  for log in "$cluster"/log/* "$work"/logs/*; do
    [[ -f $log ]] && { echo "--- $log" >&2; tail -n 15 "$log" >&2; }
  done
}
skip() {
  say "SKIPPED: $*"
  show_logs
  exit 77
}
fail() {
  say "FAILED: $*"
  show_logs
  exit 1
}

stop_pid_file() {
  local pid_file=$1 pid
  [[ -s $pid_file ]] || return 0
  pid=$(<"$pid_file")
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.2
  done
  kill -KILL "$pid" 2>/dev/null
}
cleanup() {
  if [[ -s $cluster/slurmctld.pid ]]; then
    scancel --quiet --full "--user=$(id -un)" 2>/dev/null
    for _ in $(seq 50); do
      [[ -z $(squeue -h 2>/dev/null) ]] && break
      sleep 0.2
    done
  fi
  stop_pid_file "$cluster/slurmd.pid"
  stop_pid_file "$cluster/slurmctld.pid"
  stop_pid_file "$cluster/munged.pid"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

start_cluster() {
  local tool
  for tool in munged slurmctld slurmd sbatch squeue scancel scontrol sinfo oiiotool; do
    command -v "$tool" >/dev/null ||
      skip "$tool is not installed (scripts/install-deps.sh installs slurm-wlm, munge and openimageio-tools)"
  done
  mkdir -p "$cluster"/{state,spool,log}
  chmod 700 "$cluster"
  head -c 1024 /dev/urandom >"$cluster/munge.key"
  chmod 400 "$cluster/munge.key"
  munged --force "--key-file=$cluster/munge.key" "--socket=$cluster/munge.socket" \
    "--pid-file=$cluster/munged.pid" "--log-file=$cluster/log/munged.log" \
    "--seed-file=$cluster/munged.seed" || skip "munged did not start"

  local node port
  node=$(hostname -s)
  port=$((20000 + RANDOM % 20000))
  cat >"$SLURM_CONF" <<EOF
ClusterName=velmoratest
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=$(id -un)
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$cluster/munge.socket
StateSaveLocation=$cluster/state
SlurmdSpoolDir=$cluster/spool
SlurmctldPidFile=$cluster/slurmctld.pid
SlurmdPidFile=$cluster/slurmd.pid
SlurmctldLogFile=$cluster/log/slurmctld.log
SlurmdLogFile=$cluster/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
ReturnToService=2
MinJobAge=600
NodeName=$node NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=farm Nodes=ALL Default=YES MaxTime=INFINITE State=UP
EOF
  slurmctld -f "$SLURM_CONF" || skip "slurmctld did not start"
  slurmd -f "$SLURM_CONF" -N "$node" || skip "slurmd did not start"
  for _ in $(seq 100); do
    [[ $(sinfo -h -o %t 2>/dev/null) == idle ]] && return 0
    sleep 0.3
  done
  skip "the node did not come up idle within 30 s"
}

make_sequence() {
  # A bright moving box over a dark gradient, float, values above 1.
  mkdir -p "$work/in"
  oiiotool --frames "$frames" --pattern fill:top=0.1,0.05,0.2,1:bottom=0,0,0,1 256x144 4 \
    --fill:color=4,2.5,1,1 "{20+FRAME_NUMBER*8},50,{50+FRAME_NUMBER*8},90" -d float \
    -o "$work/in/shot.%04d.exr" || fail "oiiotool could not make the input sequence"
}

# Submits the sequence; sets array and check to the two job ids.
submit() {
  local out err
  out=$("$farm" --velmora "${task_velmora:-$velmora}" --chunk "$chunk" --log-dir "$work/logs" \
    "$work/in/shot.####.exr" "$work/out/glow.####.exr" --frames "$frames" \
    "${render_flags[@]}" "$@" 2>"$work/submit.err") || fail "velmora-slurm: $(<"$work/submit.err")"
  err=$(<"$work/submit.err")
  [[ $out =~ ^[0-9]+$ ]] || fail "velmora-slurm printed '$out', not a job id"
  [[ $err =~ job\ ([0-9]+)\ checks ]] || fail "no check job in: $err"
  array=$out check=${BASH_REMATCH[1]}
}

wait_for_jobs() {
  for _ in $(seq 600); do
    [[ -z $(squeue -h -j "$1,$2" 2>/dev/null) ]] && return 0
    sleep 0.2
  done
  fail "jobs $1 and $2 did not end within 120 s"
}

job_state() { scontrol show job "$1" | grep -o 'JobState=[A-Z_]*' | head -n 1 | cut -d= -f2; }

# A file's header as oiiotool lists it, less its name and the command history (velmora appends
# its own command line, which names other frames in a chunk than in the reference run). An
# attribute starts at four spaces; a history of several lines continues without them.
header_of() {
  oiiotool --info -v "$1" | awk 'NR <= 2 { next } /^    [^ ]/ { skip = /^    Exif:ImageHistory: / } !skip'
}

# The same frame: every pixel exactly, and every header attribute but the history.
same_frame() {
  [[ -f $2 ]] && idiff -fail 0 -warn 0 "$1" "$2" >/dev/null 2>&1 &&
    diff <(header_of "$1") <(header_of "$2") >/dev/null
}

expect_frames_match_reference() {
  local frame name
  for frame in $(seq 1 24); do
    printf -v name 'glow.%04d.exr' "$frame"
    same_frame "$work/reference/$name" "$work/out/$name" || fail "$1: $name differs or is missing"
  done
  name=$(find "$work/out" -mindepth 1 -name '.*' -print -quit)
  [[ -z $name ]] || fail "$1: a temporary file was left behind: $name"
}

start_cluster
make_sequence
mkdir -p "$work/reference" "$work/out"
"$velmora" render "$work/in/shot.####.exr" "$work/reference/glow.####.exr" --frames "$frames" \
  "${render_flags[@]}" --quiet || fail "the reference render failed"

# The whole sequence in chunks of 5: 5 array tasks, then the check.
submit
wait_for_jobs "$array" "$check"
[[ $(job_state "$check") == COMPLETED ]] || fail "the check job of a complete run did not pass"
expect_frames_match_reference "chunked render"
# The chunk table of --dry-run is what the tasks rendered.
planned=$("$farm" --dry-run --velmora "$velmora" --chunk "$chunk" "$work/in/shot.####.exr" \
  "$work/out/glow.####.exr" --frames "$frames" | awk 'table { print $1, $2 } /^task/ { table = 1 }')
rendered=$(sed -n 's/^velmora-slurm: task \([0-9]*\) on .*: frames \(.*\)$/\1 \2/p' \
  "$work"/logs/velmora-"$array"_*.log | sort -n)
[[ $planned == "$rendered" && $(wc -l <<<"$planned") == 5 ]] ||
  fail "the dry run's chunks"$'\n'"$planned"$'\n'"are not the tasks'"$'\n'"$rendered"
say "24 frames in chunks of 5 match the single-process render"

# Again into an empty folder, with one task held in the middle of writing its first frame and
# cancelled there (catching a task by timing races: a small frame renders in hundredths of a
# second). The hold is velmora's test pause point, set for that task only.
rm -rf "$work/out" "$work/logs"
mkdir -p "$work/out"
task_velmora="$work/velmora-held"
cat >"$task_velmora" <<HELD
#!/bin/bash
[[ \$SLURM_ARRAY_TASK_ID == $cancelled_task ]] && export VELMORA_TEST_PAUSE_AT=mid-write
exec "$velmora" "\$@"
HELD
chmod +x "$task_velmora"
submit
held=
for _ in $(seq 600); do
  held=$(find "$work/out" -name '.glow.0011.*' -print -quit)
  [[ -n $held ]] && break
  sleep 0.1
done
[[ -n $held ]] || fail "task $cancelled_task never started writing its first frame"
scancel "${array}_$cancelled_task" || fail "scancel failed"
wait_for_jobs "$array" "$check"
unset task_velmora
[[ $(job_state "${array}_$cancelled_task") == CANCELLED ]] || fail "task $cancelled_task was not cancelled"
left=$(find "$work/out" -name 'glow.001[1-5].exr' | wc -l)
((left == 0)) || fail "task $cancelled_task left $left of its 5 frames, though held at the first"
[[ -e $held ]] && fail "the cancelled task left its temporary file: $held"
[[ $(job_state "$check") == FAILED ]] || fail "the check job passed with frames missing"
grep -q "frames missing" "$work"/logs/velmora-check-*.log || fail "the check job named no missing frame"
kept=$(find "$work/out" -name 'glow.*.exr' -printf '%f %i\n' | sort)

submit --skip-existing
wait_for_jobs "$array" "$check"
[[ $(job_state "$check") == COMPLETED ]] || fail "the check job of the resubmitted run did not pass"
expect_frames_match_reference "resubmitted render"
# Frames already there were skipped, not written again (a rewrite renames a new file in).
while read -r name inode; do
  [[ $(stat -c %i "$work/out/$name") == "$inode" ]] || fail "$name was rendered again"
done <<<"$kept"
say "a cancelled task's chunk is completed by a resubmission with --skip-existing"
echo "slurm_farm_test: passed"
