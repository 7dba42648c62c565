# Sweeps and plots with the ordinary tools, as the README shows them: the
# wiring x seed grid under GNU parallel (one trace and one picture per run,
# reruns byte for byte), its summary by tools/trace-summary.sh, the same
# run as a Slurm array task by tools/slurm-sweep.sh, and the distance plot
# of tools/trace-plot.sh.  No X server.
#
#     bash sweep_test.sh /path/to/xtinkerbot
XT_NO_SERVER=1
. "$(dirname "$0")/common.sh"
xt_use_batch
bindir=$(dirname "$XT_BIN")
tools=${XT_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}/tools

xt_require parallel gnuplot
# The README's commands run in a tree with build/ and tools/ side by side.
mkdir -p "$XT_TMP/tree/build"
ln -s "$bindir/xtinkerbot-batch" "$XT_TMP/tree/build/xtinkerbot-batch"
ln -s "$tools" "$XT_TMP/tree/tools"

# sweep DIR: the README's grid, 3 wirings x 10 seeds, two at a time.
sweep() {
  (cd "$XT_TMP/tree" && mkdir -p "$1" && parallel -j2 --halt now,fail=1 \
    "build/xtinkerbot-batch -n 2000 -seed {2} -trace $1/{1}_{2}.csv -o $1/{1}_{2}.eps {1} {1} {1} {1} l2a l2b" \
    ::: v2a v2b v3a ::: $(seq 10)) >"$XT_TMP/parallel.log" 2>&1
}

