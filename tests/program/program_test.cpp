// Runs the built program, as a user does, on scripted answers and input files,
// and checks its exit status, its console output and every file it leaves.
//
// Each row names its answers by question number (a question left out is not
// asked), the input files it changes from the worked example, the exit status
// and what the console and the files must show. Whatever the row, a run must
// end on its own within the time limit, a failed run says why on one plain
// line of standard error and leaves an existing print file as it was, and no
// run changes its input files. Notes ("skaldur: note: " lines) may come first
// where a row checks standard error, and nowhere else. The rows come in
// themes, one builder each; runs that put the program's files at risk are
// the scripts in files-at-risk/.
//
// The worked example: the series 3, 0, 5, 1, 4, 2, 6, 0, 3, one value a second.
// Its turning points 0, 5, 1, 4, 2, 6, 0 hold two cycles (ranges 2 and 4) and
// the residue 0, 6, 0: two half cycles of range 6, and 2 for its three points.
// In 6 blocks of 1.01 each that is one cycle in blocks 2, 4 and 6, four in all.
#include <gtest/gtest.h>

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

// The text with the digits of each date stamp, which change from run to run,
// masked, and the console's list of catalogue curves (checked line by line by
// Catalogue.EchoOfEveryCurve) replaced by one line that says so. (No
// std::regex: g++ 12 warns inside it under the sanitizers.)
std::string masked(const std::string& text) {
  const std::string_view form = "0000-00-00 00:00:00";
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  const auto fits = [&](char c, char f) { return f == '0' ? digit(c) : c == f; };
  const auto listed = [&](std::string_view line) {
    return line.size() >= 6 && line[0] == ' ' && (line[1] == ' ' || digit(line[1])) &&
           digit(line[2]) && line.substr(3, 3) == " : ";
  };
  std::string out;
  bool in_list = false;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    const bool whole = end != std::string::npos;
    at = whole ? end + 1 : text.size();
    if (at > line.size() + 1 && whole && listed(line)) {
      if (!in_list)
        out += "<the catalogue list, one line a curve: see Catalogue.EchoOfEveryCurve>\n";
      in_list = true;
      continue;
    }
    in_list = false;
    for (std::size_t d = line.find(" Date : "); d != std::string::npos;
         d = line.find(" Date : ", d + 1)) {
      const std::string_view stamp = std::string_view(line).substr(d + 8, form.size());
      if (std::equal(stamp.begin(), stamp.end(), form.begin(), form.end(), fits))
        line.replace(d + 8, form.size(), "YYYY-MM-DD hh:mm:ss");
    }
    out += line;
    if (whole) out += '\n';
  }
  return out;
}

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

using Files = std::vector<std::pair<std::string, std::string>>;

