#!/usr/bin/env bash
# Generates the example's records into a scratch copy of examples/ and runs
# its job: every hotspot (four of their own and the joint's eight points) gets
# a row, every load case and block its rows, and the run ends with status 0.
set -euo pipefail
src=$1
work=$2
rm -rf "$work" && mkdir -p "$work"
cp -r "$src/examples/batch" "$src/examples/class-d-seawater.sn" "$work/"
"$work/batch/make-records"
"$SKALDUR_BATCH_EXE" run "$work/batch/job.toml" --quiet
out=$work/batch/job.out
[ "$(wc -l <"$out/summary.csv")" -eq 13 ]
[ "$(wc -l <"$out/damage.csv")" -eq 73 ]
[ "$(grep -c ',ok$' "$out/damage.csv")" -eq 72 ]
[ "$(wc -l <"$out/histograms.csv")" -gt 72 ]
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

# The job asking for a matrix, DELs and the equivalent range, with the ends
# kept, the residue repeated and exact damage: two workers, and three shards
# merged, give the unsharded run's files byte for byte, the new ones too.
cycles=$work/batch/cycles.toml
{
  printf 'ends = "keep"\nresidue = "repeated"\ndamage = "exact"\n'
  cat "$JOB"
  printf '\n[outputs]\nmatrix = { kind = "range-mean", range_bin = 5.0, mean_bin = 10.0 }\n'
  printf 'del = { m = [3, 4, 5], f_eq = 1.0 }\nequivalent_range = {}\n'
} >"$cycles"
c=$work/batch/cycles.out
"$SKALDUR_BATCH_EXE" run "$cycles" --quiet --jobs 1
"$SKALDUR_BATCH_EXE" run "$cycles" --quiet --jobs 2 --out "$work/c2"
seq 1 3 | xargs -P 2 -I{} "$SKALDUR_BATCH_EXE" run "$cycles" --shard {}/3 --jobs 1 --quiet --out "$work/c/shard-{}"
"$SKALDUR_BATCH_EXE" merge "$work"/c/shard-* --out "$work/c" >/dev/null
for f in summary.csv damage.csv histograms.csv matrix.csv del.csv summary.json; do
  cmp "$c/$f" "$work/c2/$f"
  cmp "$c/$f" "$work/c/$f"
done
head -1 "$c/summary.csv" | grep -q ',governing_share,equivalent_range$'
[ "$(wc -l <"$c/del.csv")" -eq $((1 + 12 * 7 * 3)) ]
# Each hotspot's year rows hold as many cycles as its load cases' rows (half
# cycles and whole ones add up exactly).
awk -F, 'NR > 1 { if ($2 == "year") y[$1] += $7; else l[$1] += $7 }
  END { for (h in l) if (l[h] != y[h] || l[h] == 0) exit 1; if (length(l) != 12) exit 1 }' "$c/matrix.csv"
