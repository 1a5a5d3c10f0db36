// Runs the built program, as a user does, on scripted answers and input files,
// and checks its exit status, its console output and every file it leaves.
//
// Each row names its answers by question number (a question left out is not
// asked), the input files it changes from the worked example, the exit status
// and what the console and the files must show. Whatever the row, a run must
// end on its own within the time limit, a failed run says why on one plain
// line of standard error and leaves an existing print file as it was, and no
// run changes its input files. Notes ("skaldur: note: " lines) may come first
// where a row checks standard error, and nowhere else.
//
// The worked example: the series 3, 0, 5, 1, 4, 2, 6, 0, 3, one value a second.
// Its turning points 0, 5, 1, 4, 2, 6, 0 hold two cycles (ranges 2 and 4) and
// the residue 0, 6, 0: two half cycles of range 6, and 2 for its three points.
// In 6 blocks of 1.01 each that is one cycle in blocks 2, 4 and 6, four in all.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/temp_dir.hpp"

namespace skaldur {
namespace {

using namespace std::string_literals;
using testing::read_file;
using testing::TempDir;

constexpr int kTimeoutSeconds = 60;

#if defined(__SANITIZE_ADDRESS__)  // g++; the project's compiler
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

// ---------------------------------------------------------------------------
// Running the program

struct Outcome {
  int status = -1;  // 124 after the time limit, 128 + n after signal n
  std::string out;
  std::string err;
};

// How the program is started, in the shell: commands run before it in its
// folder, a limit on its address space and where its console output goes
// (console.out is what the checks read).
struct Launch {
  std::string before = "";
  int memory_kib = 0;  // 0: no limit
  std::string output = "> console.out";
};

// Runs the program (SKALDUR_EXE) in `dir` with `answers` in the file "answers".
Outcome run_program(const TempDir& dir, const std::string& answers, const Launch& launch = {}) {
  dir.write("answers", answers);
  const std::string limit =
      launch.memory_kib > 0 ? "ulimit -v " + std::to_string(launch.memory_kib) + " && " : "";
  const std::string command =
      "cd '" + dir.path().string() + "' && " + launch.before + limit + "{ timeout -k 5 " +
      std::to_string(kTimeoutSeconds) + " \"$SKALDUR_EXE\"" +
      " < answers 2> console.err; echo $? > console.status; } " + launch.output;
  static_cast<void>(std::system(command.c_str()));
  const std::string status = read_file(dir.file("console.status"));
  return {status.empty() ? -1 : std::stoi(status), read_file(dir.file("console.out")),
          read_file(dir.file("console.err"))};
}

// The text with the digits of each date stamp, which change from run to run, masked.
std::string mask_date(std::string text) {
  const std::string_view form = "0000-00-00 00:00:00";
  const auto fits = [](char c, char f) { return f == '0' ? c >= '0' && c <= '9' : c == f; };
  for (std::size_t at = text.find(" Date : "); at != std::string::npos;
       at = text.find(" Date : ", at + 1)) {
    const std::string_view stamp = std::string_view(text).substr(at + 8, form.size());
    if (std::equal(stamp.begin(), stamp.end(), form.begin(), form.end(), fits))
      text.replace(at + 8, form.size(), "YYYY-MM-DD hh:mm:ss");
  }
  return text;
}

// ---------------------------------------------------------------------------
// Answers

// One answer per question number; a question left out is not asked. An answer
// may hold several lines where the question is asked again.
using Answers = std::map<int, std::string>;

// A catalogue run: curve 48 (one segment, no break, no thickness correction),
// stresses in MPa, default window and blocks, no histogram files.
const Answers kCatalogue = {{1, "print.txt"}, {2, "series.txt"}, {3, ""},  {4, ""}, {5, "m"},
                            {6, ""},          {7, ""},           {8, ""},  {9, ""}, {10, "48"},
                            {12, ""},         {13, "n"},         {15, "n"}};

// `answers` with the given answers changed or added and the questions `dropped` left out.
Answers with(Answers answers, const Answers& changes, std::initializer_list<int> dropped = {}) {
  for (const auto& [question, answer] : changes)
    answers[question] = answer;
  for (int question : dropped)
    answers.erase(question);
  return answers;
}

// A definition-file run (curve.sn) in 6 blocks with both histogram files.
const Answers kDefinition = {{1, "print.txt"}, {2, "series.txt"}, {3, ""},         {4, ""},
                             {5, "m"},         {6, ""},           {7, ""},         {8, "6"},
                             {9, "n"},         {11, "curve.sn"},  {12, ""},        {13, "y"},
                             {14, "plot.txt"}, {15, "y"},         {16, "year.txt"}};

// The console input of `answers`, up to the answer of question `before` (not included).
std::string script(const Answers& answers, int before = 17) {
  std::string text;
  for (const auto& [question, answer] : answers)
    if (question < before) text += answer + "\n";
  return text;
}

// ---------------------------------------------------------------------------
// Rows

const std::string kSeries = "# worked example, MPa\n0 3\n1 0\n2 5\n3 1\n4 4\n5 2\n6 6\n7 0\n8 3\n";
const std::string kCurve = "' one segment, no break\nWorked example curve\n1 3 1\n12 3 0\n0\n";
const std::string kEof = " --------------- e o f ----------------\n";

enum class Is { has, lacks, ends, equals, missing };

// What one output must show: `where` is "out", "err" or the name of a file.
struct Check {
  std::string where;
  Is is;
  std::string text;
};

struct Row {
  std::string name;
  std::string answers;
  int status;
  std::vector<Check> checks;
  // Input files beside series.txt (the worked example) and curve.sn; a file of
  // the same name takes their place.
  std::vector<std::pair<std::string, std::string>> files = {};
  Launch launch = {};
};

// The line the console shows for the number of steps and the simulation length.
std::string steps(int n, const std::string& length) {
  const std::string count = std::to_string(n);
  return " Number of steps in Time Series:" + std::string(12 - count.size(), ' ') + count +
         "\n Simulation Length             :" + std::string(12 - length.size(), ' ') + length +
         "\n";
}

// A name as the messages about it show it: 256 characters.
std::string padded(const std::string& name) {
  return name + std::string(256 - name.size(), ' ');
}

// A file of the golden folder: expected output worked out from the rules.
std::string golden(const std::string& name) {
  return read_file(SKALDUR_GOLDEN_DIR "/" + name);
}

const std::string kQ1 = " Give output file for misc print   :  ";
const std::string kQ2 = " Give file containing Time Series  :  ";
const std::string kQ10 = " Specify SN-Curve number           :  ";
const std::string kQ11 = " Give file containing SN Curve     :  ";
const std::string kQ12 = " Specify Column to Use (def: col 2):  ";
const std::string kQ14 = " Specify File name for plot        :  ";
const std::string kQ16 = " Specify File for print of Cyc/Year:  ";

std::string selected(const std::string& name) {
  return "\n Selected SN-Curve             : " + name + "\n";
}

// Every value after the time repeated: `columns` - 1 columns of the worked example.
// Each value may end in `tail`.
std::string worked_series_in_columns(std::size_t columns, const std::string& tail = "") {
  std::string text;
  const std::string values = "305142603";
  for (std::size_t t = 0; t < values.size(); ++t) {
    text += std::to_string(t);
    for (std::size_t c = 1; c < columns; ++c)
      text.append(" ").append(1, values[t]).append(tail);
    text += '\n';
  }
  return text;
}

std::string crlf(std::string text) {
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
    text.insert(at, "\r");
  return text;
}

// Every row: worked by hand from the rules, then answers the dialogue takes,
// asks again for or refuses, runs that end early, and hostile input.
std::vector<Row> all_rows() {
  std::vector<Row> rows;
  // Rows whose expectations are worked by hand from the rules.
  // In Pa, with a definition file: the plot and cycles-per-year files show the
  // block length and range in MPa; " 2.5" begins with a blank, so SCF keeps its default.
  rows.push_back(
      {"WorkedExampleInPaWithDefinitionFile",
       script(with(kDefinition, {{5, ""}, {6, " 2.5"}})),
       0,
       {{"print.txt", Is::equals, golden("worked-definition-pa.print")},
        {"plot.txt", Is::equals, golden("worked.plot")},
        {"year.txt", Is::equals, golden("worked.cycles-per-year")}},
       {{"series.txt",
         "# worked example, Pa\n0 3e6\n1 0\n2 5e6\n3 1e6\n4 4e6\n5 2e6\n6 6e6\n7 0\n8 3e6\n"}}});
  // The same record ten seconds later, on curve 48 (LogA 12.18): the span runs
  // from the first line read, not from the window's start. "M" chooses MPa,
  // "+6" is a whole number.
  rows.push_back({"WorkedExampleOnCatalogueCurve",
                  script(with(kCatalogue, {{5, "M"}, {8, "+6"}, {13, "y"}, {14, "plot.txt"}})),
                  0,
                  {{"out", Is::equals, golden("worked-catalogue.console")},
                   {"print.txt", Is::equals, golden("worked-catalogue.print")},
                   {"plot.txt", Is::equals, golden("worked.plot")},
                   {"year.txt", Is::missing, ""}},
                  {{"series.txt",
                    "# ten seconds on\n10 3\n11 0\n12 5\n13 1\n14 4\n15 2\n16 6\n17 0\n18 3\n"}}});
  // A triangle wave 0 -> 8 -> 0 ten times between a leading and a trailing 1,
  // every value held for two samples (a quantised record), in MPa with 8
  // blocks on curve 6 (NORSOK D in air). The turning points are 0, 8, 0, ...,
  // 8, 0 (eleven 0s, ten 8s): the held 4s on the flanks are no turning points.
  // Pushing them closes nine cycles 8-0 and leaves the residue 0, 8, 0: two
  // half cycles, so 9 + 1 = 10 cycles of range 8 in block 8 (8 / 1.01 = 7.9)
  // and nCycles = 9 + 2 = 11. TSRange is 1.01f * 8 = 8.08, BlocLen 1.01;
  // block 8 is assessed at 7.5 * 1.01 = 7.575 MPa, below the knee of the
  // curve (52.64 MPa), so the damage is
  //   10 / (10^15.606 * 7.575^-5) = 6.17893E-11,
  // per year times 31 536 000 s over the span of 82 s.
  std::string wave = "0.0 1\n";
  for (int i = 0; i < 80; ++i)
    wave += std::to_string(i + 1) + ".0 " + "0484"[i / 2 % 4] + "\n";
  wave += "81.0 0\n82.0 1\n";
  const std::string results =
      " Computed Damage               :     6.17893E-11\n"
      " Computed Damage per Year      :     2.37633E-05\n";
  rows.push_back({"HeldValuesDoNotSplitCycles",
                  script(with(kCatalogue, {{8, "8"}, {10, "6"}, {13, "y"}, {14, "plot.txt"}})),
                  0,
                  {{"out", Is::has, steps(83, "82.000")},
                   {"out", Is::has, results},
                   {"print.txt", Is::has, results},
                   {"plot.txt", Is::equals, golden("held-values.plot")}},
                  {{"series.txt", wave}}});
  // 0, 10, 0, 10, 0 has three turning points: too few to count. The print file
  // holds the diagnostics only, and the console ends with the series lines.
  rows.push_back({"FailedCountLeavesOnlyItsDiagnostics",
                  script(kCatalogue),
                  1,
                  {{"err", Is::has, "print.txt"},
                   {"print.txt", Is::equals,
                    "\n  *** ERROR IN RAINFLW ***\n\n      Too short time series\n\n"
                    "  *** ERROR IN DMG02 ***\n      Error return from TSRAIN2 \n"},
                   {"out", Is::ends, steps(5, "4.000")}},
                  {{"series.txt", "0 0\n1 10\n2 0\n3 10\n4 0\n"}}});
  // Without a swing nothing is counted: no damage, the blocks asked, and every
  // block of the plot file empty.
  rows.push_back({"ConstantSeriesHasAnEmptyHistogram",
                  script(with(kCatalogue, {{8, "3"}, {13, "y"}, {14, "plot.txt"}})),
                  0,
                  {{"out", Is::has,
                    " Computed Damage               :     0.00000E+00\n"
                    " Computed Damage per Year      :     0.00000E+00\n"},
                   {"plot.txt", Is::equals, golden("constant.plot")}},
                  {{"series.txt", "0 5\n1 5\n2 5\n"}}});
  // -0.3 and 100000 held as floats (-0.30000001192..., 100000): 64 turning
  // points count 31 cycles and a residue of two points, 31.5 cycles in the one
  // block and 32 in all. The range, 1.01 x 100000.30000001192 in double
  // precision, is 101000.30205 (single precision would give 101000.29889).
  // Thirteen seconds repeat 2 425 846 times a year; 2425846 x 31.5 is
  // 76414149, held as the float 76414152: 7.64142E+07 (7.64141E+07 in double).
  rows.push_back({"CountsPerYearInSingleRangeInDoublePrecision",
                  script(with(kCatalogue, {{8, "1"}, {15, "y"}, {16, "year.txt"}})),
                  0,
                  {{"year.txt", Is::has,
                    "# Number of Cycles      :     77627072\n"
                    "# Number of Stressblocks:            1\n"
                    "# Block Length    [MPa] : 101000.30205\n"
                    "# TS Stress range [MPa] : 101000.30205\n"},
                   {"year.txt", Is::has, "#           \n    1.01000E+05    7.64142E+07\n"}},
                  {{"series.txt", [] {
                      std::string text = "0 50000\n";
                      for (int i = 0; i < 32; ++i)
                        text += "1 -0.3\n1 100000\n";
                      return text + "13 50000\n";
                    }()}}});

  // Answers the dialogue takes, asks again for or refuses.
  // Curve 48 on the worked example in 6 blocks.
  const std::string damage_48 = " Computed Damage               :     1.44737E-10\n";
  // Column 3 holds the worked example, column 2 a constant. Empty lines give
  // no number and no new prompt; only the first number counts.
  rows.push_back(
      {"CurveAndColumnOutOfRangeAreAskedAgain",
       script(
           with(kCatalogue, {{8, "6"}, {10, "\n  \n0\n51\n-7, 3\n\t\n48"}, {12, "4\n1\n-2\n3"}})),
       0,
       {{"out", Is::has,
         kQ10 + " Illegal SN-Curve :   0\n" + kQ10 + " Illegal SN-Curve :  51\n" + kQ10 +
             " Illegal SN-Curve :  -7\n" + kQ10 + selected("DNV     D   SEA_FREE   ")},
        {"out", Is::has,
         "\n         3 Columns found ...\n\n" + kQ12 + " Illegal Column   :   4\n" + kQ12 +
             " Illegal Column   :   1\n" + kQ12 + " Illegal Column   :  -2\n" + kQ12 +
             steps(9, "8.000") + damage_48}},
       {{"series.txt", "0 7 3\n1 7 0\n2 7 5\n3 7 1\n4 7 4\n5 7 2\n6 7 6\n7 7 0\n8 7 3\n"}}});
  // Nothing accepted: no column question, and the last time read counts. Only
  // the first number of an answer is read.
  rows.push_back({"WindowAfterTheLastLine",
                  script(with(kCatalogue, {{3, "20, 1"}}, {12})),
                  0,
                  {{"out", Is::has, selected("DNV     D   SEA_FREE   ") + steps(0, "10.000")}},
                  {{"series.txt", "0 0\n1 5\n2 0\n3 4\n4 1\n5 5\n6 0\n7 5\n8 0\n9 5\n10 0\n"}}});
  // Question 14 and 16 refuse the input files and the print file; the same
  // name twice: the cycles-per-year file takes the place of the plot file.
  rows.push_back(
      {"HistogramFilesRefuseInputsAndThePrintFile",
       script(with(kDefinition,
                   {{14, "series.txt\nprint.txt\nplot.txt"}, {16, "curve.sn\nplot.txt"}})),
       0,
       {{"out", Is::has,
         kQ14 + " Cannot open      :" + padded("series.txt") + "\n" + kQ14 +
             " Cannot open      :" + padded("print.txt") + "\n" + kQ14},
        {"out", Is::has, kQ16 + " Cannot open      :" + padded("curve.sn") + "\n" + kQ16},
        {"plot.txt", Is::equals, golden("worked.cycles-per-year")}}});
  // Names are read through 256 characters; empty names and folders do not open.
  rows.push_back(
      {"FilesThatDoNotOpenAreAskedAgain",
       script(with(kDefinition,
                   {{1, std::string(300, 'n') + "\nno/such/folder/print.txt\n\n.\nprint.txt"},
                    {2, "missing.txt\n.\nseries.txt"},
                    {11, "missing.sn\n.\ncurve.sn"}})),
       0,
       {{"out", Is::has,
         kQ1 + " Cannot Open file :" + std::string(256, 'n') + "\n" + kQ1 +
             " Cannot Open file :" + padded("no/such/folder/print.txt") + "\n" + kQ1 +
             " Cannot Open file :" + padded("") + "\n" + kQ1 + " Cannot Open file :" + padded(".") +
             "\n" + kQ1 + kQ2 + " Nonexisting file :" + padded("missing.txt") + "\n" + kQ2 +
             " Nonexisting file :" + padded(".") + "\n" + kQ2},
        {"out", Is::has,
         kQ11 + " Nonexisting file :" + padded("missing.sn") + "\n" + kQ11 +
             " Nonexisting file :" + padded(".") + "\n" + kQ11 + "\n"},
        {"err", Is::has,
         "skaldur: note: cannot open '" + std::string(200, 'n') +
             "...' (question 1): the name is longer than 256 characters\n"},
        {"err", Is::has, "skaldur: note: cannot open '.' (question 11): Is a directory\n"},
        {"missing.txt", Is::missing, ""}}});
  // Only a lower-case n chooses a definition file, only a lower-case y asks
  // for a histogram file.
  rows.push_back({"UpperCaseNAndYAreNo",
                  script(with(kCatalogue, {{9, "N"}, {10, "1"}, {13, "Y"}, {15, "Yes"}})),
                  0,
                  {{"out", Is::has, selected("NORSOK  B1  AIR        ")},
                   {"out", Is::lacks, kQ14},
                   {"out", Is::lacks, kQ16}}});
  // Every line at time 0: no span of time, so no yearly figures and no
  // question 16.
  rows.push_back({"NoSpanOfTimeHasNoYearlyFigures",
                  script(with(kCatalogue, {{15, "y"}})),
                  0,
                  {{"out", Is::has,
                    " Computed Damage per Year      :       undefined\n"
                    " Cycle Histogram plot data?    /n/ :   Store Cycle Histogram Data    /n/ : "
                    "  No cycles per year: simulation length below 0.5\n"},
                   {"print.txt", Is::has, " Computed Damage per Year      :       undefined\n"}},
                  {{"series.txt", "0 1\n0 9\n0 1\n0 9\n0 1\n0 9\n0 1\n0 9\n"}}});

  // Runs that end early: status 2 and one line naming the question or the line
  // for input that cannot be read, status 1 for output that cannot be written.
  // Control characters are shown as '?' in the message.
  const struct {
    const char* name;
    int question;
    std::string answer;
    std::string shown;
  } bad_answers[] = {
      {"WordAsFirstTime", 3, "abc", "'abc'"},
      {"RealAsBlocks", 8, "12.5", "'12.5'"},
      {"WordAsColumn", 12, "x", "'x'"},
      {"NulByteInAnswer", 3, "1\0"s, "'1?'"},
  };
  for (const auto& bad : bad_answers) {
    rows.push_back({bad.name,
                    script(with(kCatalogue, {{bad.question, bad.answer}})),
                    2,
                    {{"err", Is::has, "question " + std::to_string(bad.question) + " ("},
                     {"err", Is::has, bad.shown}}});
  }

  const struct {
    const char* name;
    std::string series;
    std::string message;
    Answers answers = kCatalogue;
  } bad_series[] = {
      {"HeaderLineWithoutCommentMark", "time stress\n0 1\n", "line 1: cannot read the time 'time'"},
      {"BlankBeforeCommentMarkIsData", "0 1\n #0 1\n", "line 2: cannot read the time '#0'"},
      {"FewerValuesThanTheFirstLine", "0 1 2\n1 1\n",
       "line 2: the line holds fewer numbers than the time and 2 stress"},
      {"NulByteInSeries", "0 3\n1 0\n2 \0\n"s, "line 3: cannot read stress value 1 '?'"},
      {"BytesBeyondAsciiAreShownAsQuestionMarks", "0 1\n1 \xc3\xbc\n",
       "line 2: cannot read stress value 1 '\?\?'"},
      {"LineThatEndsTheWindowIsRead", "0 1\n9 x\n", "line 2: cannot read stress value 1 'x'",
       with(kCatalogue, {{4, "5"}})},
  };
  for (const auto& bad : bad_series) {
    rows.push_back({bad.name,
                    script(bad.answers),
                    2,
                    {{"err", Is::has, "skaldur: series.txt, " + bad.message}},
                    {{"series.txt", bad.series}, {"print.txt", "results of last week\n"}}});
  }
  // The definition file is read after the series.
  rows.push_back({"EmptyDefinitionFile",
                  script(kDefinition),
                  2,
                  {{"err", Is::has, "skaldur: curve.sn: the file ends before the title line"},
                   {"out", Is::ends, steps(9, "8.000")}},
                  {{"curve.sn", ""}}});
  // An input file that is the print file is refused before anything is written.
  for (const auto& [name, answers, input, question] :
       {std::tuple{"SeriesFileIsThePrintFile", kCatalogue, "series.txt", 2},
        std::tuple{"DefinitionFileIsThePrintFile", kDefinition, "curve.sn", 11}})
    rows.push_back({name,
                    script(with(answers, {{1, input}, {question, "./"s + input}})),
                    2,
                    {{"err", Is::has, "'./"s + input + "' is the print file"}}});
  // The console input ends while each question in turn waits; the print file
  // of an earlier run stays until the summary is written.
  for (int question = 1; question <= 16; ++question) {
    std::vector<Check> checks = {
        {"err", Is::has,
         "the console input ended while question " + std::to_string(question) + " ("},
        {"out", Is::ends, ":  "}};
    if (question > 12) checks.push_back({"print.txt", Is::has, kEof});
    rows.push_back({"InputEndsAtQuestion" + std::to_string(question),
                    script(question == 10 ? kCatalogue : kDefinition, question),
                    2,
                    checks,
                    {{"print.txt", "results of last week\n"}}});
  }
  std::string unended = script(kCatalogue, 11);
  unended.pop_back();
  rows.push_back({"LastAnswerWithoutLineEnd",
                  unended,
                  2,
                  {{"err", Is::has, "the console input ended while question 12 ("}}});
  // A device that cannot be written is written directly, and fails.
  rows.push_back({"PlotFileCannotBeWritten",
                  script(with(kCatalogue, {{13, "y"}, {14, "/dev/full"}})),
                  1,
                  {{"err", Is::has, "/dev/full"}, {"print.txt", Is::has, kEof}}});
  // Dialogue hardening: running out of memory, a console that cannot be
  // written, endless answers, bytes beyond ASCII in messages, a damage beyond
  // the double range and the notes on answers taken at their word.
  // 8 000 000 values need 32 MB, more than the 30 MB the run may map.
  rows.push_back({"OutOfMemoryEndsTheRunWithAMessage",
                  script(with(kCatalogue, {{2, "big.txt"}})),
                  1,
                  {{"err", Is::equals, "skaldur: out of memory: the run was ended\n"},
                   {"print.txt", Is::equals, "results of last week\n"}},
                  {{"print.txt", "results of last week\n"}},
                  {.before = "yes '0 1' | head -n 8000000 > big.txt && ", .memory_kib = 30000}});
  // A console that takes nothing, or stops taking: the files are still whole.
  // 2 000 refused columns write 124 000 characters, more than a pipe holds,
  // so the console is still being written when head has gone.
  std::string refused_columns;
  for (int i = 0; i < 2000; ++i)
    refused_columns += "9\n";
  for (const auto& [name, output] :
       {std::pair{"ConsoleOnAFullDevice", "> /dev/full"}, std::pair{"ConsoleClosed", ">&-"},
        std::pair{"ConsolePipedIntoHead", "| head -c 10 > console.out"}}) {
    rows.push_back({name,
                    script(with(kDefinition, {{12, refused_columns}})),
                    1,
                    {{"err", Is::equals,
                      "skaldur: cannot write standard output: the console output is incomplete\n"},
                     {"print.txt", Is::ends, kEof},
                     {"print.txt", Is::lacks, kQ1},
                     {"plot.txt", Is::equals, golden("worked.plot")},
                     {"year.txt", Is::equals, golden("worked.cycles-per-year")}},
                    {},
                    {.output = output}});
  }
  // Answers of 1 MiB are read; a line any longer ends the run, also one
  // without end.
  const std::string longest = "1" + std::string((1 << 20) - 1, ' ');
  rows.push_back({"AnswerOfTheLongestLengthIsRead",
                  script(with(kCatalogue, {{3, longest + "\r"}})),
                  0,
                  {{"out", Is::has, steps(8, "7.000")}}});
  rows.push_back({"AnswerBeyondTheLongestLengthIsRefused",
                  script(with(kCatalogue, {{3, longest + " "}})),
                  2,
                  {{"err", Is::equals,
                    "skaldur: the answer to question 3 (\"First Time        / whole series/\") "
                    "is longer than 1048576 characters\n"}}});
  rows.push_back({"ConsoleInputWithoutLineEnds",
                  "",
                  2,
                  {{"err", Is::has, "question 1 (\"Give output file for misc print\") is longer"}},
                  {},
                  {.before = "ln -sf /dev/zero answers && "}});
  // At an SCF of 1e110 the ranges' S^-m underflows to 0: a cycle's damage is
  // infinite and an empty block's 0 x infinity makes the Miner sum NaN. The
  // lines show NaN as the rules format it, and the run fails.
  const std::string nan_damage = " Computed Damage               :             NaN\n";
  rows.push_back({"DamageThatIsNotFiniteFails",
                  script(with(kCatalogue, {{6, "1e110"}})),
                  1,
                  {{"err", Is::has, "the damage is not a finite number"},
                   {"out", Is::has, nan_damage},
                   {"print.txt", Is::has, nan_damage},
                   {"print.txt", Is::ends, kEof}}});
  rows.push_back({"BlocksBeyondTheMostAndACommaInAWholeNumberAreNoted",
                  script(with(kCatalogue, {{6, "1,5"}, {8, "750"}, {10, "48,5"}})),
                  0,
                  {{"err", Is::equals,
                    "skaldur: note: the answer '1,5' to question 6 (\"Stress Concentration Factor "
                    "/1.0/\") is taken as the value 1: a comma separates values and the decimal "
                    "mark is a point\n"
                    "skaldur: note: 750 blocks asked for at question 8: 500 blocks, the most "
                    "there can be, are used\n"
                    "skaldur: note: the answer '48,5' to question 10 (\"Specify SN-Curve number\") "
                    "is taken as the value 48: a comma separates values and the decimal mark is "
                    "a point\n"},
                   {"out", Is::has, selected("DNV     D   SEA_FREE   ")}}});

  // Series reading hardening: a cut through a needed value, a hundred thousand
  // columns and byte-order marks (endless lines and sparse tails are read by
  // the series tests).
  // The time and 2 499 values of 4 characters are whole, and " 3." of the
  // next one is cut off.
  rows.push_back({"CutThroughTheChosenColumn",
                  script(with(kCatalogue, {{12, "2501"}})),
                  2,
                  {{"err", Is::has,
                    "skaldur: series.txt, line 1: the line is cut at its 10000-character limit "
                    "inside the value of column 2501"}},
                  {{"series.txt", worked_series_in_columns(3000, ".0")}}});
  rows.push_back(
      {"HundredThousandColumns",  // the time and 4 999 values fit
       script(kCatalogue),
       0,
       {{"out", Is::has, "\n      5000 Columns found ...\n\n" + kQ12 + steps(9, "8.000")}},
       {{"series.txt", worked_series_in_columns(100000)}}});
  // A byte-order mark before the answers, the series' header comment and the
  // definition file's comment line is skipped; so are Windows line ends.
  const std::string mark = "\xEF\xBB\xBF";
  rows.push_back({"ByteOrderMarksAndCarriageReturnsAreSkipped",
                  mark + crlf(script(kDefinition)),
                  0,
                  {{"out", Is::has, "\n User Defined SN-Curve         : Worked example curve\n"},
                   {"plot.txt", Is::equals, golden("worked.plot")},
                   {"year.txt", Is::equals, golden("worked.cycles-per-year")}},
                  {{"series.txt", mark + crlf(kSeries)}, {"curve.sn", mark + crlf(kCurve)}}});
  return rows;
}

// Runs `row` and checks everything a run must show.
void expect_run(const Row& row) {
  TempDir dir;
  std::map<std::string, std::string> inputs = {{"series.txt", kSeries}, {"curve.sn", kCurve}};
  for (const auto& [name, content] : row.files)
    inputs[name] = content;
  for (const auto& [name, content] : inputs)
    dir.write(name, content);

  if (row.launch.memory_kib > 0 && kAddressSanitizer)
    GTEST_SKIP() << "the address sanitizer's shadow memory does not fit under a memory limit";
  const Outcome run = run_program(dir, row.answers, row.launch);
  ASSERT_NE(run.status, 124) << "the run did not end within " << kTimeoutSeconds << " s";
  ASSERT_LT(run.status, 128) << "the run was ended by a signal\n" << run.err;
  EXPECT_EQ(run.status, row.status) << run.err;
  const auto named = [&](const std::string& where) {
    return std::any_of(row.checks.begin(), row.checks.end(),
                       [&](const Check& c) { return c.where == where; });
  };
  // Standard error holds plain lines only: printable ASCII.
  EXPECT_TRUE(std::all_of(run.err.begin(), run.err.end(), [](unsigned char c) {
    return c == '\n' || (c >= 32 && c < 127);
  })) << run.err;
  // Notes come before everything else, where a row checks standard error.
  std::string message = run.err;
  while (named("err") && message.starts_with("skaldur: note: ") &&
         message.find('\n') != std::string::npos)
    message.erase(0, message.find('\n') + 1);
  if (run.status == 0) {
    EXPECT_EQ(message, "");
    EXPECT_TRUE(read_file(dir.file("print.txt")).ends_with(kEof)) << "the summary is not whole";
  } else {
    // One line: the program's name and the reason.
    EXPECT_TRUE(message.starts_with("skaldur: ") && message.ends_with("\n")) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_LE(message.size(), 600U);
  }

  for (const Check& check : row.checks) {
    const std::string text = check.where == "out"   ? run.out
                             : check.where == "err" ? run.err
                                                    : read_file(dir.file(check.where));
    const std::string shown = text.size() > 4000 ? text.substr(0, 4000) + "..." : text;
    const bool found = text.find(check.text) != std::string::npos;
    const bool holds = check.is == Is::has     ? found
                       : check.is == Is::lacks ? !found
                       : check.is == Is::ends  ? text.ends_with(check.text)
                                               : !std::filesystem::exists(dir.file(check.where));
    if (check.is == Is::equals) {
      EXPECT_EQ(mask_date(text), check.text) << check.where;
    } else {
      const char* kinds[] = {"has", "lacks", "ends with", "equals", "is missing"};
      EXPECT_TRUE(holds) << check.where << " " << kinds[static_cast<int>(check.is)] << " ["
                         << check.text << "] failed; it is\n[" << shown << "]";
    }
  }
  // Inputs are never written. A print file of an earlier run stays as it was
  // when the run refuses its input; without one, none is left.
  for (const auto& [name, content] : inputs) {
    if (named(name) || (name == "print.txt" && run.status != 2)) continue;
    EXPECT_TRUE(read_file(dir.file(name)) == content) << name << " was changed";
  }
  if (run.status == 2 && !inputs.contains("print.txt") && !named("print.txt")) {
    EXPECT_EQ(read_file(dir.file("print.txt")), "") << "a print file after a refused input";
  }
}

void PrintTo(const Row& row, std::ostream* out) {
  *out << row.name;
}

class Program : public ::testing::TestWithParam<Row> {};

TEST_P(Program, Run) {
  expect_run(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Rows, Program, ::testing::ValuesIn(all_rows()),
                         [](const ::testing::TestParamInfo<Row>& row) { return row.param.name; });

// The print file's echo of every catalogue curve, one run each: the curve
// line and the value lines of the echo (its heading lines and empty lines,
// the same for every curve, are checked by the worked runs).
TEST(Catalogue, EchoOfEveryCurve) {
  std::string echoes;
  for (int curve = 1; curve <= 50; ++curve) {
    TempDir dir;
    dir.write("series.txt", kSeries);
    const Outcome run = run_program(dir, script(with(kCatalogue, {{10, std::to_string(curve)}})));
    ASSERT_EQ(run.status, 0) << "curve " << curve << ": " << run.err;
    bool in_echo = false;
    std::istringstream print(read_file(dir.file("print.txt")));
    for (std::string line; std::getline(print, line);) {
      if (line.starts_with(" Selected SN-Curve")) in_echo = true;
      if (line.starts_with(" Computed Damage ")) break;
      if (in_echo && !line.starts_with("'") && line.find_first_not_of(' ') != std::string::npos)
        echoes += line + "\n";
    }
  }
  EXPECT_EQ(echoes, golden("catalogue-echo.txt"));
}

// Runs where the program's files are at risk: the answers file named as an
// output, full disks, runs killed or run twice at once on one print file,
// links, modes, pipes. Each case is a small shell script in a fresh folder
// whose output must be exactly the case's; it ends by listing the folder, so
// that no file is left that nobody asked for. The input files of a case must
// stay unchanged.

// A catalogue run with the given print file and histogram answers (questions
// 13 to 16).
std::string answers(const std::string& print, const std::string& histograms = "n\nn\n",
                    const std::string& series = "series.txt") {
  return script(with(kCatalogue, {{1, print}, {2, series}}, {13, 15})) + histograms;
}
const std::string kBothFiles = "y\nplot.txt\ny\nyear.txt\n";

// `run [answers]` runs the program with its console in console.out and
// console.err and says its status; a temporary file shows as .NAME.tmp.
const std::string kPrelude =
    "export LC_ALL=C\n"
    "run() { \"$SKALDUR\" < \"${1:-answers}\" > console.out 2> console.err; echo \"status $?\"; "
    "}\n";
const std::string kListing = "echo files: $(ls -A | sed 's/\\.[^.]\\{6\\}$/.tmp/')\n";

struct Case {
  std::string name;
  std::vector<std::pair<std::string, std::string>> files;  // inputs beside series.txt
  std::string script;
  std::string expected;  // the script's output
};

std::vector<Case> cases() {
  const std::string kill_answers = answers("print.txt", "");
  std::string long_series;
  for (int t = 0; t < 20000; ++t)
    long_series += std::to_string(t) + (t % 2 ? " 7\n" : " 1\n");
  return {
      // The answers file is an input: never overwritten, asked again with
      // the reason at questions 1, 14 and 16.
      {"AnswersFileIsNeverAnOutput",
       {{"answers", "answers\n" + answers("print.txt", "y\nanswers\nout\ny\nanswers\nout\n")}},
       "run; cat console.err; grep -c 'Cannot [Oo]pen[ a-z]*:answers  *$' console.out\n"
       "tail -n 1 print.txt; grep -c 'Data refer to Cycles per Year' out\n",
       "status 0\n"
       "skaldur: note: cannot open 'answers' (question 1): it is the console input of this run\n"
       "skaldur: note: cannot open 'answers' (question 14): it is the console input of this run\n"
       "skaldur: note: cannot open 'answers' (question 16): it is the console input of this run\n"
       "3\n --------------- e o f ----------------\n1\n"
       "files: answers console.err console.out out print.txt series.txt\n"},
      // A full disk for every output (each file may hold 500 bytes): each
      // failed file is named, the old print file stays whole.
      {"EveryFailedWriteIsNamed",
       {{"print.txt", "old content\n"}, {"answers", answers("print.txt", kBothFiles)}},
       "trap '' XFSZ\nprlimit --fsize=500 \"$SKALDUR\" < answers > /dev/null 2> console.err\n"
       "echo \"status $?\"; cat console.err plot.txt year.txt\n",
       "status 1\nskaldur: cannot write plot.txt: File too large\n"
       "skaldur: cannot write print.txt: File too large\n"
       "skaldur: cannot write year.txt: File too large\n"
       "files: answers console.err plot.txt print.txt series.txt year.txt\n"},
      // Killed after the summary is made, while question 13 waits: the old
      // print file is whole, its successor left aside.
      {"KilledRunKeepsTheOldPrintFile",
       {{"print.txt", "old content\n"}},
       "mkfifo in\n\"$SKALDUR\" < in > console.out 2> console.err &\npid=$!\nexec 3> in\n"
       "printf '" +
           kill_answers.substr(0, kill_answers.size() - 1) + "\\n' >&3\n" +
           "while ! grep -qs 'Cycle Histogram' console.out; do sleep 0.01; done\n"
           "kill -9 $pid; wait $pid 2> /dev/null; echo \"status $?\"; grep -c 'per Year .* "
           "7.52512E-04' "
           "console.out\n",
       "status 137\n1\nfiles: .print.txt.tmp console.err console.out in print.txt series.txt\n"},
      // Runs at once on one print file: it always holds one run's summary.
      {"TwoRunsAtOnceOnOnePrintFile",
       {{"long.txt", long_series},
        {"a", answers("print.txt")},
        {"b", answers("print.txt", "n\nn\n", "long.txt")}},
       "for r in a b; do run $r; tail -n +2 print.txt > ref.$r; done\n"
       "cmp -s ref.a ref.b && echo same\n"
       "for i in $(seq 20); do\n"
       "  \"$SKALDUR\" < a > /dev/null & \"$SKALDUR\" < b > /dev/null; wait\n"
       "  tail -n +2 print.txt > got; cmp -s got ref.a || cmp -s got ref.b || echo mixed\n"
       "done\n",
       "status 0\nstatus 0\n"
       "files: a b console.err console.out got long.txt print.txt ref.a ref.b series.txt\n"},
      // A link is followed and stays a link; modes stay; a new file gets the
      // usual mode; names lose their trailing blanks.
      {"LinksAndModesAreKept",
       {{"answers", answers("print.txt" + std::string(300, ' '), kBothFiles)}},
       "umask 022\nmkdir real && echo old > real/target && chmod 640 real/target\n"
       "ln -s real/target print.txt\necho old > plot.txt && chmod 604 plot.txt\n"
       "run; [ -L print.txt ] && echo link; tail -n 1 real/target plot.txt\n"
       "stat -c '%a %n' real/target plot.txt year.txt\n",
       "status 0\nlink\n==> real/target <==\n --------------- e o f ----------------\n\n"
       "==> plot.txt <==\n    6.06000E+00    0.00000E+00\n640 real/target\n604 plot.txt\n"
       "644 year.txt\n"
       "files: answers console.err console.out plot.txt print.txt real series.txt year.txt\n"},
      // A pipe is written directly.
      {"PlotFileOnStandardOutputPipe",
       {{"answers", answers("print.txt", "y\n/dev/stdout\nn\n")}},
       "\"$SKALDUR\" < answers 2> console.err | sed -n '/Stressblocks/p;$p'\ncat console.err\n",
       "# Number of Stressblocks:          500\n    6.06000E+00    0.00000E+00\n"
       "files: answers console.err print.txt series.txt\n"},
  };
}

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class FilesAtRisk : public ::testing::TestWithParam<Case> {};

TEST_P(FilesAtRisk, AreSafe) {
  const Case& c = GetParam();
  TempDir box;
  const std::string folder = box.file("case");
  std::filesystem::create_directory(folder);
  std::vector<std::pair<std::string, std::string>> inputs = c.files;
  inputs.emplace_back("series.txt", kSeries);  // inputs: they must stay unchanged
  for (const auto& [name, content] : inputs)
    box.write("case/" + name, content);
  box.write("run.sh", kPrelude + c.script + kListing);
  const std::string command =
      "cd '" + folder + "' && SKALDUR=\"$SKALDUR_EXE\" timeout -k 5 60 sh ../run.sh > ../out 2>&1";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) != 124) << "the case did not end within 60 s";
  EXPECT_EQ(read_file(box.file("out")), c.expected);
  for (const auto& [name, content] : inputs)
    EXPECT_TRUE(read_file(box.file("case/" + name)) == content) << name << " was changed";
}

INSTANTIATE_TEST_SUITE_P(Cases, FilesAtRisk, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& c) { return c.param.name; });

}  // namespace
}  // namespace skaldur
