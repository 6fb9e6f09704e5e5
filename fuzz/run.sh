#!/usr/bin/env bash
# Runs the libFuzzer targets of a fuzz build, each for SECONDS, starting from its seed corpus
# in fuzz/corpus/TARGET. What the fuzzer learns goes to BUILD/fuzz-work/TARGET (kept between
# runs, never into the repository); a failing input is written to BUILD/fuzz-crashes/, and the
# run goes on with the next target and exits non-zero at the end. Prints the executions of
# each target and in all.
#
#   fuzz/run.sh BUILD SECONDS [TARGET...]     e.g. fuzz/run.sh build/fuzz 3600 frame
#
# FUZZ_SEED fixes libFuzzer's seed (CI uses 1, so a failure there replays alike); unset, each
# run explores afresh. FUZZ_RUNS_<TARGET> also caps a target's executions, so a slow target
# meets the same inputs on a fast machine as on a slow one (the time still bounds it).
set -euo pipefail

build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for program in "$build"/fuzz/fuzz_*; do targets+=("${program##*/fuzz_}"); done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# Leaks inside libraries we do not build are listed there, as for the sanitizer tests.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/../sanitizers/lsan.supp:print_suppressions=0}
mkdir -p "$build/fuzz-crashes"
total=0
failed=0
for target in "${targets[@]}"; do
  work="$build/fuzz-work/$target"
  log="$build/fuzz-work/$target.log"
  mkdir -p "$work"
  status=0
  runs_cap="FUZZ_RUNS_$target"
  "$build/fuzz/fuzz_$target" "$work" "$here/corpus/$target" -max_total_time="$seconds" \
    ${!runs_cap:+-runs=${!runs_cap}} \
    -seed="${FUZZ_SEED:-0}" -timeout=60 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-crashes/$target-" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  total=$((total + ${runs:-0}))
  echo "fuzz $target: ${runs:-0} executions in ${seconds} s"
  if [ $status -ne 0 ]; then
    tail -40 "$log"
    echo "fuzz $target: failed; the input is in $build/fuzz-crashes/ (add it to fuzz/corpus/$target)"
    failed=1
  fi
done
echo "fuzz: $total executions in all"
exit $failed
