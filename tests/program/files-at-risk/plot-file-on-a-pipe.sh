# A pipe is written directly.
answers print.txt 'y\n/dev/stdout\nn\n' >answers
keep answers
"$SKALDUR" <answers 2>console.err | sed -n '/Stressblocks/p;$p'
cat console.err
#> # Number of Stressblocks:          500
#>     6.06000E+00    0.00000E+00
#> files: answers console.err print.txt series.txt
