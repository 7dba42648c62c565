#!/usr/bin/env bash
# Checks what a new user gets from a fresh clone of this repository's
# committed HEAD, in a scratch folder:
#   tools/check-fresh-clone.sh
# 1. a configuration with tests and benchmarks off succeeds while CMake is
#    told GoogleTest and Benchmark do not exist (and, as a control, fails
#    with tests on);
# 2. the README's first command builds the programs, showing the build's
#    output, and brings the window up on a private Xvfb; q ends it with
#    status 0, and no test was built;
# 3. a compile error is shown, with the step that failed.
# Needs git, Xvfb and xdotool besides the build packages.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
server= app=
cleanup() {
  [ -z "$app" ] || kill "$app" 2>/dev/null || true
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
die() {
  echo "check-fresh-clone.sh: $*" >&2
  exit 1
}
for tool in git Xvfb xdotool; do
  command -v "$tool" >/dev/null || die "$tool is not installed (tools/install-deps.sh --test)"
done

clone=$tmp/xtinkerbot
git clone -q "$top" "$clone"

echo "=== configuring without GoogleTest and Benchmark"
no_test_tools=(-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON)
cmake -S "$clone" -B "$tmp/plain" -G Ninja -DXT_TESTS=OFF -DXT_BENCH=OFF "${no_test_tools[@]}" \
  >"$tmp/plain.log" 2>&1 || die "a build without tests needs a test tool: $(cat "$tmp/plain.log")"
if cmake -S "$clone" -B "$tmp/control" -G Ninja -DXT_TESTS=ON "${no_test_tools[@]}" \
     >"$tmp/control.log" 2>&1; then
  die "configuring with tests on succeeded without GoogleTest: the check above proves nothing"
fi

# The README's first command: its first indented line.
command=$(grep -m1 -E '^    [^ ]' "$clone/README.md" | sed -E 's/^ +//; s/ +#.*//')
case $command in
  tools/run.sh*) ;;
  *) die "the README's first command is not tools/run.sh: $command" ;;
esac
echo "=== $command"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/xvfb.log" &
server=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
[ -s "$tmp/display" ] || die "Xvfb did not start"
export DISPLAY=:$(head -n1 "$tmp/display")

(cd "$clone" && exec bash -c "$command") >"$tmp/run.log" 2>&1 &
app=$!
# The build comes first; a loaded machine may take minutes.
window=
for _ in $(seq 1200); do
  window=$(xdotool search --name '^xtinkerbot$' 2>/dev/null | head -n1) || true
  [ -n "$window" ] && break
  kill -0 "$app" 2>/dev/null || die "the command ended before a window appeared: $(tail -c 2000 "$tmp/run.log")"
  sleep 0.5
done
[ -n "$window" ] || die "no window within 10 minutes: $(tail -c 2000 "$tmp/run.log")"
grep -q 'Linking CXX executable xtinkerbot' "$tmp/run.log" || die "the build's output was not shown: $(cat "$tmp/run.log")"
# The program may be gone before xdotool sends the key's release, which
# xdotool then reports; the exit status below is what counts.
xdotool key --window "$window" q 2>/dev/null || true
status=0
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
wait "$app" || status=$?
app=
[ "$status" -eq 0 ] || die "the program ended with status $status after q"
grep -qx 'XT_TESTS:BOOL=OFF' "$clone/build/CMakeCache.txt" || die "tools/run.sh built with tests on"
[ ! -e "$clone/build/tests" ] || die "tools/run.sh built tests"
echo "window came up; q ended it with status 0"

echo "=== a compile error"
echo '#error broken on purpose' >>"$clone/driver/main.cc"
if (cd "$clone" && tools/run.sh --version) >"$tmp/broken.log" 2>&1; then
  die "tools/run.sh succeeded with a broken source"
fi
grep -q 'broken on purpose' "$tmp/broken.log" || die "the compiler's message was not shown: $(cat "$tmp/broken.log")"
grep -qx 'run.sh: building (ninja) failed; its output is above' "$tmp/broken.log" \
  || die "the failed step was not named: $(tail -n 5 "$tmp/broken.log")"
echo "compile error shown, step named"
