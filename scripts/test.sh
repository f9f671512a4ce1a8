#!/usr/bin/env bash
# Builds and runs every test: the static checks, the threaded tests under
# ThreadSanitizer, the suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, a normal build, then every fuzz target for a
# short while (scripts/fuzz.sh; a finding fails the run).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
build_root=${TM_BUILD_ROOT:-build}

# run_suite NAME PATTERN CMAKE-ARGS...: builds in $build_root/NAME and runs
# the tests whose names match PATTERN (every test when it is empty). The
# tests are discovered when ctest runs, too late for a label filter, so the
# threaded tests are chosen by name: their suites are named "...Threads...".
run_suite() {
  local name=$1 pattern=$2; shift 2
  cmake -S . -B "$build_root/$name" -DTM_BUILD_BENCH=ON "$@" >/dev/null
  cmake --build "$build_root/$name" -j "$jobs"
  if [ -n "$pattern" ]; then
    (cd "$build_root/$name" && ctest --output-on-failure --no-tests=error -j "$jobs" -R "$pattern")
  else
    (cd "$build_root/$name" && ctest --output-on-failure --no-tests=error -j "$jobs")
  fi
}

echo "== static checks"
scripts/check.sh

echo "== tests under ThreadSanitizer (threaded tests)"
TSAN_OPTIONS="halt_on_error=1" run_suite tsan Threads -DCMAKE_BUILD_TYPE=Debug -DTM_SANITIZE=thread -DTM_BUILD_BENCH=OFF

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" run_suite asan "" -DCMAKE_BUILD_TYPE=Debug -DTM_SANITIZE=address,undefined -DTM_BUILD_BENCH=OFF

echo "== tests (release build)"
run_suite release "" -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== fuzz targets (${TM_FUZZ_SECONDS:-20} s each)"
scripts/fuzz.sh -t "${TM_FUZZ_SECONDS:-20}" -j 2