# --- the grid: one trace and one picture per run, named from the parameters
sweep runs || xt_failed "parallel: $(tail -n 5 "$XT_TMP/parallel.log")"
[ "$(ls "$XT_TMP/tree/runs"/*.csv | wc -l)" -eq 30 ] || xt_failed "not 30 traces: $(ls "$XT_TMP/tree/runs" | head)"
[ "$(ls "$XT_TMP/tree/runs"/*.eps | wc -l)" -eq 30 ] || xt_failed "not 30 pictures"
[ -s "$XT_TMP/tree/runs/v3a_10.csv" ] && [ -s "$XT_TMP/tree/runs/v3a_10.eps" ] || xt_failed "no v3a_10 run"
# Each trace: header, then 4 vehicles x (firing 0, every 6th to 1998, 2000).
for f in "$XT_TMP/tree/runs"/*.csv; do
  lines=$(wc -l <"$f")
  [ "$lines" -eq $((1 + 4 * 335)) ] || xt_failed "$(basename "$f"): $lines lines"
  body=$(basename "$f" | cut -d_ -f1)
  [ "$(tail -n +2 "$f" | cut -d, -f4 | sort -u)" = "$body" ] || xt_failed "$(basename "$f"): other bodies"
done
# Parallel order does not matter: a second sweep gives the same bytes.
sweep again || xt_failed "second sweep: $(tail -n 5 "$XT_TMP/parallel.log")"
for f in "$XT_TMP/tree/runs"/*; do
  cmp -s "$f" "$XT_TMP/tree/again/$(basename "$f")" || xt_failed "rerun differs: $(basename "$f")"
done
# Seeds make different runs.
cmp -s "$XT_TMP/tree/runs/v2a_1.csv" "$XT_TMP/tree/runs/v2a_2.csv" && xt_failed "seeds 1 and 2 gave one trace"

# --- the summary: one row per run, the parameters from the file names
(cd "$XT_TMP/tree" && tools/trace-summary.sh -p wiring,seed runs/*.csv >summary.csv 2>"$XT_STDERR") \
  || xt_failed "trace-summary: $(cat "$XT_STDERR")"
summary=$XT_TMP/tree/summary.csv
[ "$(head -n 1 "$summary")" = "wiring,seed,vehicles,samples,mean_distance" ] \
  || xt_failed "summary header: $(head -n 1 "$summary")"
[ "$(tail -n +2 "$summary" | wc -l)" -eq 30 ] || xt_failed "summary: not 30 rows"
[ "$(tail -n +2 "$summary" | cut -d, -f1,2 | sort -u | wc -l)" -eq 30 ] || xt_failed "summary: repeated runs"
awk -F, 'NR > 1 && !($3 == 4 && $4 == 335 && $5 > 0) { bad++ } END { exit bad > 0 }' "$summary" \
  || xt_failed "summary rows: $(sed -n 2,4p "$summary")"
# The measure itself, for a trace made by hand: vehicles at distance 3
# and 5 from the nearer light, then both at 1: means 2 and 3, mean 2.5.
printf 'firing,step,index,body,x,y\r\n0,0,0,v2a,-247,0\r\n0,0,1,v2a,250,5\r\n6,24,0,v2a,-250,1\r\n6,24,1,v2a,251,0\r\n' \
  >"$XT_TMP/v9_1.csv"
[ "$("$tools/trace-summary.sh" -p wiring,seed "$XT_TMP/v9_1.csv" | tail -n 1)" = "v9,1,2,2,2.5" ] \
  || xt_failed "summary of the hand-made trace: $("$tools/trace-summary.sh" -p wiring,seed "$XT_TMP/v9_1.csv")"
[ "$("$tools/trace-summary.sh" -l 0,0 "$XT_TMP/v9_1.csv" | tail -n 1)" = "v9_1,2,2,249.513" ] \
  || xt_failed "summary with -l 0,0: $("$tools/trace-summary.sh" -l 0,0 "$XT_TMP/v9_1.csv")"
"$tools/trace-summary.sh" -p a,b,c "$XT_TMP/v9_1.csv" >/dev/null 2>&1 && xt_failed "summary took 3 names for 2 values"
"$tools/trace-summary.sh" -l nowhere "$XT_TMP/v9_1.csv" >/dev/null 2>&1 && xt_failed "summary took a bad light"

# --- the same run as Slurm array task 13: v2b with seed 4
bash -n "$tools/slurm-sweep.sh" || xt_failed "slurm-sweep.sh: syntax"
(cd "$XT_TMP/tree" && SLURM_ARRAY_TASK_ID=13 XT_RUNS=slurm tools/slurm-sweep.sh >/dev/null 2>"$XT_STDERR") \
  || xt_failed "slurm-sweep.sh task 13: $(cat "$XT_STDERR")"
cmp -s "$XT_TMP/tree/slurm/v2b_4.csv" "$XT_TMP/tree/runs/v2b_4.csv" || xt_failed "Slurm task 13 is not the v2b_4 run"
cmp -s "$XT_TMP/tree/slurm/v2b_4.eps" "$XT_TMP/tree/runs/v2b_4.eps" || xt_failed "Slurm task 13: another picture"
(cd "$XT_TMP/tree" && SLURM_ARRAY_TASK_ID=30 tools/slurm-sweep.sh >/dev/null 2>&1) && xt_failed "task 30 ran"

# --- the plot: a non-empty PNG
(cd "$XT_TMP/tree" && tools/trace-plot.sh runs/v2b_4.csv plot.png 2>"$XT_STDERR") \
  || xt_failed "trace-plot: $(cat "$XT_STDERR")"
[ "$(head -c 8 "$XT_TMP/tree/plot.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] \
  || xt_failed "plot.png is no PNG"
[ "$(stat -c %s "$XT_TMP/tree/plot.png")" -gt 2000 ] || xt_failed "plot.png is nearly empty"
if command -v convert >/dev/null; then
  [ "$(convert "$XT_TMP/tree/plot.png" -format '%[fx:mean==1]' info:)" = 0 ] || xt_failed "plot.png is blank"
fi
"$tools/trace-plot.sh" "$XT_TMP/tree/summary.csv" "$XT_TMP/bad.png" >/dev/null 2>&1 && xt_failed "plotted a summary"

xt_finish "sweeps, summary and plot"