struct Row {
  std::string name;
  std::string answers;
  int status;
  std::vector<Check> checks;
  // Input files beside series.txt (the worked example) and curve.sn; a file of
  // the same name takes their place.
  Files files;
  Launch launch;
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

// Adds the row of a run on the console input `answers`.
void add(std::vector<Row>& rows, std::string name, std::string answers, int status,
         std::vector<Check> checks, Files files = {}, Launch launch = {}) {
  rows.push_back({std::move(name), std::move(answers), status, std::move(checks), std::move(files),
                  std::move(launch)});
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

std::string crlf(std::string text) {
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
    text.insert(at, "\r");
  return text;
}

// The worked example on both kinds of curve, its files compared with the
// goldens.
std::vector<Row> worked_examples() {
  std::vector<Row> rows;
  // In Pa, with a definition file: the plot and cycles-per-year files show the
  // block length and range in MPa; " 2.5" begins with a blank, so SCF keeps its default.
  add(rows, "WorkedExampleInPaWithDefinitionFile",
      script(with(kDefinition, {{5, ""}, {6, " 2.5"}})), 0,
      {{"print.txt", Is::equals, golden("worked-definition-pa.print")},
       {"plot.txt", Is::equals, golden("worked.plot")},
       {"year.txt", Is::equals, golden("worked.cycles-per-year")}},
      {{"series.txt",
        "# worked example, Pa\n0 3e6\n1 0\n2 5e6\n3 1e6\n4 4e6\n5 2e6\n6 6e6\n7 0\n8 3e6\n"}});
  // The same record ten seconds later, on curve 15 (NORSOK T in air) at a
  // thickness of 50 and an SCF of 10.5: above 10 the thickness exponent is
  // kHigh, so each range grows by 10.5 x (50 / 32)^0.3 = 12.004. Blocks 2 and
  // 4 are assessed at 18.186 and 42.435 MPa, below the knee at 52.642, on
  // 10^15.606 / S^5, block 6 at 66.684 on 10^12.164 / S^3: the damage is
  // 4.92878E-10 + 3.40897E-08 + 2.03263E-07 = 2.37846E-07. The span runs
  // from the first line read, not from the window's start. "M" chooses MPa,
  // "+6" is a whole number.
  const std::string results =
      " Computed Damage               :     2.37846E-07\n"
      " Computed Damage per Year      :     9.37588E-01\n";
  add(rows, "WorkedExampleOnCatalogueCurve",
      script(with(
          kCatalogue,
          {{5, "M"}, {6, "10.5"}, {7, "50"}, {8, "+6"}, {10, "15"}, {13, "y"}, {14, "plot.txt"}})),
      0,
      {{"out", Is::equals, golden("worked-catalogue.console")},
       {"print.txt", Is::has,
        " SCF                           :      10.500\n\n"
        " Selected SN-Curve             : NORSOK  T   AIR        \n"},
       {"print.txt", Is::has, results},
       {"plot.txt", Is::equals, golden("worked.plot")},
       {"year.txt", Is::missing, ""}},
      {{"series.txt", "# ten seconds on\n10 3\n11 0\n12 5\n13 1\n14 4\n15 2\n16 6\n17 0\n18 3\n"}});
  return rows;
}

// Other series worked by hand: too few turning points, no swing and a count
// per year beyond single precision.
std::vector<Row> hand_worked_series() {
  std::vector<Row> rows;
  // 0, 10, 0, 10, 0 has three turning points: too few to count. The print file
  // holds the diagnostics only, and the console ends with the series lines.
  add(rows, "FailedCountLeavesOnlyItsDiagnostics", script(kCatalogue), 1,
      {{"err", Is::has, "print.txt"},
       {"print.txt", Is::equals,
        "\n  *** ERROR IN RAINFLW ***\n\n      Too short time series\n\n"
        "  *** ERROR IN DMG02 ***\n      Error return from TSRAIN2 \n"},
       {"out", Is::ends, steps(5, "4.000")}},
      {{"series.txt", "0 0\n1 10\n2 0\n3 10\n4 0\n"}});
  // Without a swing nothing is counted: no damage, and the plot file shows
  // the blocks asked (none; 500 would be used), not the blocks used.
  add(rows, "ConstantSeriesShowsTheBlocksAsked",
      script(with(kCatalogue, {{8, "0"}, {13, "y"}, {14, "plot.txt"}})), 0,
      {{"out", Is::has,
        " Computed Damage               :     0.00000E+00\n"
        " Computed Damage per Year      :     0.00000E+00\n"},
       {"plot.txt", Is::ends,
        "# Number of Stressblocks:            0\n# Block Length    [MPa] :        0.000\n"
        "# TS Stress range [MPa] :        0.000\n    0.00000E+00    0.00000E+00\n"
        "    0.00000E+00    0.00000E+00\n"}},
      {{"series.txt", "0 5\n1 5\n2 5\n"}});
  // -0.3 and 100000 held as floats (-0.30000001192..., 100000): 64 turning
  // points count 31 cycles and a residue of two points, 31.5 cycles in the one
  // block and 32 in all. The range, 1.01 x 100000.30000001192 in double
  // precision, is 101000.30205 (single precision would give 101000.29889).
  // Thirteen seconds repeat 2 425 846 times a year; 2425846 x 31.5 is
  // 76414149, held as the float 76414152: 7.64142E+07 (7.64141E+07 in double).
  std::string flips = "0 50000\n";
  for (int i = 0; i < 32; ++i)
    flips += "1 -0.3\n1 100000\n";
  add(rows, "CountsPerYearInSingleRangeInDoublePrecision",
      script(with(kCatalogue, {{8, "1"}, {15, "y"}, {16, "year.txt"}})), 0,
      {{"year.txt", Is::has,
        "# Number of Cycles      :     77627072\n"
        "# Number of Stressblocks:            1\n"
        "# Block Length    [MPa] : 101000.30205\n"
        "# TS Stress range [MPa] : 101000.30205\n"},
       {"year.txt", Is::has, "#           \n    1.01000E+05    7.64142E+07\n"}},
      {{"series.txt", flips + "13 50000\n"}});
  return rows;
}

// Answers the dialogue takes, asks again for, notes or refuses.
std::vector<Row> answers_taken_or_refused() {
  std::vector<Row> rows;
  // Column 3 holds the worked example, column 2 a constant: curve 48 in 6
  // blocks, an SCF not above the float 1.0E-10 counting as 1. Empty lines give
  // no number and no new prompt; only the first number counts.
  add(rows, "CurveAndColumnOutOfRangeAreAskedAgain",
      script(with(kCatalogue, {{6, "1.00000001e-10"},
                               {8, "6"},
                               {10, "\n  \n0\n51\n-7, 3\n\t\n48"},
                               {12, "4\n1\n-2\n3"}})),
      0,
      {{"out", Is::has,
        kQ10 + " Illegal SN-Curve :   0\n" + kQ10 + " Illegal SN-Curve :  51\n" + kQ10 +
            " Illegal SN-Curve :  -7\n" + kQ10 + selected("DNV     D   SEA_FREE   ")},
       {"out", Is::has,
        "\n         3 Columns found ...\n\n" + kQ12 + " Illegal Column   :   4\n" + kQ12 +
            " Illegal Column   :   1\n" + kQ12 + " Illegal Column   :  -2\n" + kQ12 +
            steps(9, "8.000") + " Computed Damage               :     1.44737E-10\n"}},
      {{"series.txt", "0 7 3\n1 7 0\n2 7 5\n3 7 1\n4 7 4\n5 7 2\n6 7 6\n7 7 0\n8 7 3\n"}});
  // Nothing accepted: no column question, and the last time read counts. Only
  // the first number of an answer is read.
  add(rows, "WindowAfterTheLastLine", script(with(kCatalogue, {{3, "20, 1"}}, {12})), 0,
      {{"out", Is::has, selected("DNV     D   SEA_FREE   ") + steps(0, "10.000")}},
      {{"series.txt", "0 0\n1 5\n2 0\n3 4\n4 1\n5 5\n6 0\n7 5\n8 0\n9 5\n10 0\n"}});
  // Only a lower-case n chooses a definition file, only a lower-case y asks
  // for a histogram file.
  add(rows, "UpperCaseNAndYAreNo",
      script(with(kCatalogue, {{9, "N"}, {10, "1"}, {13, "Y"}, {15, "Yes"}})), 0,
      {{"out", Is::has, selected("NORSOK  B1  AIR        ")},
       {"out", Is::lacks, kQ14},
       {"out", Is::lacks, kQ16}});
  // Every line at time 0: no span of time, so no yearly figures and no
  // question 16.
  add(rows, "NoSpanOfTimeHasNoYearlyFigures", script(with(kCatalogue, {{15, "y"}})), 0,
      {{"out", Is::has,
        " Computed Damage per Year      :       undefined\n"
        " Cycle Histogram plot data?    /n/ :   Store Cycle Histogram Data    /n/ : "
        "  No cycles per year: simulation length below 0.5\n"},
       {"print.txt", Is::has, " Computed Damage per Year      :       undefined\n"}},
      {{"series.txt", "0 1\n0 9\n0 1\n0 9\n0 1\n0 9\n0 1\n0 9\n"}});
  add(rows, "BlocksBeyondTheMostAndACommaInAWholeNumberAreNoted",
      script(with(kCatalogue, {{6, "1,5"}, {8, "750"}, {10, "48,5"}})), 0,
      {{"err", Is::equals,
        "skaldur: note: the answer '1,5' to question 6 (\"Stress Concentration Factor "
        "/1.0/\") is taken as the value 1: a comma separates values and the decimal "
        "mark is a point\n"
        "skaldur: note: 750 blocks asked for at question 8: 500 blocks, the most "
        "there can be, are used\n"
        "skaldur: note: the answer '48,5' to question 10 (\"Specify SN-Curve number\") "
        "is taken as the value 48: a comma separates values and the decimal mark is "
        "a point\n"},
       {"out", Is::has, selected("DNV     D   SEA_FREE   ")}});
  return rows;
}

// Answers that cannot be read: status 2 and one line naming the question,
// control characters shown as '?'. Answers of 1 MiB are read; a line any
// longer ends the run, also one without end.
std::vector<Row> answers_that_end_the_run() {
  std::vector<Row> rows;
  const std::tuple<const char*, int, std::string, std::string> bad_answers[] = {
      {"RealAsBlocks", 8, "12.5", "'12.5'"},
      {"WordAsColumn", 12, "x", "'x'"},
      {"NulByteInAnswer", 3, "1\0"s, "'1?'"},
  };
  for (const auto& [name, question, answer, shown] : bad_answers) {
    add(rows, name, script(with(kCatalogue, {{question, answer}})), 2,
        {{"err", Is::has, "question " + std::to_string(question) + " ("}, {"err", Is::has, shown}});
  }
  const std::string longest = "1" + std::string((1 << 20) - 1, ' ');
  add(rows, "AnswerOfTheLongestLengthIsRead", script(with(kCatalogue, {{3, longest + "\r"}})), 0,
      {{"out", Is::has, steps(8, "7.000")}});
  add(rows, "AnswerBeyondTheLongestLengthIsRefused", script(with(kCatalogue, {{3, longest + " "}})),
      2,
      {{"err", Is::equals,
        "skaldur: the answer to question 3 (\"First Time        / whole series/\") is longer "
        "than 1048576 characters\n"}});
  add(rows, "ConsoleInputWithoutLineEnds", "", 2,
      {{"err", Is::has, "question 1 (\"Give output file for misc print\") is longer"}}, {},
      {.before = "ln -sf /dev/zero answers && "});
  return rows;
}

// File names: asked again when they do not open, refused where they would
// overwrite an input or the print file.
std::vector<Row> file_names() {
  std::vector<Row> rows;
  // Question 14 and 16 refuse the input files and the print file; the same
  // name twice: the cycles-per-year file takes the place of the plot file.
  add(rows, "HistogramFilesRefuseInputsAndThePrintFile",
      script(
          with(kDefinition, {{14, "series.txt\nprint.txt\nplot.txt"}, {16, "curve.sn\nplot.txt"}})),
      0,
      {{"out", Is::has,
        kQ14 + " Cannot open      :" + padded("series.txt") + "\n" + kQ14 +
            " Cannot open      :" + padded("print.txt") + "\n" + kQ14},
       {"out", Is::has, kQ16 + " Cannot open      :" + padded("curve.sn") + "\n" + kQ16},
       {"plot.txt", Is::equals, golden("worked.cycles-per-year")}});
  // Names are read through 256 characters; empty names and folders do not open.
  add(rows, "FilesThatDoNotOpenAreAskedAgain",
      script(with(kDefinition, {{1, std::string(300, 'n') + "\n\n.\nprint.txt"},
                                {2, "missing.txt\n.\nseries.txt"},
                                {11, "missing.sn\n.\ncurve.sn"}})),
      0,
      {{"out", Is::has,
        kQ1 + " Cannot Open file :" + std::string(256, 'n') + "\n" + kQ1 +
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
       {"missing.txt", Is::missing, ""}});
  // An input file that is the print file is refused before anything is written.
  for (const auto& [name, answers, input, question] :
       {std::tuple{"SeriesFileIsThePrintFile", kCatalogue, "series.txt", 2},
        std::tuple{"DefinitionFileIsThePrintFile", kDefinition, "curve.sn", 11}})
    add(rows, name, script(with(answers, {{1, input}, {question, "./"s + input}})), 2,
        {{"err", Is::has, "'./"s + input + "' is the print file"}});
  // A device that cannot be written is written directly, and fails.
  add(rows, "PlotFileCannotBeWritten", script(with(kCatalogue, {{13, "y"}, {14, "/dev/full"}})), 1,
      {{"err", Is::has, "/dev/full"}, {"print.txt", Is::has, kEof}});
  return rows;
}

// Series and definition files that cannot be read, the cut of long lines, a
// hundred thousand columns and byte-order marks (endless lines and sparse
// tails are read by the series tests).
std::vector<Row> input_files() {
  std::vector<Row> rows;
  // Each with the window ending at 5 s: the line that ends it is still read.
  const std::tuple<const char*, std::string, std::string> bad_series[] = {
      {"HeaderLineWithoutCommentMark", "time stress\n0 1\n", "line 1: cannot read the time 'time'"},
      {"BlankBeforeCommentMarkIsData", "0 1\n #0 1\n", "line 2: cannot read the time '#0'"},
      {"FewerValuesThanTheFirstLine", "0 1 2\n1 1\n",
       "line 2: the line holds fewer numbers than the time and 2 stress"},
      {"BytesBeyondAsciiAreShownAsQuestionMarks", "0 1\n1 \xc3\xbc\n",
       "line 2: cannot read stress value 1 '\?\?'"},
      {"LineThatEndsTheWindowIsRead", "0 1\n9 x\n", "line 2: cannot read stress value 1 'x'"},
  };
  for (const auto& [name, series, message] : bad_series) {
    add(rows, name, script(with(kCatalogue, {{4, "5"}})), 2,
        {{"err", Is::has, "skaldur: series.txt, " + message}},
        {{"series.txt", series}, {"print.txt", "results of last week\n"}});
  }
  // The definition file is read after the series.
  add(rows, "EmptyDefinitionFile", script(kDefinition), 2,
      {{"err", Is::has, "skaldur: curve.sn: the file ends before the title line"},
       {"out", Is::ends, steps(9, "8.000")}},
      {{"curve.sn", ""}});
  std::string wide;  // the worked example in 99 999 columns: the time and 4 999 values fit
  for (int t = 0; t < 9; ++t) {
    wide += std::to_string(t);
    for (int c = 1; c < 100000; ++c)
      wide.append(" ").append(1, "305142603"[t]);
    wide += '\n';
  }
  add(rows, "HundredThousandColumns", script(kCatalogue), 0,
      {{"out", Is::has, "\n      5000 Columns found ...\n\n" + kQ12 + steps(9, "8.000")}},
      {{"series.txt", wide}});
  // A byte-order mark before the answers, the series' header comment and the
  // definition file's comment line is skipped; so are Windows line ends.
  const std::string mark = "\xEF\xBB\xBF";
  add(rows, "ByteOrderMarksAndCarriageReturnsAreSkipped", mark + crlf(script(kDefinition)), 0,
      {{"out", Is::has, "\n User Defined SN-Curve         : Worked example curve\n"},
       {"plot.txt", Is::equals, golden("worked.plot")},
       {"year.txt", Is::equals, golden("worked.cycles-per-year")}},
      {{"series.txt", mark + crlf(kSeries)}, {"curve.sn", mark + crlf(kCurve)}});
  return rows;
}

// Runs that end early: the console input ending at each question, memory
// running out, a console that cannot be written, and a damage that is not a
// finite number.
std::vector<Row> early_ends() {
  std::vector<Row> rows;
  // The print file of an earlier run stays until the summary is written. At
  // question 12 the last answer has no line end: it is still read.
  for (int question = 1; question <= 16; ++question) {
    std::string answers = script(question == 10 ? kCatalogue : kDefinition, question);
    if (question == 12) answers.pop_back();
    std::vector<Check> checks = {
        {"err", Is::has,
         "the console input ended while question " + std::to_string(question) + " ("},
        {"out", Is::ends, ":  "}};
    if (question > 12) checks.push_back({"print.txt", Is::has, kEof});
    add(rows, "InputEndsAtQuestion" + std::to_string(question), answers, 2, checks,
        {{"print.txt", "results of last week\n"}});
  }
  // 8 000 000 values need 32 MB, more than the 30 MB the run may map.
  add(rows, "OutOfMemoryEndsTheRunWithAMessage", script(with(kCatalogue, {{2, "big.txt"}})), 1,
      {{"err", Is::equals, "skaldur: out of memory: the run was ended\n"},
       {"print.txt", Is::equals, "results of last week\n"}},
      {{"print.txt", "results of last week\n"}},
      {.before = "yes '0 1' | head -n 8000000 > big.txt && ", .memory_kib = 30000});
  // A console that takes nothing, or stops taking: the files are still whole.
  // 2 000 refused columns write 124 000 characters, more than a pipe holds,
  // so the console is still being written when head has gone.
  std::string refused_columns;
  for (int i = 0; i < 2000; ++i)
    refused_columns += "9\n";
  for (const auto& [name, output] :
       {std::pair{"ConsoleOnAFullDevice", "> /dev/full"}, std::pair{"ConsoleClosed", ">&-"},
        std::pair{"ConsolePipedIntoHead", "| head -c 10 > console.out"}}) {
    add(rows, name, script(with(kDefinition, {{12, refused_columns}})), 1,
        {{"err", Is::equals,
          "skaldur: cannot write standard output: the console output is incomplete\n"},
         {"print.txt", Is::ends, kEof},
         {"print.txt", Is::lacks, kQ1},
         {"plot.txt", Is::equals, golden("worked.plot")},
         {"year.txt", Is::equals, golden("worked.cycles-per-year")}},
        {}, {.output = output});
  }
  // At an SCF of 1e110 the ranges' S^-m underflows to 0: a cycle's damage is
  // infinite and an empty block's 0 x infinity makes the Miner sum NaN. At
  // 1e104 S^-m is subnormal: the damage, 1.9E+302, is finite, but not per
  // year (times 31 536 000 / 8). The lines show what the rules format, and
  // the run fails.
  for (const auto& [name, scf, line, message] :
       {std::tuple{"DamageThatIsNotFiniteFails", "1e110",
                   " Computed Damage               :             NaN\n", "damage is"},
        std::tuple{"DamagePerYearThatIsNotFiniteFails", "1e104",
                   " Computed Damage per Year      :        Infinity\n", "damage per year is"}}) {
    add(rows, name, script(with(kCatalogue, {{6, scf}})), 1,
        {{"err", Is::has, "the "s + message + " not a finite number"},
         {"out", Is::has, line},
         {"print.txt", Is::has, line},
         {"print.txt", Is::ends, kEof}});
  }
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
    return std::ranges::any_of(row.checks, [&](const Check& c) { return c.where == where; });
  };
  // Standard error holds plain lines only: printable ASCII.
  EXPECT_TRUE(std::ranges::all_of(run.err, [](char c) {
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
    const bool found = text.find(check.text) != std::string::npos;
    const bool holds = check.is == Is::has     ? found
                       : check.is == Is::lacks ? !found
                       : check.is == Is::ends  ? text.ends_with(check.text)
                                               : !std::filesystem::exists(dir.file(check.where));
    if (check.is == Is::equals) {
      EXPECT_EQ(masked(text), check.text) << check.where;
    } else {
      const char* kinds[] = {"has", "lacks", "ends with", "equals", "is missing"};
      EXPECT_TRUE(holds) << check.where << " " << kinds[static_cast<int>(check.is)] << " ["
                         << check.text << "] failed; it is\n[" << text.substr(0, 4000) << "]";
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

std::string row_name(const ::testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, Program, ::testing::ValuesIn(worked_examples()), row_name);
INSTANTIATE_TEST_SUITE_P(HandWorkedSeries, Program, ::testing::ValuesIn(hand_worked_series()),
                         row_name);
INSTANTIATE_TEST_SUITE_P(Answers, Program, ::testing::ValuesIn(answers_taken_or_refused()),
                         row_name);
INSTANTIATE_TEST_SUITE_P(AnswersThatEndTheRun, Program,
                         ::testing::ValuesIn(answers_that_end_the_run()), row_name);
INSTANTIATE_TEST_SUITE_P(FileNames, Program, ::testing::ValuesIn(file_names()), row_name);
INSTANTIATE_TEST_SUITE_P(InputFiles, Program, ::testing::ValuesIn(input_files()), row_name);
INSTANTIATE_TEST_SUITE_P(EarlyEnds, Program, ::testing::ValuesIn(early_ends()), row_name);

// The console's list line and the print file's echo of every catalogue curve,
// one run each: the list line, the curve line and the value lines of the
// echo, joined by '|' into one line a curve (the echo's heading lines and
// empty lines, the same for every curve, are checked by the worked runs).
TEST(Catalogue, EchoOfEveryCurve) {
  std::string echoes;
  for (int curve = 1; curve <= 50; ++curve) {
    TempDir dir;
    dir.write("series.txt", kSeries);
    const Outcome run = run_program(dir, script(with(kCatalogue, {{10, std::to_string(curve)}})));
    ASSERT_EQ(run.status, 0) << "curve " << curve << ": " << run.err;
    const std::string number = std::to_string(curve);
    const std::size_t at =
        run.out.find("\n" + std::string(3 - number.size(), ' ') + number + " : ");
    echoes += run.out.substr(at + 1, run.out.find('\n', at + 1) - at - 1);
    bool in_echo = false;
    std::istringstream print(read_file(dir.file("print.txt")));
    for (std::string line; std::getline(print, line);) {
      if (line.starts_with(" Selected SN-Curve")) in_echo = true;
      if (line.starts_with(" Computed Damage ")) break;
      if (in_echo && !line.starts_with("'") && line.find_first_not_of(' ') != std::string::npos)
        echoes += "|" + line;
    }
    echoes += "\n";
  }
  EXPECT_EQ(echoes, golden("catalogue-echo.txt"));
}

}  // namespace
}  // namespace skaldur
