#!/usr/bin/env bash
# The README's join recipe on the parts of its Slurm job script, run here one
# task after another: the joined summary is the sweep's on one machine, byte
# for byte, and parts that are incomplete, cut short or of another sweep are
# refused. Usage: readme_join.sh TADMOR README
set -euo pipefail
tadmor=$(realpath "$1")
readme=$(realpath "$2")
. "$(dirname "$0")/readme_blocks.sh"
export PATH="$(dirname "$tadmor"):$PATH"
dir=$(mktemp -d /tmp/tadmor-join-XXXXXX)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
readme_recipes "$readme"
write_base_case
tasks=$(sed -n 's/^#SBATCH --array=0-\([0-9]*\)$/\1/p' sweep.sbatch)
for task in $(seq 0 "$tasks"); do
  SLURM_ARRAY_TASK_ID=$task SLURM_CPUS_PER_TASK=2 bash sweep.sbatch > /dev/null
done
bash join.sh
eval "$(single_machine_command) -o single.csv" > /dev/null
cmp single.csv sweep.csv
echo "$((tasks + 1)) parts joined into the sweep's summary"

# Each fault in one part, the others intact: the recipe refuses and writes nothing.
refused() {
  rm -f sweep.csv
  if bash join.sh 2> refusal.txt || [ -e sweep.csv ] || ! grep -q '^not the complete parts of one sweep:$' refusal.txt; then
    echo "the join recipe took parts with $1"
    exit 1
  fi
  echo "refused: $1"
}
mkdir intact
cp part-*.csv intact/
sed -i '$ s/: complete$/: incomplete, 3 of 18 cases/' part-3.csv
refused "an incomplete part"
cp intact/part-3.csv .
sed -i '$ d' part-5.csv
refused "a part cut short"
cp intact/part-5.csv .
eval "$(single_machine_command | sed 's/^tadmor sweep/tadmor sweep --set OutputRate=330/') --shard 7/16 -o part-7.csv" > /dev/null
refused "a part of another sweep"
cp intact/part-7.csv .
bash join.sh
cmp single.csv sweep.csv
