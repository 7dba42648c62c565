#!/usr/bin/env bash
# The whole test suite, as CI runs it: installs what is missing (the build
# packages and the test tools), then
#   1. builds and runs every unit, end-to-end and installation test (each
#      end-to-end test starts its own Xvfb), then every unit-test binary
#      once more with its tests in a shuffled order,
#   2. does the same in an AddressSanitizer + UndefinedBehaviorSanitizer build,
#   3. builds the simulation tests with ThreadSanitizer and runs the tests
#      that step vehicles on several threads,
#   4. builds the libFuzzer targets with clang and runs each for a fixed time,
#   5. builds the Debian package and checks it (tools/package.sh),
#   6. runs the README's first command from a fresh clone
#      (tools/check-fresh-clone.sh).
# Exits non-zero if anything fails.  Missing test tools fail the tests here
# (CI is set), where a desktop's ctest would skip them.
#   tools/test-all.sh
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
fuzz_seconds=${XT_FUZZ_SECONDS:-60}
jobs=$(nproc)

export CI=${CI:-1}
"$top/tools/install-deps.sh" --test || exit 1

failed=()
step() {  # name, command...
  local name=$1; shift
  echo "=== $name"
  if "$@"; then echo "=== $name: ok"; else echo "=== $name: FAILED"; failed+=("$name"); fi
}

build() {  # dir, cmake options...
  local dir=$1; shift
  cmake -S "$top" -B "$dir" -G Ninja "$@" >/dev/null && ninja -C "$dir"
}

# Tests and benchmarks on by name: tools/run.sh may have turned them off
# in the same build folder.
step "build" build "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXT_TESTS=ON -DXT_BENCH=ON
step "tests" ctest --test-dir "$top/build" --output-on-failure -j "$jobs"

# Tests must pass in any order: one pass of every unit-test binary with its
# tests shuffled.  The seed is printed; XT_SHUFFLE_SEED replays it.
shuffled() {  # build dir
  local seed=${XT_SHUFFLE_SEED:-$((RANDOM % 99999 + 1))} status=0 bin
  for bin in "$1"/tests/*_tests; do
    echo "$bin --gtest_shuffle --gtest_random_seed=$seed"
    "$bin" --gtest_shuffle --gtest_random_seed="$seed" --gtest_brief=1 || status=1
  done
  return $status
}
step "shuffled tests" shuffled "$top/build"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
step "sanitizer build" build "$top/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DXT_SANITIZE=ON -DXT_TESTS=ON
step "sanitizer tests" ctest --test-dir "$top/build-sanitize" --output-on-failure -j "$jobs"

tsan_tests() {
  cmake -S "$top" -B "$top/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DXT_SANITIZE_THREAD=ON >/dev/null && ninja -C "$top/build-tsan" sim_tests &&
    TSAN_OPTIONS=halt_on_error=1 "$top/build-tsan/tests/sim_tests" --gtest_filter='*Thread*'
}
step "thread sanitizer tests" tsan_tests

step "fuzzers" "$top/tools/run-fuzzers.sh" "$fuzz_seconds"

unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
step "package" "$top/tools/package.sh" "$top/build"
step "fresh clone" "$top/tools/check-fresh-clone.sh"

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all test stages passed"
