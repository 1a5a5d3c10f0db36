# A full disk for every output (each file may hold 500 bytes): each failed
# file is named, the old print file stays whole.
echo 'old content' >print.txt
answers print.txt 'y\nplot.txt\ny\nyear.txt\n' >answers
keep print.txt answers
trap '' XFSZ
prlimit --fsize=500 "$SKALDUR" <answers >/dev/null 2>console.err
echo "status $?"; cat console.err plot.txt year.txt
#> status 1
#> skaldur: cannot write plot.txt: File too large
#> skaldur: cannot write print.txt: File too large
#> skaldur: cannot write year.txt: File too large
#> files: answers console.err plot.txt print.txt series.txt year.txt
