#!/usr/bin/env bash
# A sweep interrupted at random moments, by SIGINT or SIGTERM, anywhere from
# its start to its end: it never leaves a summary that is empty or cut short,
# nor a temporary or partial file, and --resume completes what it left to the
# bytes of the uninterrupted sweep. Usage: interrupt_sweep.sh TADMOR TRIES
set -euo pipefail
tadmor=$(realpath "$1")
tries=$2
dir=$(mktemp -d /tmp/tadmor-interrupt-XXXXXX)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
sweep=(sweep --vary ScrewSpeed=20:80:1 --vary OutputRate=250,300,350 --jobs 2)
fail() {
  echo "try $try: $*"
  exit 1
}

start=$(date +%s%N)
"$tadmor" "${sweep[@]}" -o whole.csv --results-dir whole > /dev/null
duration_ms=$((($(date +%s%N) - start) / 1000000))
total=$(($(wc -l < whole.csv) - 2))
incomplete=0 complete=0 early=0 kept=()
for try in $(seq "$tries"); do
  rm -rf s.csv cases
  signal=$([ $((RANDOM % 2)) -eq 0 ] && echo INT || echo TERM)
  delay_ms=$((RANDOM % (duration_ms + duration_ms / 5 + 1)))
  "$tadmor" "${sweep[@]}" -o s.csv --results-dir cases > /dev/null 2> err.txt &
  pid=$!
  sleep "$(awk -v ms="$delay_ms" 'BEGIN { printf "%.3f", ms / 1000 }')"
  kill -s "$signal" "$pid" 2> /dev/null || true
  status=0
  wait "$pid" || status=$?
  [ -z "$(find . -name '.*' ! -name .)" ] || fail "temporary files left: $(find . -name '.*' ! -name .)"
  if [ ! -e s.csv ]; then
    # Ended by the signal before the sweep began: nothing may be written.
    [ ! -s err.txt ] && [ ! -e cases ] || fail "no summary, but: $(cat err.txt)"
    early=$((early + 1))
    resume=()
  else
    [ -s s.csv ] || fail "an empty summary"
    last=$(tail -n 1 s.csv)
    rows=$(($(wc -l < s.csv) - 2))
    if [ "$last" = "$(tail -n 1 whole.csv)" ]; then
      [ "$rows" -eq "$total" ] || fail "complete with $rows rows"
      complete=$((complete + 1))
    else
      [ "$last" = "$(tail -n 1 whole.csv | sed 's/: complete$//'): incomplete, $rows of $total cases" ] ||
        fail "status line \"$last\" with $rows rows"
      [ "$status" -eq $((128 + $(kill -l "$signal"))) ] || fail "exit code $status after SIG$signal"
      grep -q "^tadmor: stopped by SIG$signal: " err.txt || fail "stderr: $(cat err.txt)"
      incomplete=$((incomplete + 1))
      kept+=("$rows")
    fi
    # Every row is the uninterrupted sweep's, every results file complete.
    [ -z "$(grep -v "^#" s.csv | grep -v -x -F -f whole.csv)" ] || fail "rows that are not the sweep's"
    for file in cases/*; do cmp -s "$file" "whole/${file#cases/}" || fail "$file differs"; done
    resume=(--resume s.csv)
  fi
  "$tadmor" "${sweep[@]}" -o s.csv --results-dir cases "${resume[@]}" > /dev/null
  cmp -s s.csv whole.csv || fail "the resumed summary differs from the uninterrupted one"
  diff -r -q cases whole > /dev/null || fail "the resumed results files differ"
done
echo "$tries tries on a sweep of $total cases ($duration_ms ms): $incomplete stopped with an incomplete" \
  "summary (rows kept: ${kept[*]:-none}), $complete complete, $early ended before the sweep began;" \
  "every summary whole, each resumed to the bytes of the uninterrupted sweep"
