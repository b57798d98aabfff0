# Sourced by the tests that run the README's sweep recipes as they stand there.

# Prints the indented code block that follows the line MARKER of the README
# FILE, without its four-space indent: readme_block FILE MARKER.
readme_block() {
  awk -v marker="$2" '
    $0 == marker { found = 1; next }
    found && /^    / { print substr($0, 5); inside = 1; next }
    found && inside { exit }' "$1"
}

# Writes the README's Slurm job script to sweep.sbatch and its join recipe to
# join.sh in the current folder: readme_recipes README.
readme_recipes() {
  readme_block "$1" 'number). As a Slurm job array (`sweep.sbatch`):' > sweep.sbatch
  readme_block "$1" 'then, once every part is there, join them in bash; parts of different sweeps,' > join.sh
  grep -q '^tadmor sweep' sweep.sbatch || { echo "no job script found in $1"; return 1; }
  grep -q 'sweep.csv' join.sh || { echo "no join recipe found in $1"; return 1; }
}

# Prints the sweep of sweep.sbatch as one command for one machine: the job's
# command without its --jobs, --shard and -o.
single_machine_command() {
  sed -n '/^tadmor sweep/,$p' sweep.sbatch | sed -e ':more' -e '/\\$/{N;s/\\\n *//;b more' -e '}' |
    sed -E 's/ --(jobs|shard) "[^"]*"//g; s/ -o "[^"]*"//'
}

# The case file that the job script reads.
write_base_case() {
  printf '# the default inputs, a little more output\nOutputRate = 320\n' > base.case
}
