#!/usr/bin/env bash
# Takes the README's screenshot: runs xtinkerbot on a private Xvfb with
# trails on, zooms out a little, lets the vehicles move for a while, and
# saves the window as a PNG.
#   tools/screenshot.sh [PROGRAM [OUT.png [SECONDS]]]
# Defaults: build/xtinkerbot, doc/screenshot.png, 8 seconds.  Needs Xvfb,
# xdotool, xwd and ImageMagick's convert (tools/install-deps.sh --test).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$top/build/xtinkerbot}
out=${2:-$top/doc/screenshot.png}
seconds=${3:-8}
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
  echo "screenshot.sh: $*" >&2
  exit 1
}

for tool in Xvfb xdotool xwd convert; do
  command -v "$tool" >/dev/null || die "$tool is not installed (tools/install-deps.sh --test)"
done
[ -x "$program" ] || die "no program $program (build it first)"

# Xvfb picks a free display and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/xvfb.log" &
server=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
[ -s "$tmp/display" ] || die "Xvfb did not start: $(head -c 500 "$tmp/xvfb.log")"
export DISPLAY=:$(head -n1 "$tmp/display")

"$program" -t v2a v2b v3a v3b v2a v2b v3a v3b l2a l2b >"$tmp/out" 2>&1 &
app=$!
window=
for _ in $(seq 100); do
  window=$(xdotool search --name '^xtinkerbot$' 2>/dev/null | head -n1) || true
  [ -n "$window" ] && break
  kill -0 "$app" 2>/dev/null || die "the program ended: $(head -c 500 "$tmp/out")"
  sleep 0.1
done
[ -n "$window" ] || die "no window appeared"

# Zoomed out twice, so that more of the trails stay in view while they
# grow.
xdotool key --window "$window" minus minus 2>"$tmp/xdotool.log"
sleep "$seconds"
kill -0 "$app" 2>/dev/null || die "the program ended: $(head -c 500 "$tmp/out")"
mkdir -p "$(dirname "$out")"
xwd -silent -id "$window" | convert xwd:- -strip "$out" || die "could not save $out"
echo "screenshot.sh: wrote $out"
