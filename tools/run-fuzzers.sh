#!/usr/bin/env bash
# Builds the fuzz configuration (clang, libFuzzer, ASan, UBSan) in
# build-fuzz and runs every fuzz/*_fuzzer for a fixed time each.
#   tools/run-fuzzers.sh [SECONDS]     (default 60)
# Fails if a fuzzer does not build, or finds a crash, a leak or a timeout;
# the reproducer is left in build-fuzz/artifacts/.
set -uo pipefail
seconds=${1:-60}
case $seconds in
  ''|*[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;;
esac
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build-fuzz

CXX=${CXX:-clang++} cmake -S "$top" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXT_FUZZ=ON -DXT_TESTS=OFF -DXT_BENCH=OFF >/dev/null \
  || { echo "run-fuzzers: configuration failed" >&2; exit 1; }

names=()
for source in "$top"/fuzz/*_fuzzer.cc; do
  [ -e "$source" ] || continue
  names+=("$(basename "$source" .cc)")
done
if [ ${#names[@]} -eq 0 ]; then
  echo "run-fuzzers: no fuzz/*_fuzzer.cc found" >&2
  exit 1
fi
ninja -C "$build" "${names[@]}" || { echo "run-fuzzers: build failed" >&2; exit 1; }

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for name in "${names[@]}"; do
  corpus=$build/corpus/$name
  artifacts=$build/artifacts/$name/
  mkdir -p "$corpus" "$artifacts"
  echo "=== $name: ${seconds}s"
  if "$build/fuzz/$name" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$artifacts" -print_final_stats=1 >"$build/$name.log" 2>&1; then
    echo "=== $name: ok ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$build/$name.log" | grep -o '[0-9]*$') runs)"
  else
    echo "=== $name: FAILED (log: $build/$name.log)"
    grep -m5 -E 'ERROR|SUMMARY|deadly signal|timeout' "$build/$name.log"
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "run-fuzzers: failed: ${failed[*]}" >&2
  exit 1
fi
