#!/usr/bin/env bash
# Tests of scripts/plot-histogram.
# Usage: plot_histogram_test.sh SCRIPT SKALDUR EXAMPLES_DIR
# Exit status 0 all passed, 1 a check failed, 77 gnuplot is not installed.
set -euo pipefail

script=$1
skaldur=$2
examples=$3

if ! command -v gnuplot >/dev/null 2>&1; then
  echo "SKIP: gnuplot is not installed (apt-get install -y gnuplot-nox)"
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/plot-histogram-test.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
cd "$work"

failures=0
pass() { printf 'ok    %s\n' "$1"; }
flunk() {
  printf 'FAIL  %s\n' "$1"
  failures=$((failures + 1))
}

# ---- inputs -----------------------------------------------------------------

# Two blocks of 1.5 MPa holding 3 and 0.5 cycles; the second count written in
# the three-digit exponent form without "E" to check that form is read.
write_plot_file() {
  printf '%s\n' \
    "# Date : 2026-12-05 18:08:43                    " \
    "# Number of Cycles      :            3" \
    "# Number of Stressblocks:            2" \
    "# Block Length    [MPa] :        1.500" \
    "# TS Stress range [MPa] :        3.000" \
    "    0.00000E+00    0.00000E+00" \
    "    0.00000E+00    3.00000E+00" \
    "    1.50000E+00    3.00000E+00" \
    "    1.50000E+00    5.00000-101" \
    "    3.00000E+00    5.00000-101" \
    "    3.00000E+00    0.00000E+00" >"$1"
}

# The same blocks over a three-hour series: 2920 repetitions a year, and a
# third block without cycles.
write_cycles_per_year_file() {
  printf '%s\n' \
    "# Date : 2026-12-05 18:08:43                    " \
    "#           " \
    "# ==================================" \
    "# == Data refer to Cycles per Year =" \
    "# ----------------------------------" \
    "#           " \
    "# Number of Cycles      :         8760" \
    "# Number of Stressblocks:            3" \
    "# Block Length    [MPa] :     1.50000" \
    "# TS Stress range [MPa] :     4.50000" \
    "#           " \
    "# nBlocks    BlocLen    TSRange" \
    "       3     1.50000     4.50000" \
    "#           " \
    "    1.50000E+00    8.76000E+03" \
    "    3.00000E+00    1.46000E+03" \
    "    4.50000E+00    0.00000E+00" >"$1"
}

write_plot_file plot.txt
write_cycles_per_year_file year.txt

# ---- helpers ----------------------------------------------------------------

