# Runs at once on one print file: it always holds one run's summary.
seq 0 19999 | awk '{ print $1, ($1 % 2 ? 7 : 1) }' >long.txt
answers print.txt >a
answers print.txt 'n\nn\n' long.txt >b
keep long.txt a b
for r in a b; do run $r; tail -n +2 print.txt >ref.$r; done
cmp -s ref.a ref.b && echo same
for i in $(seq 20); do
  "$SKALDUR" <a >/dev/null & "$SKALDUR" <b >/dev/null; wait
  tail -n +2 print.txt >got; cmp -s got ref.a || cmp -s got ref.b || echo mixed
done
#> status 0
#> status 0
#> files: a b console.err console.out got long.txt print.txt ref.a ref.b series.txt
