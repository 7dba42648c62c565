#!/usr/bin/env bash
# Installs what is missing, builds xtinkerbot and runs it.  Arguments go to
# the program; without any, a small world of vehicles between two lights.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

"$top/tools/install-deps.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$top/build" xtinkerbot xtinkerbot-batch >/dev/null

if [ $# -eq 0 ]; then
  set -- v2a v2b v3a v3b l2a l2b
fi
exec "$top/build/xtinkerbot" "$@"
