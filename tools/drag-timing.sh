#!/usr/bin/env bash
# Measures a drag among many vehicles.  Starts xtinkerbot on a private
# Xvfb with VEHICLES vehicles (default 1000, the four kinds in turn) and
# the light l, notes the time of every frame (tools/frame-clock.c,
# preloaded), lets it run for two seconds, then drags the light with
# button 1 from its pixel (320, 260) by one pixel right and one up per
# step, STEPS steps (default 200) 10 ms apart, and releases it.  It checks
# in an EPS picture that the light ended exactly under the pointer and
# prints the frame intervals before, during and after the drag, and
# whether the drag's median interval stays within the normal one (the
# mean of the medians before and after) plus one frame.  With "paused"
# the animation is paused first, so every frame is a redraw for the drag:
# it prints how many there were for the moves, and their intervals.
#
# Usage: tools/drag-timing.sh XTINKERBOT [VEHICLES] [STEPS] [paused]
# Exit status: 0 when the light ended under the pointer, 1 otherwise.
# Needs Xvfb, xdotool, xwininfo, a C compiler (to build the frame clock)
# and awk.
set -euo pipefail

bin=${1:?usage: $0 XTINKERBOT [VEHICLES] [STEPS]}
vehicles=${2:-1000}
steps=${3:-200}
paused=${4:-}
case $bin in /*) ;; *) bin=$PWD/$bin ;; esac
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
xvfb_pid=
prog_pid=
cleanup() {
    [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null && wait "$prog_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

cc -O2 -shared -fPIC -o "$work/frame-clock.so" "$here/frame-clock.c" -ldl

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "drag-timing.sh: Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(head -n1 "$work/display")
export DISPLAY

kinds=(v2a v2b v3a v3b)
bodies=()
for i in $(seq 0 $((vehicles - 1))); do bodies+=("${kinds[i % 4]}"); done
# A sanitized build needs its runtime first among the preloaded libraries.
preload=$work/frame-clock.so
asan=$(ldd "$bin" 2>/dev/null | awk '/libasan/ { print $3 }')
[ -n "$asan" ] && preload=$asan:$preload
(cd "$work" && FRAME_CLOCK_FILE="$work/frames" LD_PRELOAD="$preload" \
    exec "$bin" -o 'drag%d.eps' "${bodies[@]}" l >"$work/stdout" 2>"$work/stderr") &
prog_pid=$!
# The window counts once it is mapped: input sent before reaches nobody.
win=
for _ in $(seq 300); do
    kill -0 "$prog_pid" 2>/dev/null \
        || { echo "drag-timing.sh: the program ended: $(head -c 2000 "$work/stderr")" >&2; exit 1; }
    win=$(xdotool search --name '^xtinkerbot$' 2>/dev/null | head -n1) || true
    [ -n "$win" ] && xwininfo -id "$win" 2>/dev/null | grep -q 'Map State: IsViewable' && break
    win=
    sleep 0.1
done
[ -n "$win" ] || { echo "drag-timing.sh: no window within 30 s" >&2; exit 1; }

sleep 2
if [ "$paused" = paused ]; then
    xdotool key --window "$win" Escape 2>/dev/null
    sleep 0.5
fi
start=$(date +%s.%N)
moves=(mousemove --window "$win" 320 260 mousedown 1)
for i in $(seq "$steps"); do
    moves+=(sleep 0.01 mousemove --window "$win" $((320 + i)) $((260 - i)))
done
xdotool "${moves[@]}" mouseup 1 2>"$work/xdotool.log" || { echo "drag-timing.sh: xdotool failed: $(head -c 500 "$work/xdotool.log")" >&2; exit 1; }
end=$(date +%s.%N)
sleep 2
xdotool key --window "$win" o 2>/dev/null || true
for _ in $(seq 100); do
    grep -q 'EPS written' "$work/stderr" && tail -n1 "$work/drag1.eps" 2>/dev/null | grep -qxF '%%EOF' && break
    sleep 0.1
done
xdotool key --window "$win" q 2>/dev/null || true
wait "$prog_pid" || true
prog_pid=

# The light l, strength 8, now at the pixel the pointer ended on.
x=$((320 + steps)) y=$((520 - 260 + steps))
if ! grep -qxF "newpath $x $y 8 -180 180 arc stroke" "$work/drag1.eps" 2>/dev/null; then
    echo "drag-timing.sh: the light did not end under the pointer at page ($x, $y)" >&2
    grep -A1 '^% Body' "$work/drag1.eps" | tail -n1 >&2 || true
    exit 1
fi
echo "light ended under the pointer: page ($x, $y)"

# Frame intervals, in ms, in the two seconds before the drag, during it,
# and in the two seconds after it.  The crowd disperses as it runs, which
# makes frames cheaper, so the normal interval is taken on both sides.
awk -v start="$start" -v end="$end" -v paused="$paused" -v steps="$steps" '
    function report(name, a, n,   i, j, t, sum) {
        for (i = 2; i <= n; i++)
            for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
        for (i = 1; i <= n; i++) sum += a[i]
        printf "%s: %d frame intervals, mean %.1f ms, median %.1f ms, p95 %.1f ms, max %.1f ms\n",
            name, n, sum / n, a[int((n + 1) / 2)], a[int(n * 0.95 + 0.5)], a[n]
        return a[int((n + 1) / 2)]
    }
    NR > 1 {
        d = ($1 - last) * 1000
        if ($1 > start - 2 && $1 <= start) before[++nb] = d
        else if ($1 > start && $1 <= end && (paused != "paused" || last > start)) during[++nd] = d
        else if ($1 > end && $1 <= end + 2) after[++na] = d
    }
    { last = $1 }
    END {
        if (paused == "paused") {
            if (nd < 2) { print "too few redraws to measure"; exit }
            report("during the paused drag", during, nd)
            printf "%d redraws for %d moves\n", nd + 1, steps
            exit
        }
        if (nb < 2 || nd < 2 || na < 2) { print "too few frames to compare"; exit }
        normal = report("before the drag", before, nb)
        dragged = report("during the drag", during, nd)
        normal = (normal + report("after the drag", after, na)) / 2
        printf "drag median %s the normal median plus one frame (%.1f ms)\n",
            dragged <= 2 * normal ? "within" : "BEYOND", 2 * normal
    }' "$work/frames"
