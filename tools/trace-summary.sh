#!/usr/bin/env bash
# One CSV row per xtinkerbot-batch trace: the run's parameters, read from
# the trace's file name, and how near the vehicles stayed to the lights.
#
#   tools/trace-summary.sh [-p NAME,NAME...] [-l X,Y]... TRACE...
#
# -p  names the parameters in the file name: with -p wiring,seed the trace
#     runs/v2a_7.csv gives wiring v2a and seed 7 (directory and extension
#     dropped, the rest split at "_").  Without -p, one column "run" holds
#     the whole name.
# -l  a light's position, repeatable; default the catalogue's l2a and l2b,
#     (-250,0) and (250,0).  Lights carried by vehicles are not counted.
#
# Columns after the parameters: vehicles, samples (per vehicle), and
# mean_distance: each vehicle's mean distance to its nearest light over
# the samples of the run, averaged over the vehicles.
set -euo pipefail

usage() {
  echo "usage: $0 [-p NAME,NAME...] [-l X,Y]... TRACE..." >&2
  exit 2
}

params=run
lights=()
while getopts "p:l:" opt; do
  case $opt in
    p) params=$OPTARG ;;
    l) lights+=("$OPTARG") ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || usage
[ ${#lights[@]} -gt 0 ] || lights=(-250,0 250,0)
for light in "${lights[@]}"; do
  [[ $light =~ ^-?[0-9.]+(e-?[0-9]+)?,-?[0-9.]+(e-?[0-9]+)?$ ]] \
    || { echo "$0: bad light position \`$light' (want X,Y)" >&2; exit 2; }
done

for trace in "$@"; do
  [ -r "$trace" ] || { echo "$0: cannot read \`$trace'" >&2; exit 1; }
done

# The file name of each trace, as parameter values; "run" keeps it whole.
names=()
for trace in "$@"; do
  name=$(basename "$trace")
  names+=("${name%.*}")
done

echo "$params,vehicles,samples,mean_distance"
i=0
for trace in "$@"; do
  name=${names[$i]}
  i=$((i + 1))
  if [ "$params" = run ]; then
    values=$name
  else
    values=${name//_/,}
    want=$(awk -F, '{ print NF }' <<<"$params")
    have=$(awk -F, '{ print NF }' <<<"$values")
    [ "$want" = "$have" ] || {
      echo "$0: \`$trace' names $have parameters, -p names $want" >&2
      exit 1
    }
  fi
  awk -F, -v values="$values" -v lights="${lights[*]}" '
    BEGIN {
      nl = split(lights, l, " ")
      for (k = 1; k <= nl; k++) { split(l[k], p, ","); lx[k] = p[1] + 0; ly[k] = p[2] + 0 }
    }
    { sub(/\r$/, "") }
    FNR == 1 {
      for (c = 1; c <= NF; c++) col[$c] = c
      if (!("x" in col) || !("y" in col) || !("index" in col)) {
        print FILENAME ": not a trace (no index, x and y columns)" > "/dev/stderr"
        bad = 1
        exit 1
      }
      next
    }
    {
      x = $col["x"]; y = $col["y"]; v = $col["index"]
      best = -1
      for (k = 1; k <= nl; k++) {
        d = sqrt((x - lx[k]) ^ 2 + (y - ly[k]) ^ 2)
        if (best < 0 || d < best) best = d
      }
      if (!(v in n)) vehicles++
      sum[v] += best; n[v]++
    }
    END {
      if (bad) exit 1
      total = 0; samples = 0
      for (v in n) { total += sum[v] / n[v]; samples = n[v] }
      mean = vehicles > 0 ? sprintf("%.6g", total / vehicles) : ""
      printf "%s,%d,%d,%s\n", values, vehicles, samples, mean
    }' "$trace"
done
