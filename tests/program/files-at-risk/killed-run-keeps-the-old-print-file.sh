# Killed after the summary is made, while question 13 waits: the old print
# file is whole, its successor left aside.
echo 'old content' >print.txt
keep print.txt
mkfifo in
"$SKALDUR" <in >console.out 2>console.err &
pid=$!
exec 3>in
answers print.txt '' >&3
while ! grep -qs 'Cycle Histogram' console.out; do sleep 0.01; done
kill -9 $pid; wait $pid 2>/dev/null; echo "status $?"
grep -c 'per Year .* 7.52512E-04' console.out
#> status 137
#> 1
#> files: .print.txt.tmp console.err console.out in print.txt series.txt
