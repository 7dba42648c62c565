# tools/drag-timing.sh, on a smaller crowd, running and paused: the
# dragged light must end exactly under the pointer, and the frame figures
# must be printed.  The figures themselves are measurements, not checked.
set -u
bin=${1:?usage: $0 /path/to/xtinkerbot}
script=${XT_SOURCE_DIR:-$(dirname "$0")/../..}/tools/drag-timing.sh
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$(bash "$script" "$bin" 200 50 2>&1) || fail "drag-timing.sh: $out"
printf '%s\n' "$out"
printf '%s\n' "$out" | grep -qxF 'light ended under the pointer: page (370, 310)' \
    || fail "the light did not end under the pointer"
for phase in before during after; do
    printf '%s\n' "$out" | grep -q "^$phase the drag: [0-9]* frame intervals, mean [0-9.]* ms" \
        || fail "no frame figures $phase the drag"
done

out=$(bash "$script" "$bin" 200 50 paused 2>&1) || fail "drag-timing.sh paused: $out"
printf '%s\n' "$out"
printf '%s\n' "$out" | grep -qxF 'light ended under the pointer: page (370, 310)' \
    || fail "paused, the light did not end under the pointer"
printf '%s\n' "$out" | grep -q '^[0-9]* redraws for 50 moves$' \
    || fail "paused, no redraw count"
echo "PASS: drag timing script, running and paused"
