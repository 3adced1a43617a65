#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each one:
# first over its seed corpus (tests/fuzz/corpus/<target>, which also holds
# the inputs of earlier findings as regression cases), then on new inputs
# for FUZZ_SECONDS seconds (30 unless set; FUZZ_SECONDS=600 for a long local
# run). Names given as arguments run only those targets. The inputs found
# are kept in build-fuzz/corpus/<target> (FUZZ_WORK names another folder).
# A finding fails the run: the input is saved as build-fuzz/findings/<target>-crash-*;
# copy it into tests/fuzz/corpus/<target>/ with the fix, as a regression case.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build=${FUZZ_BUILD:-build-fuzz}
jobs=${FUZZ_BUILD_JOBS:-$(nproc)}
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" -j"$jobs"

targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in tests/fuzz/*_fuzz.cpp; do
    t=$(basename "$f" .cpp)
    targets+=("${t%_fuzz}")
  done
fi
mkdir -p "$build/findings"
failed=0
for t in "${targets[@]}"; do
  work="${FUZZ_WORK:-$build/corpus}/$t"
  mkdir -p "$work"
  log="$build/fuzz-$t.log"
  echo "fuzz $t: ${seconds}s"
  if "$build/${t}_fuzz" -max_total_time="$seconds" -print_final_stats=1 -timeout="${FUZZ_TIMEOUT:-10}" -rss_limit_mb=2048 \
      -artifact_prefix="$build/findings/$t-" "$work" "tests/fuzz/corpus/$t" >"$log" 2>&1; then
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    echo "  $execs executions, $rate/s, corpus $(ls "$work" | wc -l) inputs"
  else
    failed=1
    echo "  FINDING in $t (input in $build/findings/):"
    grep -E 'ERROR|check failed|SUMMARY|Test unit written' "$log" | head -20
  fi
done
exit $failed
