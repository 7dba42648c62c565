#!/usr/bin/env bash
# Draws, from one xtinkerbot-batch trace, each vehicle's distance to its
# nearest light against the world steps of the run, as a PNG (gnuplot).
#
#   tools/trace-plot.sh [-l X,Y]... TRACE OUTPUT.png
#
# -l  a light's position, repeatable; default the catalogue's l2a and l2b,
#     (-250,0) and (250,0).
set -euo pipefail

usage() {
  echo "usage: $0 [-l X,Y]... TRACE OUTPUT.png" >&2
  exit 2
}

lights=()
while getopts "l:" opt; do
  case $opt in
    l) lights+=("$OPTARG") ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -eq 2 ] || usage
trace=$1
out=$2
[ ${#lights[@]} -gt 0 ] || lights=(-250,0 250,0)
for light in "${lights[@]}"; do
  [[ $light =~ ^-?[0-9.]+(e-?[0-9]+)?,-?[0-9.]+(e-?[0-9]+)?$ ]] \
    || { echo "$0: bad light position \`$light' (want X,Y)" >&2; exit 2; }
done
[ -r "$trace" ] || { echo "$0: cannot read \`$trace'" >&2; exit 1; }
command -v gnuplot >/dev/null || { echo "$0: gnuplot is not installed" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# "index step distance body" per row, then one gnuplot data block per
# vehicle (blocks are separated by two blank lines), in index order.
awk -F, -v lights="${lights[*]}" '
  BEGIN {
    nl = split(lights, l, " ")
    for (k = 1; k <= nl; k++) { split(l[k], p, ","); lx[k] = p[1] + 0; ly[k] = p[2] + 0 }
  }
  { sub(/\r$/, "") }
  FNR == 1 {
    for (c = 1; c <= NF; c++) col[$c] = c
    if (!("x" in col) || !("step" in col) || !("index" in col)) {
      print FILENAME ": not a trace (no index, step, x and y columns)" > "/dev/stderr"
      exit 1
    }
    next
  }
  {
    x = $col["x"]; y = $col["y"]
    best = -1
    for (k = 1; k <= nl; k++) {
      d = sqrt((x - lx[k]) ^ 2 + (y - ly[k]) ^ 2)
      if (best < 0 || d < best) best = d
    }
    print $col["index"], $col["step"], best, $col["body"]
  }' "$trace" | sort -s -n -k1,1 >"$tmp/rows"
[ -s "$tmp/rows" ] || { echo "$0: \`$trace' has no vehicle rows" >&2; exit 1; }

awk 'NR > 1 && $1 != last { printf "\n\n" } { print $2, $3; last = $1 }' "$tmp/rows" >"$tmp/data"
# One title per block, the vehicle's index and catalogue name ("3:v2b"),
# separated by spaces for gnuplot's word().
titles=$(awk 'NR == 1 || $1 != last { printf "%s%s:%s", sep, $1, $4; sep = " "; last = $1 }' "$tmp/rows")
blocks=$(awk 'NR == 1 || $1 != last { n++; last = $1 } END { print n }' "$tmp/rows")

gnuplot <<PLOT
set terminal pngcairo size 800,480 font ",10"
set output "$out"
set xlabel "world steps"
set ylabel "distance to the nearest light"
set key outside right top
set grid
set logscale y
titles = "$titles"
plot for [i=0:$blocks-1] "$tmp/data" index i using 1:2 with lines lw 1.5 title word(titles, i + 1)
PLOT
[ -s "$out" ] || { echo "$0: gnuplot wrote nothing to \`$out'" >&2; exit 1; }
