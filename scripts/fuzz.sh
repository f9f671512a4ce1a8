#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz (clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each one: its seeds and regression
# inputs (tests/fuzz/corpus/NAME) first, then fuzzing for SECONDS. Prints the
# executions, coverage and findings of every target; exits 1 when a target
# has a finding (a crash, a broken invariant, a leak, a timeout).
#
#   scripts/fuzz.sh [-t SECONDS] [-j JOBS] [NAME...]
#
# NAME is a target without its fuzz_ prefix (rule_file, pipeline, ...); all
# targets by default. SECONDS defaults to 20 and JOBS (targets run at once)
# to 2. The build is $TM_BUILD_ROOT/fuzz (build/fuzz by default); the inputs
# a run finds are kept in its corpus/NAME and findings go to its
# findings/NAME, with each target's log in logs/NAME.log. A finding's input
# belongs in tests/fuzz/corpus/NAME as regression-WHAT, with its fix.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=20
jobs=2
while getopts "t:j:" opt; do
  case $opt in
    t) seconds=$OPTARG ;;
    j) jobs=$OPTARG ;;
    *) sed -n '2,17p' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
root=$(pwd)
build=${TM_BUILD_ROOT:-build}/fuzz
case $build in /*) ;; *) build=$root/$build ;; esac

cc=$(command -v clang || command -v clang-14)
cxx=$(command -v clang++ || command -v clang++-14)
cmake -S . -B "$build" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" -DTM_FUZZ=ON \
  -DTM_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz -j "$(nproc 2>/dev/null || echo 2)" >"$build/build.log" 2>&1 ||
  { tail -40 "$build/build.log"; exit 1; }

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in tests/fuzz/fuzz_*.cpp; do names+=("$(basename "$f" .cpp | sed 's/^fuzz_//')"); done
fi

run_one() {
  local name=$1
  local corpus=$build/corpus/$name findings=$build/findings/$name log=$build/logs/$name.log
  mkdir -p "$corpus" "$findings" "$build/logs" "tests/fuzz/corpus/$name"
  rm -f "$findings"/*
  (cd "$findings" && ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
    "$corpus" "$root/tests/fuzz/corpus/$name") >"$log" 2>&1 || true
}

running=0
for name in "${names[@]}"; do
  [ -x "$build/fuzz/fuzz_$name" ] || { echo "no fuzz target $name" >&2; exit 2; }
  run_one "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
done
wait

status=0
printf '%-18s %12s %8s %8s  %s\n' target executions coverage features findings
for name in "${names[@]}"; do
  log=$build/logs/$name.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  found=$(cd "$build/findings/$name" && ls 2>/dev/null | tr '\n' ' ')
  if [ -z "$runs" ] && [ -z "$found" ]; then found="no result, see $log"; fi
  [ -z "$found" ] || status=1
  printf '%-18s %12s %8s %8s  %s\n' "$name" "${runs:--}" "${cov:--}" "${ft:--}" "${found:-none}"
done
exit $status
