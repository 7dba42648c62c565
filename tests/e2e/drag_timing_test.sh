# tools/drag-timing.sh, on a smaller crowd: the dragged light must end
# exactly under the pointer, and the frame figures must be printed.  The
# figures themselves are measurements, not checked here.
set -u
bin=${1:?usage: $0 /path/to/xtinkerbot}
script=${XT_SOURCE_DIR:-$(dirname "$0")/../..}/tools/drag-timing.sh
out=$(bash "$script" "$bin" 200 50 2>&1) || { echo "FAIL: drag-timing.sh: $out" >&2; exit 1; }
printf '%s\n' "$out"
printf '%s\n' "$out" | grep -qxF 'light ended under the pointer: page (370, 310)' \
    || { echo "FAIL: the light did not end under the pointer" >&2; exit 1; }
for phase in before during after; do
    printf '%s\n' "$out" | grep -q "^$phase the drag: [0-9]* frames, interval mean [0-9.]* ms" \
        || { echo "FAIL: no frame figures $phase the drag" >&2; exit 1; }
done
echo "PASS: drag timing script"
