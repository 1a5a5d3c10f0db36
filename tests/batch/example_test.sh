#!/usr/bin/env bash
# Generates the example's records into a scratch copy of examples/ and runs
# its job: every hotspot gets a row, every load case and block its rows, and
# the run ends with status 0.
set -euo pipefail
src=$1
work=$2
rm -rf "$work" && mkdir -p "$work"
cp -r "$src/examples/batch" "$src/examples/class-d-seawater.sn" "$work/"
"$work/batch/make-records"
"$SKALDUR_BATCH_EXE" run "$work/batch/job.toml" --quiet
out=$work/batch/job.out
[ "$(wc -l <"$out/summary.csv")" -eq 5 ]
[ "$(wc -l <"$out/damage.csv")" -eq 25 ]
[ "$(grep -c ',ok$' "$out/damage.csv")" -eq 24 ]
[ "$(wc -l <"$out/histograms.csv")" -gt 24 ]
grep -q '"program": "skaldur-batch"' "$out/summary.json"

# The Slurm scripts, with the array variables Slurm would set given by hand,
# and the same shards under xargs -P: both merge into the unsharded outputs.
export JOB=$work/batch/job.toml SHARDS=4 SKALDUR_BATCH=$SKALDUR_BATCH_EXE
export OUT=$work/slurm
for k in 1 2 3 4; do
  SLURM_ARRAY_TASK_ID=$k SLURM_CPUS_PER_TASK=1 bash "$src/examples/slurm/shard.sbatch"
done
bash "$src/examples/slurm/merge.sbatch" >/dev/null
seq 1 3 | xargs -P 2 -I{} "$SKALDUR_BATCH_EXE" run "$JOB" --shard {}/3 --jobs 1 --quiet --out "$work/x/shard-{}"
"$SKALDUR_BATCH_EXE" merge "$work"/x/shard-* --out "$work/x" >/dev/null
for f in summary.csv damage.csv histograms.csv summary.json; do
  cmp "$out/$f" "$OUT/$f"
  cmp "$out/$f" "$work/x/$f"
done
