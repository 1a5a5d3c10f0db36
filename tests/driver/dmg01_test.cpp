#include "dialogue/dmg01.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

#include "dialogue/dialogue.hpp"
#include "support/temp_dir.hpp"

namespace skaldur::dialogue {
namespace {

using skaldur::testing::read_file;
using skaldur::testing::TempDir;
constexpr auto npos = std::string::npos;

// The console of one run of the program on scripted answers.
struct RunResult {
  int status = -1;
  std::string out, err;
};

RunResult run_dialogue(const std::string& answers) {
  std::istringstream in(answers);
  std::ostringstream out, err;
  const int status = DMG01(in, out, err);
  return {status, out.str(), err.str()};
}

// The banner as the console shows it, with the contact line's 46 characters of text as '~'.
std::string expected_banner() {
  const std::string blanks = std::string(59, ' ') + "\n";
  const std::string frame = std::string(11, ' ') + std::string(48, '=') + "\n";
  const auto framed = [](std::string text) {
    text.resize(46, ' ');
    return "           -" + text + "-\n";
  };
  std::string text = std::string(54, ' ') + "\n" + blanks + blanks + blanks + frame + framed("") +
                     framed("          ====  S K A L D U R  ====") + framed("");
  for (const char* line :
       {"     Computes Accumulated Damage per Year", "     for one Stress Time Series.",
        "     Time Series is specified on one file and",
        "     the SN-Data is specified on a separate", "     file.",
        "              Version 1.2/ 2006-01-05"})
    text += framed(line);
  return text + framed("") + framed(std::string(46, '~')) + frame + blanks + blanks + blanks;
}

// The console output with the contact line's text masked as in expected_banner().
std::string mask_contact_line(std::string out) {
  std::size_t pos = 0;
  for (int i = 0; i < 15 && pos != npos; ++i)
    pos = out.find('\n', pos) + 1;
  if (pos != 0 && pos + 12 + 46 <= out.size()) out.replace(pos + 12, 46, std::string(46, '~'));
  return out;
}

// A catalogue curve's name as the console shows it: 23 characters.
std::string shown_name(int n) {
  static const char* const details[] = {"B1", "B2", "C ", "C1", "C2", "D ", "E ", "F ",
                                        "F1", "F3", "G ", "W1", "W2", "W3", "T "};
  static const char* const places[] = {"AIR", "SEA_CAT", "SEA_FREE"};
  std::string name =
      n <= 45   ? std::string("NORSOK  ") + details[(n - 1) % 15] + "  " + places[(n - 1) / 15]
      : n <= 48 ? std::string("DNV     D   ") + places[n - 46]
      : n == 49 ? "NORSOK  E     BP_SCH"
                : "NORSOK  E     BP_SVI";
  name.resize(23, ' ');
  return name;
}

std::string expected_catalogue_list() {
  std::string text = std::string(54, ' ') +
                     "\n           Available SN-Curves:  (Totally   50 curves) \n" +
                     std::string(59, ' ') + "\n";
  for (int n = 1; n <= 50; ++n)
    text += (n < 10 ? "  " : " ") + std::to_string(n) + " : " + shown_name(n) + "\n";
  return text + "   \n";
}

std::string selected_curve_line(int n) {
  return "\n Selected SN-Curve             : " + shown_name(n) + "\n";
}

std::string prompts(std::initializer_list<Question> questions) {
  std::string text;
  for (const Question& q : questions)
    text += " " + std::string(q.prompt);
  return text;
}

std::string series_lines(int steps, const std::string& length) {
  const std::string count = std::to_string(steps);
  return " Number of steps in Time Series:" + std::string(12 - count.size(), ' ') + count +
         "\n Simulation Length             :" + std::string(12 - length.size(), ' ') + length +
         "\n";
}

std::string column_block(int columns) {
  const std::string count = std::to_string(columns);
  return "\n" + std::string(10 - count.size(), ' ') + count + " Columns found ...\n\n";
}

// A file name as the messages about it show it: 256 characters and the line end.
std::string padded(const std::string& name) {
  return name + std::string(256 - name.size(), ' ') + "\n";
}

// Lines from time `first` to `last` whose ten stress values swing between 0 and 5.
std::string swings(int first, int last) {
  std::string text;
  for (int t = first; t <= last; ++t)
    text += std::to_string(t) + (t % 2 == 0 ? " 0 0 0 0 0 0 0 0 0 0\n" : " 5 5 5 5 5 5 5 5 5 5\n");
  return text;
}

// Three columns; both stress columns swing enough for the count.
const std::string kSeries =
    "# time stress\n0.0 10.0 5.0\n1.0 12.0 4.0\n2.0 8.0 6.0\n3.0 14.0 3.0\n4.0 6.0 7.0\n"
    "5.0 15.0 2.0\n6.0 9.0 5.0\n";
const std::string kSix = "\n\n\n\n\n\n";  // the defaults of questions 3 to 8

// The answers after the series file: questions 3 to 8, 9 to 11, and 12 on
// (by default column 2 and no histogram files).
std::string ans(const std::string& q3_to_q8 = kSix, const std::string& curve = "\n1\n",
                const std::string& rest = "\nn\nn\n") {
  return q3_to_q8 + curve + rest;
}

// One run: the print file and the series file are answered first.
struct Case {
  std::string series = kSeries;
  std::string answers = ans();
  int status = kExitOk;
  std::string out = "";         // console text expected, when not empty
  std::string err = "";         // expected in the message; no message when empty
  std::string curve_file = "";  // written to curve.sn when not empty
  std::string file = "";        // a file written, and text expected in it
  std::string file_has = "";
  bool crlf = false;  // Windows line ends in the answers and the series
};

class DMG01Test : public ::testing::Test {
 protected:
  RunResult check(const Case& c) {
    SCOPED_TRACE(c.series.substr(0, 40) + " | " + c.answers.substr(0, 60));
    const auto crlf = [&](std::string text) {
      for (std::size_t i = 0; c.crlf && (i = text.find('\n', i)) != npos; i += 2)
        text.insert(i, "\r");
      return text;
    };
    if (!c.curve_file.empty()) dir.write("curve.sn", c.curve_file);
    const RunResult r = run_dialogue(crlf(
        dir.file("print.txt") + "\n" + dir.write("series.txt", crlf(c.series)) + "\n" + c.answers));
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(c.out.empty() || r.out.find(c.out) != npos) << r.out;
    EXPECT_TRUE(c.err.empty() ? r.err.empty() : r.err.find(c.err) != npos) << r.err;
    if (c.status == kExitBadInput) {
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
      // The definition file is read after the series, any other input before.
      EXPECT_EQ(r.out.find("Number of steps") == npos, c.curve_file.empty());
    }
    EXPECT_TRUE(c.file.empty() || read_file(dir.file(c.file)).find(c.file_has) != npos) << c.file;
    return r;
  }

