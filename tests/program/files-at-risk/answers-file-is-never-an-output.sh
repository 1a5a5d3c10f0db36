# The answers file is an input: never overwritten; questions 1, 14 and 16
# ask again and say why.
{ echo answers && answers print.txt 'y\nanswers\nout\ny\nanswers\nout\n'; } >answers
keep answers
run; cat console.err; grep -c 'Cannot [Oo]pen[ a-z]*:answers  *$' console.out
tail -n 1 print.txt; grep -c 'Data refer to Cycles per Year' out
#> status 0
#> skaldur: note: cannot open 'answers' (question 1): it is the console input of this run
#> skaldur: note: cannot open 'answers' (question 14): it is the console input of this run
#> skaldur: note: cannot open 'answers' (question 16): it is the console input of this run
#> 3
#>  --------------- e o f ----------------
#> 1
#> files: answers console.err console.out out print.txt series.txt
