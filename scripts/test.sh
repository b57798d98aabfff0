#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then
# runs every test again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for a few seconds
# (FUZZ_SECONDS, 20 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
ctest --test-dir build --output-on-failure -j "$(nproc)"

# Sanitizers: the whole test suite, the window's included. Leaks inside
# system libraries are suppressed by tests/lsan.supp; the full unwinding lets
# the suppressions see those libraries' frames.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTADMOR_SANITIZE=ON \
  -DTADMOR_BUILD_BENCH=OFF
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:fast_unwind_on_malloc=0" \
  ctest --test-dir build-asan --output-on-failure -j "$(nproc)"

# Fuzzing: short runs from the seed corpora in fuzz/corpus; the inputs found
# are kept in build-fuzz/corpus for the next run.
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTADMOR_BUILD_FUZZ=ON \
  -DTADMOR_SANITIZE=ON -DTADMOR_BUILD_TESTS=OFF -DTADMOR_BUILD_GUI=OFF -DTADMOR_BUILD_BENCH=OFF
cmake --build build-fuzz --target fuzz_targets
for target in text_to_number fixed_point request results_chart case_vary; do
  mkdir -p "build-fuzz/corpus/$target"
  log="build-fuzz/fuzz_$target.log"
  echo "Fuzzing $target for ${FUZZ_SECONDS:-20} s"
  if ! build-fuzz/fuzz/fuzz_$target -max_total_time="${FUZZ_SECONDS:-20}" -timeout=120 -print_final_stats=1 \
      -dict=fuzz/request.dict -artifact_prefix="build-fuzz/corpus/$target-" \
      "build-fuzz/corpus/$target" "fuzz/corpus/$target" > "$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target failed: the input is in build-fuzz/corpus/$target-*"
    exit 1
  fi
  grep -E '^(Done|stat::new_units_added)' "$log"
done
