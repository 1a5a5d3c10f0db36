# A link is followed and stays a link; modes stay; a new file gets the usual
# mode; names lose their trailing blanks.
answers "print.txt$(printf '%300s')" 'y\nplot.txt\ny\nyear.txt\n' >answers
keep answers
umask 022
mkdir real && echo old >real/target && chmod 640 real/target
ln -s real/target print.txt
echo old >plot.txt && chmod 604 plot.txt
run; [ -L print.txt ] && echo link; tail -qn 1 real/target plot.txt
stat -c '%a %n' real/target plot.txt year.txt
#> status 0
#> link
#>  --------------- e o f ----------------
#>     6.06000E+00    0.00000E+00
#> 640 real/target
#> 604 plot.txt
#> 644 year.txt
#> files: answers console.err console.out plot.txt print.txt real series.txt year.txt
