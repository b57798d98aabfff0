#!/usr/bin/env bash
# The README's Slurm job array, run for real: a one-node cluster (munged,
# slurmctld, slurmd) is started from a configuration written into a
# temporary folder, the README's job script is submitted as it stands, the
# parts are joined with the README's recipe, and the result must be the bytes
# of the same sweep run on one machine. The daemons are stopped by their PIDs
# whatever happens. Exit 77 (skipped) without root or without the programs.
# Usage: slurm_job_array.sh TADMOR README
set -euo pipefail
tadmor=$(realpath "$1")
readme=$(realpath "$2")
. "$(dirname "$0")/readme_blocks.sh"
export PATH="$(dirname "$tadmor"):$PATH:/usr/sbin:/sbin"

skip() {
  echo "SKIPPED: $*"
  exit 77
}
[ "$(id -u)" -eq 0 ] || skip "starting munged, slurmctld and slurmd needs root"
for program in munged mungekey slurmctld slurmd sbatch sinfo python3; do
  command -v "$program" > /dev/null ||
    skip "$program is missing (scripts/install-deps.sh installs munge and slurm-wlm)"
done

dir=$(mktemp -d /tmp/tadmor-slurm-XXXXXX)
pids=()
stop_daemons() {
  local status=$?
  [ ${#pids[@]} -eq 3 ] && timeout 10 scancel --user=root 2> /dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  for _ in $(seq 50); do
    kill -0 "${pids[@]}" 2> /dev/null || break
    sleep 0.2
  done
  for pid in "${pids[@]}"; do kill -9 "$pid" 2> /dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2> /dev/null || true; done
  if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
    for log in "$dir"/*.log "$dir"/*.out "$dir"/work/slurm-*.out; do
      [ -f "$log" ] && { echo "== $log"; tail -n 20 "$log"; }
    done
  fi
  rm -rf "$dir"
  exit "$status"
}
trap stop_daemons EXIT
trap 'exit 1' INT TERM

# Two free ports on the loopback interface, so that two clusters never meet.
read -r controller_port node_port < <(python3 -c '
import socket
sockets = [socket.socket() for _ in range(2)]
for s in sockets: s.bind(("127.0.0.1", 0))
print(*(s.getsockname()[1] for s in sockets))')

host=$(hostname -s)
mkdir -p "$dir/munge" "$dir/state" "$dir/spool" "$dir/work"
chmod 755 "$dir/munge"
mungekey --create --keyfile="$dir/munge/munge.key"
munged --foreground --force --socket="$dir/munge/socket" --key-file="$dir/munge/munge.key" \
  --pid-file="$dir/munge/munged.pid" --seed-file="$dir/munge/seed" --log-file="$dir/munged.log" \
  > "$dir/munged.out" 2>&1 &
pids+=($!)

# One node that offers 128 CPUs (config_overrides lets it offer more than the
# machine has), so that the array's 16 tasks of 8 CPUs start at once.
export SLURM_CONF="$dir/slurm.conf"
cat > "$SLURM_CONF" << EOF
ClusterName=tadmortest
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$controller_port
SlurmdPort=$node_port
SlurmUser=root
AuthType=auth/munge
AuthInfo=socket=$dir/munge/socket
CredType=cred/munge
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
ProctrackType=proctrack/pgid
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SlurmdParameters=config_overrides
MpiDefault=none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
MailProg=/bin/true
ReturnToService=2
NodeName=$host NodeAddr=127.0.0.1 CPUs=128 State=UNKNOWN
PartitionName=test Nodes=ALL Default=YES MaxTime=INFINITE State=UP
EOF
for _ in $(seq 50); do [ -S "$dir/munge/socket" ] && break; sleep 0.1; done
[ -S "$dir/munge/socket" ] || { echo "munged did not start"; exit 1; }
slurmctld -D -i > "$dir/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -N "$host" > "$dir/slurmd.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  [ "$(sinfo -h -o %t 2> /dev/null)" = idle ] && break
  sleep 0.2
done
[ "$(sinfo -h -o %t 2> /dev/null)" = idle ] || { echo "the node did not come up"; exit 1; }

cd "$dir/work"
readme_recipes "$readme"
write_base_case
timeout 120 sbatch --wait --quiet sweep.sbatch
bash join.sh
eval "$(single_machine_command) -o single.csv" > /dev/null
parts=(part-*.csv)
echo "${#parts[@]} parts joined into $(($(wc -l < sweep.csv) - 2)) cases"
cmp single.csv sweep.csv
