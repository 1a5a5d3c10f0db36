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
