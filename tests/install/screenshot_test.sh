# tools/screenshot.sh makes a PNG of the real window: the default window
# size, mostly background, and each vehicle colour of the world it shows.
#
#     XT_SOURCE_DIR=... XT_BUILD_DIR=... bash screenshot_test.sh
set -u
. "$(dirname "$0")/../require.sh"
src=${XT_SOURCE_DIR:?} build=${XT_BUILD_DIR:?}
xt_require Xvfb xdotool xwd convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

bash "$src/tools/screenshot.sh" "$build/xtinkerbot" "$tmp/shot.png" 2 >"$tmp/log" 2>&1 \
  || fail "screenshot.sh: $(cat "$tmp/log")"
size=$(convert "$tmp/shot.png" -format '%w %h' info:)
[ "$size" = "640 520" ] || fail "the picture is $size, not 640 520"

count() {  # pixels of one colour
  convert "$tmp/shot.png" -fill black +opaque "$1" -fill white -opaque "$1" \
    -format '%[fx:round(mean*w*h)]' info:
}
black=$(count black)
[ "$black" -gt $((640 * 520 / 2)) ] || fail "only $black background pixels"
for colour in red blue lime '#ff8000'; do
  n=$(count "$colour")
  [ "$n" -gt 20 ] || fail "$n pixels of $colour: a vehicle is missing"
done
echo "PASS: screenshot of the window"
