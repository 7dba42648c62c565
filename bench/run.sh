#!/bin/bash
# Runs every benchmark of xtinkerbot_bench on a private Xvfb and prints a
# table of the figures, then the ratios the performance targets are about:
# a world step against the bare arithmetic of its sensor-light
# interactions, one alarm firing's simulation work against 2.5 ms and
# against the bare arithmetic of its interactions (also with the maths
# library calls its collisions cannot avoid), in the default window and a
# full-HD one, the indexed pair test against the plain one, the
# long-trail frame; then for worlds of 1,000 to 100,000 vehicles at one
# density the step and firing times on 1 and 2 threads with the cost per
# vehicle per step, a firing against the sum of its parts, and the world
# whose vehicles all carry lights against its bare interactions.
#
# Each benchmark runs three times (XT_BENCH_REPETITIONS), the runs of all
# benchmarks interleaved at random, and the table gives the fastest of
# each: on a machine shared with other work, that work only ever slows a
# run down, and it comes and goes over seconds, so runs taken minutes
# apart are compared fairly only this way.
#
# Usage: bench/run.sh [BENCH_BINARY] [benchmark options...]
# Without a binary it takes the newest build*/bench/xtinkerbot_bench of
# the source tree.  Needs Xvfb (for the drawing benchmarks) and python3.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
bin=
if [ $# -gt 0 ] && [ -x "$1" ] && [ ! -d "$1" ]; then
    bin=$1
    shift
fi
if [ -z "$bin" ]; then
    bin=$(ls -t "$here"/../build*/bench/xtinkerbot_bench 2>/dev/null | head -n 1 || true)
fi
if [ -z "$bin" ] || [ ! -x "$bin" ]; then
    echo "run.sh: no xtinkerbot_bench binary; build the target or name it" >&2
    exit 1
fi

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to fd 3.
if command -v Xvfb >/dev/null 2>&1; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    if [ -s "$work/display" ]; then
        export DISPLAY=":$(head -n 1 "$work/display")"
    else
        echo "run.sh: Xvfb did not start; the drawing benchmarks will be skipped" >&2
        unset DISPLAY
    fi
else
    echo "run.sh: no Xvfb; the drawing benchmarks will be skipped" >&2
    unset DISPLAY
fi

echo "Running $bin ..." >&2
"$bin" --benchmark_repetitions="${XT_BENCH_REPETITIONS:-3}" \
    --benchmark_enable_random_interleaving=true \
    --benchmark_out="$work/results.json" --benchmark_out_format=json "$@" >&2

python3 - "$work/results.json" <<'EOF'
import json, re, sys

with open(sys.argv[1]) as f:
    data = json.load(f)
to_us = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
# The fastest repetition of each benchmark.
fastest = {}
for b in data["benchmarks"]:
    if b.get("run_type") == "aggregate":
        continue
    name = b.get("run_name", b["name"])
    if name not in fastest or (not b.get("error_occurred")
                               and (fastest[name].get("error_occurred")
                                    or b["real_time"] < fastest[name]["real_time"])):
        fastest[name] = b
runs = {}
print("%-34s %12s %12s  %s" % ("benchmark", "wall", "cpu", "notes"))
print("-" * 90)
# By name, numbers compared as numbers.
natural = lambda name: [int(p) if p.isdigit() else p for p in re.split(r"(\d+)", name)]
for name in sorted(fastest, key=natural):
    b = fastest[name]
    if b.get("error_occurred"):
        print("%-34s %12s %12s  %s" % (name, "-", "-", "skipped: " + b.get("error_message", "")))
        continue
    k = to_us[b["time_unit"]]
    wall, cpu = b["real_time"] * k, b["cpu_time"] * k
    runs[name] = (wall, cpu)
    notes = []
    if "per_interaction" in b:
        notes.append("%.1f ns/interaction (%d per iteration)"
                     % (b["per_interaction"] * 1e9, b["interactions"]))
    for key in ("near_pairs", "collisions", "trail_points", "firings_per_draw"):
        if key in b:
            notes.append("%s=%d" % (key, b[key]))
    if "kept" in b:
        notes.append("pair tests on kept lists %.0f%%" % (100 * b["kept"]))
    if b.get("label"):
        notes.append(b["label"])
    fmt = lambda us: ("%.3f ms" % (us / 1e3) if us >= 1000
                      else "%.2f us" % us if us >= 1 else "%.1f ns" % (us * 1e3))
    print("%-34s %12s %12s  %s" % (name, fmt(wall), fmt(cpu), "; ".join(notes)))

def cpu(name):
    return runs[name][1] if name in runs else None

def wall(name):
    return runs[name][0] if name in runs else None

print()
print("Ratios (cpu time)")
print("-" * 90)
for n in (10, 100, 1000):
    s, b = cpu("BM_WorldStep/%d" % n), cpu("BM_InteractionBaseline/%d/640" % n)
    if s and b:
        print("step + pair test / bare interactions, N=%-5d %6.2f" % (n, s / b))
for width, window in ((640, "640x520"), (1920, "1920x1080")):
    print("1000 vehicles in a %s window:" % window)
    s, b = cpu("BM_StepOnly/1000/%d" % width), cpu("BM_InteractionBaseline/1000/%d" % width)
    if s and b:
        print("  step without pair test / bare            %6.2f" % (s / b))
    f, c = cpu("BM_FiringSimulation/1000/%d" % width), cpu("BM_CollisionMath/1000/%d" % width)
    if f and b:
        print("  firing (4 steps + pair tests) / 4 x bare %6.2f   (target <= 2)" % (f / (4 * b)))
        print("  firing simulation work             %9.3f ms (target < 2.5 ms)" % (f / 1e3))
    if f and b and c:
        print("  firing / 4 x (bare + collision maths)    %6.2f" % (f / (4 * (b + c))))
for n in (100, 1000, 5000):
    g, p = cpu("BM_CollidePairs/%d/640" % n), cpu("BM_CollidePairsPlain/%d/640" % n)
    if g and p:
        print("pair test plain / indexed, N=%-5d       %6.2f" % (n, p / g))

print()
print("Worlds at the density of 10,000 vehicles in 6000x5000 (wall time; cpu")
print("time is the calling thread's only, so it is given for 1 thread)")
print("-" * 90)
print("%8s %11s %11s %11s %8s %13s %13s" % ("N", "step 1 thr", "cpu", "step 2 thr", "speedup",
                                            "ns/veh 1 thr", "ns/veh 2 thr"))
per_vehicle = {}
for n in (1000, 10000, 30000, 100000):
    w1, c1 = wall("BM_DenseStep/%d/1/real_time" % n), cpu("BM_DenseStep/%d/1/real_time" % n)
    w2 = wall("BM_DenseStep/%d/2/real_time" % n)
    if w1 and w2:
        per_vehicle[n] = c1 * 1e3 / n
        print("%8d %8.3f ms %8.3f ms %8.3f ms %7.2fx %13.1f %13.1f"
              % (n, w1 / 1e3, c1 / 1e3, w2 / 1e3, w1 / w2, w1 * 1e3 / n, w2 * 1e3 / n))
print("%8s %11s %11s %11s %8s %13s %13s" % ("N", "firing 1", "cpu", "firing 2", "speedup",
                                            "ns/veh 1 thr", "ns/veh 2 thr"))
for n in (1000, 10000, 30000, 100000):
    w1, c1 = wall("BM_DenseFiring/%d/1/real_time" % n), cpu("BM_DenseFiring/%d/1/real_time" % n)
    w2 = wall("BM_DenseFiring/%d/2/real_time" % n)
    if w1 and w2:
        print("%8d %8.3f ms %8.3f ms %8.3f ms %7.2fx %13.1f %13.1f"
              % (n, w1 / 1e3, c1 / 1e3, w2 / 1e3, w1 / w2, w1 * 1e3 / (4 * n),
                 w2 * 1e3 / (4 * n)))
if 1000 in per_vehicle and 100000 in per_vehicle:
    print("cpu per vehicle-step, N=100,000 / N=1,000   %6.2f   (target <= 1.5)"
          % (per_vehicle[100000] / per_vehicle[1000]))
c = cpu("BM_DenseFiring/10000/1/real_time")
if c:
    print("10,000-vehicle firing, 1 thread, cpu %9.3f ms (target <= 5 ms)" % (c / 1e3))
for name, world in (("BM_DenseFiringParts/10000/manual_time", "10,000 dense"),
                    ("BM_DenseFiringParts/1000/manual_time", "1,000 dense"),
                    ("BM_FiringParts/1000/640/manual_time", "1,000 in 640x520")):
    if name in fastest and name in runs:
        b = fastest[name]
        st, pa = b["steps_alone"] * 1e6, b["pairs_alone"] * 1e6
        print("%16s: firing / (4 steps + 4 pair tests alone)  %6.2f   (target <= 1.1)"
              % (world, wall(name) / (st + pa)))
s, b = cpu("BM_StepCarried"), cpu("BM_InteractionBaselineCarried")
if s and b:
    print("1000 vehicles carrying lights: step / bare interactions %5.2f   (target <= 2)" % (s / b))

t, s = wall("BM_TrailFrame"), wall("BM_TrailFrameSegments")
if t:
    print("frame with 10 x 50,000-point trails   %9.3f ms wall%s"
          % (t / 1e3, "  (segment by segment: %.3f ms)" % (s / 1e3) if s else ""))
EOF
