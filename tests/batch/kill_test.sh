#!/usr/bin/env bash
# skaldur-batch writes its outputs whole or not at all: runs killed at random
# moments (reading, computing, writing) leave the previous complete outputs
# and at most hidden temporaries (.NAME.XXXXXX); two runs at once leave each
# file whole from one of them; a full disk fails with status 1, names the
# file and leaves the old one.
set -euo pipefail
shopt -s nullglob
src=$1
work=$2
rm -rf "$work" && mkdir -p "$work"
cp -r "$src/examples/batch" "$src/examples/class-d-seawater.sn" "$work/"
"$work/batch/make-records"
cd "$work/batch"
outputs=(summary.csv damage.csv histograms.csv summary.json)

# Twelve copies of the four hotspots: about 10 MB of outputs. Job b has other
# blocks, and so other bytes in every output.
sed '/^\[\[hotspot\]\]/,$d' job.toml >a.toml
for i in $(seq 12); do
  sed -n '/^\[\[hotspot\]\]/,$p' job.toml | sed "s/^name = \"/name = \"$i-/" >>a.toml
done
sed 's/^blocks = 500/blocks = 400/' a.toml >b.toml
run() { "$SKALDUR_BATCH_EXE" run "$1.toml" --quiet --jobs 2 --out "$2"; }
start=$(date +%s%N)
run a ref.a
span_ms=$((($(date +%s%N) - start) / 1000000 + 1))
run b ref.b

# check WHAT DIR REF...: every output in DIR equals the file of one REF
# folder, and anything else in DIR is a hidden temporary.
check() {
  local what=$1 dir=$2 f ref
  shift 2
  for f in "${outputs[@]}"; do
    for ref in "$@"; do cmp -s "$dir/$f" "$ref/$f" && continue 2; done
    echo "$what: $dir/$f is not one run's whole file" && exit 1
  done
  for f in "$dir"/* "$dir"/.*; do
    case ${f##*/} in
      . | .. | summary.csv | damage.csv | histograms.csv | summary.json) ;;
      .summary.csv.?????? | .damage.csv.?????? | .histograms.csv.?????? | .summary.json.??????) ;;
      *) echo "$what: $f is not an output"; exit 1 ;;
    esac
  done
}

cp -r ref.a out
kills=0
for ((i = 1; kills < 50 && i <= 100; i++)); do
  touch start
  "$SKALDUR_BATCH_EXE" run a.toml --quiet --jobs 2 --out out &
  pid=$!
  if ((i % 3 == 0)); then
    # While the outputs are written: up to 10 ms after summary.csv, the
    # first of them, is replaced.
    while read -r _ _ state _ 2>/dev/null <"/proc/$pid/stat" && [ "$state" != Z ] &&
      ! [ out/summary.csv -nt start ]; do :; done
    ms=$((RANDOM % 10))
  else
    ms=$((RANDOM % span_ms))
  fi
  sleep "$((ms / 1000)).$(printf %03d $((ms % 1000)))"
  ended=0
  { kill -KILL $pid || ended=1; wait $pid || true; } 2>/dev/null
  ((ended)) || kills=$((kills + 1))
  ((!ended || i % 3 == 0)) || span_ms=$((span_ms * 9 / 10 + 1))  # delays too long
  check "kill $i" out ref.a
done
[ $kills = 50 ] || { echo "only $kills of $((i - 1)) runs were killed before they ended"; exit 1; }
run a out
check "a run after the kills" out ref.a

for i in $(seq 5); do
  run a both &
  run b both
  wait $!
  check "two runs at once, $i" both ref.a ref.b
done
temps=(both/.*.??????)
[ ${#temps[@]} = 0 ] || { echo "two runs at once left ${temps[*]}"; exit 1; }

cp ref.b/* out/
before=(out/.*.??????)
status=0
(trap '' XFSZ && prlimit --fsize=200000 "$SKALDUR_BATCH_EXE" run a.toml --quiet --out out) 2>err ||
  status=$?
[ $status = 1 ] || { echo "full disk: status $status"; exit 1; }
grep -qx 'skaldur-batch: cannot write out/histograms.csv: File too large' err
check "full disk" out ref.a ref.b
cmp ref.b/histograms.csv out/histograms.csv
after=(out/.*.??????)
[ ${#after[@]} = ${#before[@]} ] || { echo "full disk left a temporary file"; exit 1; }
cd / && rm -rf "$work"  # the killed runs' temporaries weigh up to 10 MB each
echo "$kills kills, 5 runs at once and a full disk: outputs whole"
