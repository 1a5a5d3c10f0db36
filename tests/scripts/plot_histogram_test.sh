#!/usr/bin/env bash
# Tests of scripts/plot-histogram on the worked example's plot and
# cycles-per-year files as the program writes them (tests/program/golden).
# Usage: plot_histogram_test.sh SCRIPT GOLDEN_DIR
# Exit status 0 all passed, 1 a check failed, 77 gnuplot is not installed.
set -uo pipefail
script=$1
golden=$2
if ! command -v gnuplot >/dev/null 2>&1; then
  echo "SKIP: gnuplot is not installed (apt-get install -y gnuplot-nox)"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/plot-histogram-test.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
cd "$work"

failures=0
# verdict NAME STATUS [DETAIL]: reports a check that passed (STATUS 0) or failed.
verdict() {
  if (($2 == 0)); then printf 'ok    %s\n' "$1"; else
    printf 'FAIL  %s %s\n' "$1" "${3:-}"
    failures=$((failures + 1))
  fi
}

# Six blocks of 1.01 MPa; in tiny.txt the counts of 1 are 5e-101, written in
# the form a three-digit exponent takes, without "E".
cp "$golden/worked.plot" plot.txt
cp "$golden/worked.cycles-per-year" year.txt
sed 's/1\.00000E+00$/5.00000-101/' plot.txt >tiny.txt
sed 's/$/\r/' year.txt >year-crlf.txt

# expect_points NAME EXPECTED ARGS...: --print-points writes EXPECTED, its
# lines joined by "|".
expect_points() {
  local got
  got=$("$script" --print-points "${@:3}" 2>&1 | paste -sd'|')
  [[ $got == "$2" ]]
  verdict "$1" $? "got '$got'"
}
# The outline of both files: blocks 2, 4 and 6 hold COUNT, every block is
# 1.01 MPa wide; counts of 0 drawn at BOTTOM.
outline() {
  sed "s/C/$1/g; s/ 0\(|\|\$\)/ ${2:-0}\1/g" <<<"0 0|0 0|1.01 0|1.01 C|2.02 C|2.02 0|3.03 0|3.03 C|4.04 C|4.04 0|5.05 0|5.05 C|6.06 C|6.06 0"
}
expect_points "plot file: its rows as written, a count without E read" \
  "# plot, 14 data rows|$(outline 5e-101)" tiny.txt
expect_points "--log: counts of zero drawn at the power of ten below the smallest count" \
  "# plot, 14 data rows|$(outline 5e-101 1e-101)" --log tiny.txt
expect_points "cycles-per-year file: one step per block, up to its row's x" \
  "# cycles-per-year, 6 data rows|$(outline 3942000)" year.txt
expect_points "--log, a cycles-per-year file" \
  "# cycles-per-year, 6 data rows|$(outline 3942000 1000000)" --log year.txt
expect_points "lines ending in CR LF read like LF" "$("$script" --print-points year.txt | paste -sd'|')" year-crlf.txt

# pixels FILE: "PIXELS COLOURED", all pixels of the PNG and those that are not a
# shade of grey, decoded by gnuplot.
pixels() {
  gnuplot -c /dev/stdin "$1" "$work/pixels.txt" <<<'set table ARG2; plot ARG1 binary filetype=png with rgbimage'
  awk '!/^#/ && NF >= 5 { n++; if ($3 != $4 || $4 != $5) c++ } END { print n, c + 0 }' "$work/pixels.txt"
}

# picture NAME BASENAME TEXT...: BASENAME.png is a 900x500 PNG with at least 2 %
# of its pixels in the histogram's colours, BASENAME.svg an SVG drawing of the
# outline that shows every TEXT.
picture() {
  local header n coloured text missing=""
  header=$(od -An -tx1 -N24 "$2.png" | tr -d ' \n')
  read -r n coloured <<<"$(pixels "$2.png")"
  for text in "${@:3}"; do grep -qF -- "$text" "$2.svg" || missing+=" '$text'"; done
  [[ $header == 89504e470d0a1a0a0000000d4948445200000384000001f4 && -z $missing ]] &&
    ((n == 450000 && coloured * 50 >= n)) && grep -q "<path stroke='rgb(  8,  81, 156)'" "$2.svg"
  verdict "$1: PNG and SVG drawn" $? "(PNG header $header, $coloured of $n pixels coloured, missing:$missing)"
}