  TempDir dir;
};

TEST_F(DMG01Test, DefaultRunShowsBannerPromptsCatalogueAndSeries) {
  const RunResult r = check(Case{});
  const std::string expected =
      expected_banner() + prompts({kQ1, kQ2, kQ3, kQ4, kQ5, kQ6, kQ7, kQ8}) +
      expected_catalogue_list() + prompts({kQ9, kQ10}) + selected_curve_line(1) + column_block(3) +
      prompts({kQ12}) + series_lines(7, "6.000") + " Computed Damage ";
  EXPECT_EQ(mask_contact_line(r.out).substr(0, expected.size()), expected);
  const std::string end = prompts({kQ13, kQ15});
  EXPECT_EQ(r.out.substr(r.out.size() - end.size()), end);
}

TEST_F(DMG01Test, TimeWindowEndsTheReadingAtTheFirstLaterTime) {
  const struct {
    std::string window;  // answers to questions 3 and 4
    std::string out;
  } rows[] = {
      {"\n5\n", series_lines(6, "6.000")},  // the line at time 6 ends the reading and counts
      {"\n\n", series_lines(11, "10.000")},
      {"5, 20\n5\n", series_lines(1, "1.000")},  // only the first value of an answer counts
      // Nothing accepted: no column is asked for, and the last time read counts.
      {"20\n\n", selected_curve_line(1) + series_lines(0, "10.000")},
      // An answer is read through 10 000 characters: from time 1 to 10.
      {"1" + std::string(5'000'000, ' ') + "x\n\n", series_lines(10, "9.000")},
  };
  for (const auto& row : rows)
    check(Case{.series = swings(0, 10), .answers = ans(row.window + "\n\n\n\n"), .out = row.out});
}

// '0.0,1.5,2.5' is one field to the split; a skipped first line does not
// count; millisecond time stamps fit; a column not chosen need only hold numbers;
// lines are read through their first 10 000 characters.
TEST_F(DMG01Test, ColumnCountComesFromTheBlankSeparatedFieldsOfTheFirstLine) {
  const std::string q12 = prompts({kQ12});
  const auto found = [&](int columns, const std::string& first, const std::string& more = "") {
    return Case{.series = first + swings(10, 16), .out = column_block(columns) + q12 + more};
  };
  for (const Case& c :
       {found(2, "0.0 1.5\n1.0 2.5\n"), found(2, "0.0,1.5,2.5\n1.0,2.5,3.5\n"),
        found(2, "0.0\t1.5\t2.5\n"), found(4, "-1 9 9 9 9\n0.0 1 2 3\n"),
        found(11, "0 1 2 3 4 5 6 7 8 9 10\n"),
        found(3, "1733500000000 1.5 2.5\n1733500000001 1.5 2.5\n"), found(3, "0 1 1e39\n1 2 3\n"),
        found(2, "0.0 10.0" + std::string(9992, ' ') + "junk beyond the width\n1 1\n",
              series_lines(9, "16.000"))})
    check(c);
  check(Case{.answers = ans(kSix, "\n1\n", "4\n1\n-2\n3\nn\nn\n"),
             .out = column_block(3) + q12 + " Illegal Column   :   4\n" + q12 +
                    " Illegal Column   :   1\n" + q12 + " Illegal Column   :  -2\n" + q12 +
                    series_lines(7, "6.000")});
}

// Only a lower-case n chooses a definition file. Empty lines give no number
// and no new prompt; numbers out of range are refused. The definition file is
// asked for until it opens, and its title line follows the series lines.
TEST_F(DMG01Test, CurveIsChosenByNumberOrByDefinitionFile) {
  const std::string q10 = prompts({kQ10});
  const auto chosen = [&](const std::string& q9_q10, int n, const std::string& refused = "") {
    return Case{.answers = ans(kSix, q9_q10),
                .out = prompts({kQ9}) + q10 + refused + selected_curve_line(n) + column_block(3)};
  };
  const std::string missing = dir.file("missing.sn");
  const std::string absent = prompts({kQ11}) + " Nonexisting file :";
  for (const Case& c : {chosen("\n6\n", 6), chosen("y\n50\n", 50), chosen("yes\n 49 junk\n", 49),
                        chosen("N\n1\n", 1), chosen(" n\n1\n", 1),
                        chosen("\n\n  \n0\n51\n-7, 3\n\t\n46\n", 46,
                               " Illegal SN-Curve :   0\n" + q10 + " Illegal SN-Curve :  51\n" +
                                   q10 + " Illegal SN-Curve :  -7\n" + q10)})
    check(c);
  check(Case{
      .answers = ans(
          kSix, "n\n" + missing + "\n" + dir.path().string() + "\n" + dir.file("curve.sn") + "\n"),
      .out = prompts({kQ9}) + absent + padded(missing) + absent + padded(dir.path().string()) +
             prompts({kQ11}) + column_block(3) + prompts({kQ12}) + series_lines(7, "6.000") +
             "\n User Defined SN-Curve         : my curve\n",
      .curve_file = "my curve\n1 3 1\n12 3 0\n0\n"});
}

// Every way an answer, a series line or a definition-file line can end the run:
// status 2 and a one-line message naming the question or the line. The line
// that ends the time window is read too.
TEST_F(DMG01Test, BadInputEndsTheRun) {
  const auto bad = [](const std::string& answers, const std::string& where,
                      const std::string& series = kSeries) {
    return Case{.series = series, .answers = answers, .status = kExitBadInput, .err = where};
  };
  const auto line = [&](const std::string& series, const std::string& where) {
    return bad(ans(), where, series);
  };
  const auto curve = [&](const std::string& content, const std::string& where) {
    Case c = bad(ans(kSix, "n\n" + dir.file("curve.sn") + "\n"), where);
    c.curve_file = content;
    return c;
  };
  for (const Case& c :
       {bad("abc\n", "question 3"), bad("\n1..5\n", "question 4"),
        bad("\n\n\n1e400\n", "question 6"), bad("\n\n\n\nx\n", "question 7"),
        bad("\n\n\n\n\n12.5\n", "question 8"), bad("\n\n\n\n\n99999999999\n", "question 8"),
        bad("\n\n\n\n\n,5\n", "question 8"), bad(ans(kSix, "\nx\n"), "question 10"),
        bad(ans(kSix, "\n1.5\n"), "question 10"), bad(ans(kSix, "\n/\n"), "question 10"),
        bad(ans(kSix, "\n,\n"), "question 10"), bad(ans(kSix, "\n99999999999\n"), "question 10"),
        bad(ans(kSix, "\n1\n", "x\n"), "question 12"),
        bad(ans(kSix, "\n1\n", "/\n"), "question 12")})
    check(c);
  for (const Case& c :
       {line("time stress\n0 1\n", "line 1: cannot read the time 'time'"),
        line("0 1\n #0 1\n", "line 2: cannot read the time '#0'"),
        line("0 1 2\n1 1\n", "line 2: the line holds fewer numbers than the time and 2 stress"),
        line("0 1 2\n1 1 inf\n", "line 2: cannot read stress value 2 'inf'"),
        line("-1 1 2\n0 1 nan\n", "line 2: cannot read stress value 2 'nan'"),
        line("0\n", "line 1: the line holds fewer numbers than the time and 1 stress value"),
        line("0 1e39\n", "line 1: the stress of column 2 is beyond the single-precision range"),
        line(std::string("0 1\0\n", 5), "line 1: cannot read stress value 1"),
        line("0 1 -x\n", "line 1: cannot read the fields of the first line"),
        bad(ans("\n5\n\n\n\n\n"), "line 2: cannot read stress value 1 'x'", "0 1\n9 x\n")})
    check(c);
  for (const Case& c :
       {curve("my curve\n1 3 1\n12 0 0\n0\n", "line 3"),
        curve("my curve\n1 3 1\n12 x 0\n0\n", "line 3"), curve("my curve\n1 4 1\n", "line 2"),
        curve("my curve\n9 3 9\n", "line 2"), curve("my curve\n1 3 1\n12 3 0\n", "curve.sn: ")})
    check(c);
}

TEST_F(DMG01Test, InputThatIsThePrintFileEndsTheRunUntouched) {
  const std::string series = dir.write("series.txt", kSeries);
  const std::string print = dir.write("print.txt", "a curve I keep\n1 3 1\n12 3 0\n0\n");
  for (const std::string& answers :
       {series + "\n" + dir.path().string() + "/./series.txt\n",
        print + "\n" + series + "\n" + ans(kSix, "n\n" + print + "\n")}) {
    const RunResult r = run_dialogue(answers);
    EXPECT_EQ(r.status, kExitBadInput);
    EXPECT_NE(r.err.find("is the print file"), npos) << r.err;
    EXPECT_EQ(read_file(series), kSeries);
    EXPECT_EQ(read_file(print), "a curve I keep\n1 3 1\n12 3 0\n0\n");
  }
}

// Also: an existing print file is not emptied when the run ends before writing.
TEST_F(DMG01Test, ConsoleInputEndingAtAnyQuestionEndsTheRun) {
  const std::string print = dir.write("print.txt", "results of last week\n");
  const std::string full = print + "\n" + dir.write("series.txt", kSeries) + "\n" + ans();
  std::size_t cut = 0;
  for (int answered = 0; answered < 13; ++answered) {
    const RunResult r = run_dialogue(full.substr(0, cut));
    EXPECT_EQ(r.status, kExitBadInput) << answered;
    EXPECT_NE(r.err.find("console input ended"), npos) << r.err;
    EXPECT_EQ(r.out.back(), ' ') << "the run ends behind the waiting prompt";
    EXPECT_TRUE(answered > 10 || read_file(print) == "results of last week\n") << answered;
    cut = full.find('\n', cut) + 1;
  }
  EXPECT_EQ(cut, full.size());  // thirteen answers in all
  EXPECT_EQ(run_dialogue(full).status, kExitOk);
}

TEST_F(DMG01Test, FilesThatDoNotOpenAreAskedForAgain) {
  const std::string no_folder = dir.file("no/such/folder/print.txt");
  const std::string missing = dir.file("missing.txt");
  const std::string folder = dir.path().string();
  // A name is read through 256 characters.
  const RunResult r = run_dialogue(std::string(300, 'n') + "\n" + no_folder + "\n\n" + folder +
                                   "\n" + dir.file("p.txt") + "\n" + missing + "\n" + folder +
                                   "\n" + dir.write("series.txt", kSeries) + "\n" + ans());
  EXPECT_EQ(r.status, kExitOk);
  const std::string cannot = prompts({kQ1}) + " Cannot Open file :";
  const std::string absent = prompts({kQ2}) + " Nonexisting file :";
  EXPECT_NE(r.out.find(cannot + padded(std::string(256, 'n')) + cannot + padded(no_folder) +
                       cannot + padded("") + cannot + padded(folder) + prompts({kQ1}) + absent +
                       padded(missing) + absent + padded(folder) + prompts({kQ2, kQ3})),
            npos)
      << r.out;
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(DMG01Test, HistogramFilesRefuseInputsAndThePrintFile) {
  const std::string series = dir.file("series.txt");
  const std::string print = dir.file("print.txt");
  const std::string plot = dir.file("plot.txt");
  const std::string q14 = prompts({kQ14}) + " Cannot open      :";
  const std::string q16 = prompts({kQ16}) + " Cannot open      :";
  // The same name for both files: the cycles-per-year file rewrites the plot file.
  check(Case{.answers = ans(kSix, "\n1\n",
                            "\ny\n" + series + "\n" + print + "\n" + plot + "\ny\n" + series +
                                "\n" + plot + "\n"),
             .out = q14 + padded(series) + q14 + padded(print) + prompts({kQ14, kQ15}) + q16 +
                    padded(series) + prompts({kQ16}),
             .file = "plot.txt",
             .file_has = "# == Data refer to Cycles per Year ="});
  const std::string written = read_file(plot);
  EXPECT_EQ(written.find("# Number of Cycles"), written.rfind("# Number of Cycles"));
  EXPECT_EQ(read_file(series), kSeries);
  EXPECT_NE(read_file(print).find(" --------------- e o f ----------------\n"), npos);
}

TEST_F(DMG01Test, ResultsReachTheConsoleAndTheFiles) {
  std::string no_time;  // every line at time 0
  for (int i = 0; i < 8; ++i)
    no_time += i % 2 == 0 ? "0 1\n" : "0 9\n";
  // The yearly figures cannot be formed; question 16 is not asked.
  check(Case{.series = no_time,
             .answers = ans(kSix, "\n1\n", "\nn\ny\n"),
             .out = " Computed Damage per Year      :       undefined\n" + prompts({kQ13, kQ15}) +
                    " No cycles per year: simulation length below 0.5\n",
             .file = "print.txt",
             .file_has = " Computed Damage per Year      :       undefined\n"});
  // No swing at all: nothing is computed, and the blocks asked are reported.
  check(
      Case{.series = "0 5\n1 5\n2 5\n",
           .answers = ans("\n\n\n\n\n3\n", "\n1\n", "\ny\n" + dir.file("plot.txt") + "\nn\n"),
           .out = " Computed Damage               :     0.00000E+00\n"
                  " Computed Damage per Year      :     0.00000E+00\n",
           .file = "plot.txt",
           .file_has =
               "# Number of Cycles      :            0\n# Number of Stressblocks:            3\n"
               "# Block Length    [MPa] :        0.000\n# TS Stress range [MPa] :        0.000\n"});
  const std::string plot = read_file(dir.file("plot.txt"));  // three empty blocks drawn
  EXPECT_EQ(std::count(plot.begin(), plot.end(), '\n'), 5 + 2 * 3 + 2);
  check(Case{.answers = ans(kSix, "\n1\n", "\ny\n/dev/full\nn\n"),
             .status = kExitFailed,
             .err = "/dev/full"});
  check(Case{.answers = ans("\n\nm\n\n\n\n", "y\n2\n", "3\nn\nn\n"),
             .out = series_lines(7, "6.000"),
             .crlf = true});
}

}  // namespace
}  // namespace skaldur::dialogue