# png_size FILE: prints "WIDTH HEIGHT" from the IHDR chunk, or nothing when the
# file does not start with the PNG signature and an IHDR chunk.
png_size() {
  local bytes
  bytes=$(od -An -v -tu1 -N24 -- "$1" | tr -s ' \n' ' ')
  # shellcheck disable=SC2086
  set -- $bytes
  (($# == 24)) || return 0
  [[ "$1 $2 $3 $4 $5 $6 $7 $8" == "137 80 78 71 13 10 26 10" ]] || return 0
  [[ "${13} ${14} ${15} ${16}" == "73 72 68 82" ]] || return 0 # "IHDR"
  echo "$(((${17} << 24) | (${18} << 16) | (${19} << 8) | ${20})) $(((${21} << 24) | (${22} << 16) | (${23} << 8) | ${24}))"
}

# pixel_counts FILE: decodes the PNG (gnuplot reads it back through libgd) and
# prints "PIXELS NONWHITE COLOURED DISTINCT": all pixels, pixels that are not
# white, pixels that are not a shade of grey, and distinct colours.
pixel_counts() {
  gnuplot -c /dev/stdin "$1" "$work/pixels.txt" <<'EOF'
set table ARG2
plot ARG1 binary filetype=png with rgbimage
unset table
EOF
  awk '!/^#/ && NF >= 5 {
         n++
         if ($3 + $4 + $5 < 765) nonwhite++
         if ($3 != $4 || $4 != $5) coloured++
         if (!(($3 " " $4 " " $5) in seen)) { seen[$3 " " $4 " " $5] = 1; distinct++ }
       }
       END { printf "%d %d %d %d\n", n, nonwhite, coloured, distinct }' "$work/pixels.txt"
}

# check_picture NAME BASENAME MIN_COLOURED_PERMILLE TEXT...: the PNG is a valid
# 900x500 image drawn with more than a few colours, whose pixels of the
# histogram's colours make at least the given share; the SVG is an SVG
# drawing with the histogram outline and holds every TEXT.
check_picture() {
  local name=$1 base=$2 permille=$3
  shift 3
  local size bytes counts pixels nonwhite coloured distinct text
  if [[ ! -s $base.png || ! -s $base.svg ]]; then
    flunk "$name: $base.png and $base.svg written"
    return
  fi
  size=$(png_size "$base.png")
  if [[ $size == "900 500" ]]; then
    pass "$name: PNG signature and IHDR 900x500"
  else
    flunk "$name: PNG signature and IHDR 900x500 (got '${size:-not a PNG}')"
  fi
  bytes=$(wc -c <"$base.png")
  if ((bytes > 8000)); then
    pass "$name: PNG of $bytes bytes"
  else
    flunk "$name: PNG of only $bytes bytes"
  fi
  counts=$(pixel_counts "$base.png")
  read -r pixels nonwhite coloured distinct <<<"$counts"
  if ((pixels == 450000 && nonwhite > 2000 && distinct > 8 && coloured * 1000 >= pixels * permille)); then
    pass "$name: pixels drawn ($counts: all, non-white, coloured, distinct)"
  else
    flunk "$name: pixels drawn ($counts: all, non-white, coloured, distinct; wanted >= $permille permille coloured)"
  fi
  if head -c 200 "$base.svg" | grep -Eq '^(<\?xml|<svg)' && grep -q '</svg>' "$base.svg" &&
    grep -Eq "<path stroke='rgb\( *8, *81, *156\)'" "$base.svg"; then
    pass "$name: SVG document with the outline path"
  else
    flunk "$name: SVG document with the outline path"
  fi
  for text in "$@"; do
    if grep -qF -- "$text" "$base.svg"; then
      pass "$name: SVG shows '$text'"
    else
      flunk "$name: SVG shows '$text'"
    fi
  done
}

# expect_points NAME EXPECTED ARGS...: --print-points prints EXPECTED.
expect_points() {
  local name=$1 expected=$2 got
  shift 2
  if got=$("$script" --print-points "$@" 2>&1) && [[ $got == "$expected" ]]; then
    pass "$name"
  else
    flunk "$name"
    printf '  expected:\n%s\n  got:\n%s\n' "$expected" "$got"
  fi
}

# expect_refusal NAME STATUS MESSAGE ARGS...: exits with STATUS, says MESSAGE on
# standard error, and writes no picture.
expect_refusal() {
  local name=$1 status=$2 message=$3 rc=0
  shift 3
  rm -f -- *.png *.svg
  "$script" "$@" >out.txt 2>err.txt || rc=$?
  if ((rc == status)) && grep -qF -- "$message" err.txt && ! compgen -G '*.png' >/dev/null &&
    ! compgen -G '*.svg' >/dev/null; then
    pass "$name: exit $status, '$message'"
  else
    flunk "$name: wanted exit $status and '$message', got exit $rc and '$(cat err.txt)'"
  fi
}

# ---- the outline read from each kind of file ----------------------------------

expect_points "plot file: rows as written, exponent without E read" \
  "# plot, 6 data rows
0 0
0 3
1.5 3
1.5 5e-101
3 5e-101
3 0" plot.txt

expect_points "cycles-per-year file: one step per block ending at its row's x" \
  "# cycles-per-year, 3 data rows
0 0
0 8760
1.5 8760
1.5 1460
3 1460
3 0
4.5 0
4.5 0" year.txt

expect_points "--log: counts of zero drawn at the power of ten below the smallest count" \
  "# cycles-per-year, 3 data rows
0 1000
0 8760
1.5 8760
1.5 1460
3 1460
3 1000
4.5 1000
4.5 1000" --log year.txt

expect_points "--log: a count of 5e-101 keeps the bottom below it" \
  "# plot, 6 data rows
0 1e-101
0 3
1.5 3
1.5 5e-101
3 5e-101
3 1e-101" --log plot.txt

tr -d '\r' <year.txt | sed 's/$/\r/' >year-crlf.txt
expect_points "lines ending in CR LF read like LF" \
  "$("$script" --print-points year.txt)" year-crlf.txt

# ---- pictures -----------------------------------------------------------------

"$script" plot.txt >/dev/null
check_picture "plot file" plot 50 "Cycle histogram: plot.txt" "3 cycles" "2 blocks of 1.500 MPa" \
  "stress range 3.000 MPa" "2026-12-05 18:08:43" "Stress range [MPa]"

"$script" --log --out year-log year.txt >/dev/null
check_picture "cycles-per-year file, --log" year-log 50 "Cycles per year: year.txt" \
  "8760 cycles per year" "3 blocks of 1.50000 MPa" "stress range 4.50000 MPa" "2026-12-05 18:08:43"

# A name with blanks, quotes and shell and gnuplot syntax: the pictures get
# the default name beside it and nothing in the name is run.
odd="it's a \"plot\" & <b> \$(touch injected) \`touch injected\`; x.txt"
cp plot.txt "$odd"
"$script" "$odd" >/dev/null
check_picture "odd file name" "${odd%.txt}" 50 "Cycle histogram: $(sed 's/&/\&amp;/g; s/</\&lt;/g' <<<"$odd")"
if [[ ! -e injected ]]; then pass "odd file name: nothing in the name was run"; else flunk "odd file name: nothing in the name was run"; fi

# Every count zero, as after a series of constant value: a picture without
# the histogram's colours, also with --log.
printf '%s\n' "# Date : 2026-12-05 18:08:43" "# Number of Cycles      :            0" \
  "# Number of Stressblocks:            0" "# Block Length    [MPa] :        0.000" \
  "# TS Stress range [MPa] :        0.000" "    0.00000E+00    0.00000E+00" \
  "    0.00000E+00    0.00000E+00" >zero.txt
for opt in --linear --log; do
  options=()
  [[ $opt == --log ]] && options=(--log)
  rm -f zero.png zero.svg
  if "$script" "${options[@]}" zero.txt >/dev/null && read -r pixels _ coloured _ <<<"$(pixel_counts zero.png)" &&
    ((pixels == 450000 && coloured * 1000 < pixels * 5)); then
    pass "all counts zero, $opt: drawn, histogram empty ($coloured coloured pixels)"
  else
    flunk "all counts zero, $opt: drawn, histogram empty"
  fi
done

# ---- refusals -----------------------------------------------------------------

echo "Just some notes." >notes.txt
head -n 14 year.txt >year-empty.txt
{ head -n 6 plot.txt && echo "    1.50000E+00    ***************"; } >plot-stars.txt
expect_refusal "no FILE" 2 "expected exactly one FILE"
expect_refusal "two FILEs" 2 "expected exactly one FILE" plot.txt year.txt
expect_refusal "unknown option" 2 "unknown option '--logarithmic'" --logarithmic plot.txt
expect_refusal "missing file" 2 "no such file: missing.txt" missing.txt
expect_refusal "a folder" 2 "not a regular file" .
expect_refusal "neither kind" 2 "neither a cycle-histogram plot file nor a cycles-per-year file" notes.txt
expect_refusal "no data rows" 2 "no data rows" year-empty.txt
expect_refusal "a row that is not two numbers" 2 "line 7 is not a row of two numbers" plot-stars.txt
expect_refusal "missing folder for the pictures" 2 "no such folder" --out no/such/folder/x plot.txt

# Without gnuplot on PATH: a message naming the package, nothing installed.
mkdir bin
for tool in bash awk mktemp rm cat; do ln -s "$(command -v "$tool")" "bin/$tool"; done
rm -f -- *.png *.svg
rc=0
PATH=$work/bin "$work/bin/bash" "$script" plot.txt >out.txt 2>err.txt || rc=$?
if ((rc == 3)) && grep -qF "apt-get install -y gnuplot-nox" err.txt && ! compgen -G '*.png' >/dev/null; then
  pass "gnuplot missing: exit 3 with the install command"
else
  flunk "gnuplot missing: wanted exit 3 and the install command, got exit $rc and '$(cat err.txt)'"
fi

# ---- the bundled example, written by the program ------------------------------

mkdir run
ln -s "$examples" run/examples
if (cd run && "$skaldur" <examples/catalogue-run.answers >console.txt); then
  "$script" --out example-plot run/example-plot.txt >/dev/null
  "$script" --log --out example-year run/example-cycles-per-year.txt >/dev/null
  cycles=$(sed -n 's/^# Number of Cycles *: *//p' run/example-plot.txt)
  yearly=$(sed -n 's/^# Number of Cycles *: *//p' run/example-cycles-per-year.txt)
  blocks=$(sed -n 's/^# Number of Stressblocks *: *//p' run/example-plot.txt)
  check_picture "example plot file" example-plot 20 "$cycles cycles" "$blocks blocks of"
  check_picture "example cycles-per-year file, --log" example-year 20 "$yearly cycles per year"
  rows=$("$script" --print-points run/example-plot.txt | tail -n +2 | wc -l)
  if ((rows == 2 * blocks + 2)); then
    pass "example plot file: all $rows rows read"
  else
    flunk "example plot file: $rows rows read, wanted $((2 * blocks + 2))"
  fi
else
  flunk "the bundled example runs"
fi

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
