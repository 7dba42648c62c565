#!/usr/bin/env bash
# Installs what building and running need (not the test tools), builds the
# two programs in build/ and runs xtinkerbot.
#   tools/run.sh [ARGUMENT]...
# Arguments go to the program; without any, a small world of vehicles
# between two lights.  The programs stay in build/xtinkerbot and
# build/xtinkerbot-batch.  The build's own output is shown, and a failed
# step is named.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

failed() {
  echo "run.sh: $1 failed; its output is above" >&2
  exit 1
}

"$top/tools/install-deps.sh" || failed "installing the packages (tools/install-deps.sh)"
# Tests and benchmarks off: a user's build needs neither GoogleTest nor
# Benchmark.
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DXT_TESTS=OFF -DXT_BENCH=OFF || failed "configuring (cmake)"
ninja -C "$top/build" xtinkerbot xtinkerbot-batch || failed "building (ninja)"

if [ $# -eq 0 ]; then
  set -- v2a v2b v3a v3b l2a l2b
fi
exec "$top/build/xtinkerbot" "$@"
