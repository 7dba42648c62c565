# Sweeps and plots with the ordinary tools, as the README shows them: the
# wiring x seed grid under GNU parallel (one trace and one picture per run,
# reruns byte for byte), its summary by tools/trace-summary.sh, the same
# run as a Slurm array task by tools/slurm-sweep.sh, and the distance plot
# of tools/trace-plot.sh.  No X server.
#
#     bash sweep_test.sh /path/to/xtinkerbot
set -u
xt=${1:?usage: sweep_test.sh /path/to/xtinkerbot}
bindir=$(cd "$(dirname "$xt")" && pwd)
[ -x "$bindir/xtinkerbot-batch" ] || bindir=${XT_BUILD_DIR:-}
[ -x "$bindir/xtinkerbot-batch" ] || { echo "FAIL: no xtinkerbot-batch next to $xt"; exit 1; }
tools=${XT_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}/tools
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unset DISPLAY
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

for tool in parallel gnuplot; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
# The README's commands run in a tree with build/ and tools/ side by side.
mkdir -p "$tmp/tree/build"
ln -s "$bindir/xtinkerbot-batch" "$tmp/tree/build/xtinkerbot-batch"
ln -s "$tools" "$tmp/tree/tools"

# sweep DIR: the README's grid, 3 wirings x 10 seeds, two at a time.
sweep() {
  (cd "$tmp/tree" && mkdir -p "$1" && parallel -j2 --halt now,fail=1 \
    "build/xtinkerbot-batch -n 2000 -seed {2} -trace $1/{1}_{2}.csv -o $1/{1}_{2}.eps {1} {1} {1} {1} l2a l2b" \
    ::: v2a v2b v3a ::: $(seq 10)) >"$tmp/parallel.log" 2>&1
}

# --- the grid: one trace and one picture per run, named from the parameters
sweep runs || fail "parallel: $(tail -n 5 "$tmp/parallel.log")"
[ "$(ls "$tmp/tree/runs"/*.csv | wc -l)" -eq 30 ] || fail "not 30 traces: $(ls "$tmp/tree/runs" | head)"
[ "$(ls "$tmp/tree/runs"/*.eps | wc -l)" -eq 30 ] || fail "not 30 pictures"
[ -s "$tmp/tree/runs/v3a_10.csv" ] && [ -s "$tmp/tree/runs/v3a_10.eps" ] || fail "no v3a_10 run"
# Each trace: header, then 4 vehicles x (firing 0, every 6th to 1998, 2000).
for f in "$tmp/tree/runs"/*.csv; do
  lines=$(wc -l <"$f")
  [ "$lines" -eq $((1 + 4 * 335)) ] || fail "$(basename "$f"): $lines lines"
  body=$(basename "$f" | cut -d_ -f1)
  [ "$(tail -n +2 "$f" | cut -d, -f4 | sort -u)" = "$body" ] || fail "$(basename "$f"): other bodies"
done
# Parallel order does not matter: a second sweep gives the same bytes.
sweep again || fail "second sweep: $(tail -n 5 "$tmp/parallel.log")"
for f in "$tmp/tree/runs"/*; do
  cmp -s "$f" "$tmp/tree/again/$(basename "$f")" || fail "rerun differs: $(basename "$f")"
done
# Seeds make different runs.
cmp -s "$tmp/tree/runs/v2a_1.csv" "$tmp/tree/runs/v2a_2.csv" && fail "seeds 1 and 2 gave one trace"

# --- the summary: one row per run, the parameters from the file names
(cd "$tmp/tree" && tools/trace-summary.sh -p wiring,seed runs/*.csv >summary.csv 2>"$tmp/err") \
  || fail "trace-summary: $(cat "$tmp/err")"
summary=$tmp/tree/summary.csv
[ "$(head -n 1 "$summary")" = "wiring,seed,vehicles,samples,mean_distance" ] \
  || fail "summary header: $(head -n 1 "$summary")"
[ "$(tail -n +2 "$summary" | wc -l)" -eq 30 ] || fail "summary: not 30 rows"
[ "$(tail -n +2 "$summary" | cut -d, -f1,2 | sort -u | wc -l)" -eq 30 ] || fail "summary: repeated runs"
awk -F, 'NR > 1 && !($3 == 4 && $4 == 335 && $5 > 0) { bad++ } END { exit bad > 0 }' "$summary" \
  || fail "summary rows: $(sed -n 2,4p "$summary")"
# The measure itself, for a trace made by hand: vehicles at distance 3
# and 5 from the nearer light, then both at 1: means 2 and 3, mean 2.5.
printf 'firing,step,index,body,x,y\r\n0,0,0,v2a,-247,0\r\n0,0,1,v2a,250,5\r\n6,24,0,v2a,-250,1\r\n6,24,1,v2a,251,0\r\n' \
  >"$tmp/v9_1.csv"
[ "$("$tools/trace-summary.sh" -p wiring,seed "$tmp/v9_1.csv" | tail -n 1)" = "v9,1,2,2,2.5" ] \
  || fail "summary of the hand-made trace: $("$tools/trace-summary.sh" -p wiring,seed "$tmp/v9_1.csv")"
[ "$("$tools/trace-summary.sh" -l 0,0 "$tmp/v9_1.csv" | tail -n 1)" = "v9_1,2,2,249.513" ] \
  || fail "summary with -l 0,0: $("$tools/trace-summary.sh" -l 0,0 "$tmp/v9_1.csv")"
"$tools/trace-summary.sh" -p a,b,c "$tmp/v9_1.csv" >/dev/null 2>&1 && fail "summary took 3 names for 2 values"
"$tools/trace-summary.sh" -l nowhere "$tmp/v9_1.csv" >/dev/null 2>&1 && fail "summary took a bad light"

# --- the same run as Slurm array task 13: v2b with seed 4
bash -n "$tools/slurm-sweep.sh" || fail "slurm-sweep.sh: syntax"
(cd "$tmp/tree" && SLURM_ARRAY_TASK_ID=13 XT_RUNS=slurm tools/slurm-sweep.sh >/dev/null 2>"$tmp/err") \
  || fail "slurm-sweep.sh task 13: $(cat "$tmp/err")"
cmp -s "$tmp/tree/slurm/v2b_4.csv" "$tmp/tree/runs/v2b_4.csv" || fail "Slurm task 13 is not the v2b_4 run"
cmp -s "$tmp/tree/slurm/v2b_4.eps" "$tmp/tree/runs/v2b_4.eps" || fail "Slurm task 13: another picture"
(cd "$tmp/tree" && SLURM_ARRAY_TASK_ID=30 tools/slurm-sweep.sh >/dev/null 2>&1) && fail "task 30 ran"

# --- the plot: a non-empty PNG
(cd "$tmp/tree" && tools/trace-plot.sh runs/v2b_4.csv plot.png 2>"$tmp/err") \
  || fail "trace-plot: $(cat "$tmp/err")"
[ "$(head -c 8 "$tmp/tree/plot.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] \
  || fail "plot.png is no PNG"
[ "$(stat -c %s "$tmp/tree/plot.png")" -gt 2000 ] || fail "plot.png is nearly empty"
if command -v convert >/dev/null; then
  [ "$(convert "$tmp/tree/plot.png" -format '%[fx:mean==1]' info:)" = 0 ] || fail "plot.png is blank"
fi
"$tools/trace-plot.sh" "$tmp/tree/summary.csv" "$tmp/bad.png" >/dev/null 2>&1 && fail "plotted a summary"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "PASS: sweeps, summary and plot"
