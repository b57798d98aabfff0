#!/bin/bash
# Runs PAIRS pairs of tadmor runs at once, the two runs of a pair writing the
# same results file, and checks that every file is whole: byte for byte the
# file of one of the two runs made alone, with no temporary file left.
#
#   scripts/check-concurrent-runs.sh [TADMOR] [PAIRS]     (defaults: build/cli/tadmor, 200)
set -euo pipefail
tadmor=$(realpath "${1:-build/cli/tadmor}")
pairs=${2:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

first=(--set ScrewSpeed=38)
second=(--set ScrewSpeed=45 --set OutputRate=250)
"$tadmor" run "${first[@]}" -o first.txt >/dev/null
"$tadmor" run "${second[@]}" -o second.txt >/dev/null
cmp -s first.txt second.txt && { echo "the two runs give the same file" >&2; exit 1; }

mkdir runs
failed_runs=0
for ((i = 0; i < pairs; i++)); do
  "$tadmor" run "${first[@]}" -o "runs/same-$i.txt" >/dev/null 2>>errors & a=$!
  "$tadmor" run "${second[@]}" -o "runs/same-$i.txt" >/dev/null 2>>errors & b=$!
  wait "$a" || failed_runs=$((failed_runs + 1))
  wait "$b" || failed_runs=$((failed_runs + 1))
done

as_first=0 as_second=0 other=0
for ((i = 0; i < pairs; i++)); do
  if cmp -s "runs/same-$i.txt" first.txt; then as_first=$((as_first + 1))
  elif cmp -s "runs/same-$i.txt" second.txt; then as_second=$((as_second + 1))
  else other=$((other + 1)); fi
done
leftovers=$(find runs -name '.*' | wc -l)
files=$(find runs -type f -not -name '.*' | wc -l)

echo "$pairs pairs: $files files; $as_first as the first run's, $as_second as the second's," \
     "$other neither; $failed_runs runs failed; $leftovers temporary files left"
[ "$files" -eq "$pairs" ] && [ "$other" -eq 0 ] && [ "$failed_runs" -eq 0 ] && [ "$leftovers" -eq 0 ]
