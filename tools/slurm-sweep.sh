#!/usr/bin/env bash
# One run of the wiring x seed sweep per task of a Slurm job array: the
# README's GNU parallel sweep, on a cluster.  Submit from the source tree
# after building:
#
#   mkdir -p runs && sbatch tools/slurm-sweep.sh
#   tools/trace-summary.sh -p wiring,seed runs/*.csv >summary.csv   # when all are done
#
# Task N (0 to 29) runs wiring N / 10 of the list below with seed N % 10 + 1,
# writing runs/WIRING_SEED.csv and runs/WIRING_SEED.eps.  Run by hand with
# SLURM_ARRAY_TASK_ID=N it does the same, so it can be tried without Slurm.
# XT_BATCH names the runner (default build/xtinkerbot-batch), XT_RUNS the
# directory (default runs).
#SBATCH --job-name=xtinkerbot-sweep
#SBATCH --array=0-29
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
#SBATCH --time=00:10:00
#SBATCH --output=runs/slurm-%A_%a.log
set -euo pipefail

wirings=(v2a v2b v3a)
seeds=10
task=${SLURM_ARRAY_TASK_ID:?run it as a Slurm array task, or set SLURM_ARRAY_TASK_ID}
case $task in
  ''|*[!0-9]*) echo "$0: bad task id \`$task'" >&2; exit 2 ;;
esac
[ "$task" -lt $((${#wirings[@]} * seeds)) ] || { echo "$0: task $task is past the grid" >&2; exit 2; }

wiring=${wirings[$((task / seeds))]}
seed=$((task % seeds + 1))
batch=${XT_BATCH:-build/xtinkerbot-batch}
runs=${XT_RUNS:-runs}
mkdir -p "$runs"
exec "$batch" -n 2000 -seed "$seed" -trace "$runs/${wiring}_$seed.csv" -o "$runs/${wiring}_$seed.eps" \
  "$wiring" "$wiring" "$wiring" "$wiring" l2a l2b