"$script" plot.txt >/dev/null
picture "plot file" plot "Cycle histogram: plot.txt" "4 cycles" "6 blocks of 1.010 MPa" \
  "stress range 6.060 MPa" "run of YYYY-MM-DD hh:mm:ss"
"$script" --log --out year-log year.txt >/dev/null
picture "cycles-per-year file, --log" year-log "Cycles per year: year.txt" \
  "15768000 cycles per year" "6 blocks of 1.01000 MPa" "stress range 6.06000 MPa"

# A name with blanks, quotes and shell and gnuplot syntax: the pictures get
# the default name beside it and nothing in the name is run.
odd="it's a \"plot\" & <b> \$(touch injected) \`touch injected\`; x.txt"
cp plot.txt "$odd"
"$script" "$odd" >/dev/null
picture "odd file name" "${odd%.txt}" "Cycle histogram: $(sed 's/&/\&amp;/g; s/</\&lt;/g' <<<"$odd")"
[[ ! -e injected ]]
verdict "odd file name: nothing in the name was run" $?

# Every count zero, as after a series without a swing: drawn without the
# histogram's colours, also with --log.
printf '%s\n' "# Number of Cycles      :            0" "# Number of Stressblocks:            0" \
  "    0.00000E+00    0.00000E+00" "    0.00000E+00    0.00000E+00" >constant.plot
for options in "" --log; do
  rm -f constant.png
  "$script" $options constant.plot >/dev/null
  read -r n coloured <<<"$(pixels constant.png)"
  ((n == 450000 && coloured * 200 < n))
  verdict "all counts zero ${options}: drawn, histogram empty" $? "($coloured coloured)"
done

# expect_refusal NAME MESSAGE ARGS...: exit 2, MESSAGE on standard error, no picture.
expect_refusal() {
  local status=0
  rm -f -- *.png *.svg
  "$script" "${@:3}" >/dev/null 2>err.txt || status=$?
  ((status == 2)) && grep -qF -- "$2" err.txt && ! compgen -G '*.[ps][nv]g' >/dev/null
  verdict "refused, $1" $? "(exit $status: $(cat err.txt))"
}
echo "Just some notes." >notes.txt
head -n 14 year.txt >year-empty.txt
{ head -n 6 plot.txt && echo "    1.01000E+00    ***************"; } >plot-stars.txt
expect_refusal "no FILE" "expected exactly one FILE"
expect_refusal "two FILEs" "expected exactly one FILE" plot.txt year.txt
expect_refusal "unknown option" "unknown option '--logarithmic'" --logarithmic plot.txt
expect_refusal "missing file" "no such file: missing.txt" missing.txt
expect_refusal "a folder" "not a regular file" .
expect_refusal "neither kind" "neither a cycle-histogram plot file nor a cycles-per-year file" notes.txt
expect_refusal "no data rows" "no data rows" year-empty.txt
expect_refusal "a row that is not two numbers" "line 7 is not a row of two numbers" plot-stars.txt
expect_refusal "missing folder for the pictures" "no such folder" --out no/such/folder/x plot.txt

# Without gnuplot on PATH: exit 3 with the command that installs it, no picture.
mkdir bin
for tool in bash awk mktemp rm cat; do ln -s "$(command -v "$tool")" "bin/$tool"; done
rm -f -- *.png *.svg
status=0
PATH=$work/bin "$work/bin/bash" "$script" plot.txt >/dev/null 2>err.txt || status=$?
((status == 3)) && grep -qF "apt-get install -y gnuplot-nox" err.txt && ! compgen -G '*.png' >/dev/null
verdict "gnuplot missing: exit 3 with the install command" $? "(exit $status: $(cat err.txt))"

((failures == 0)) || { echo "$failures check(s) failed" && exit 1; }
echo "all checks passed"
