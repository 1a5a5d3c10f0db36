#include "driver/dmg01.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "driver/dialogue.hpp"
#include "support/temp_dir.hpp"
#include "tests/driver/run_helpers.hpp"

namespace skaldur::driver {
namespace {

using skaldur::testing::expected_banner;
using skaldur::testing::expected_catalogue_list;
using skaldur::testing::mask_contact_line;
using skaldur::testing::prompt;
using skaldur::testing::read_file;
using skaldur::testing::run_dialogue;
using skaldur::testing::selected_curve_line;
using skaldur::testing::TempDir;

// Three columns; both stress columns swing enough for the count.
const std::string kSeries =
    "# time stress\n0.0 10.0 5.0\n1.0 12.0 4.0\n2.0 8.0 6.0\n3.0 14.0 3.0\n4.0 6.0 7.0\n"
    "5.0 15.0 2.0\n6.0 9.0 5.0\n";

// Answers to questions 13 and 15: no histogram files.
const std::string kNoFiles = "n\nn\n";

// Lines that swing between 0 and 5, `values` stress values each, from time 10.
std::string swings(int values) {
  std::string text;
  for (int t = 10; t < 17; ++t) {
    text += std::to_string(t);
    for (int v = 0; v < values; ++v)
      text += t % 2 == 0 ? " 0" : " 5";
    text += "\n";
  }
  return text;
}

std::string prompts(std::initializer_list<Question> questions) {
  std::string text;
  for (const Question& q : questions)
    text += prompt(q.prompt);
  return text;
}

std::string series_lines(int steps, std::string_view length) {
  std::string count = std::to_string(steps);
  return " Number of steps in Time Series:" + std::string(12 - count.size(), ' ') + count +
         "\n Simulation Length             :" + std::string(12 - length.size(), ' ') +
         std::string(length) + "\n";
}

std::string column_block(int columns) {
  const std::string count = std::to_string(columns);
  return "\n" + std::string(10 - count.size(), ' ') + count + " Columns found ...\n\n";
}

class DMG01Test : public ::testing::Test {
 protected:
  // Answers for questions 1 to 10: the print file, the series file, the six
  // answers of questions 3 to 8, then the curve (catalogue curve 1).
  std::string answers(const std::string& series, const std::string& q3_to_q8 = "\n\n\n\n\n\n",
                      const std::string& curve = "\n1\n") {
    return dir.file("print.txt") + "\n" + dir.write("series.txt", series) + "\n" + q3_to_q8 + curve;
  }

  TempDir dir;
};

TEST_F(DMG01Test, ReadsTheSeriesWithDefaultAnswers) {
  const auto r = run_dialogue(answers(kSeries) + "\n" + kNoFiles);
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.err, "");
  const std::string expected =
      expected_banner() + prompts({kQ1, kQ2, kQ3, kQ4, kQ5, kQ6, kQ7, kQ8}) +
      expected_catalogue_list() + prompts({kQ9, kQ10}) + selected_curve_line(1) + column_block(3) +
      prompts({kQ12}) + series_lines(7, "6.000") + " Computed Damage ";
  EXPECT_EQ(mask_contact_line(r.out).substr(0, expected.size()), expected);
  const std::string end = prompts({kQ13, kQ15});
  EXPECT_EQ(r.out.substr(r.out.size() - end.size()), end);
}

TEST_F(DMG01Test, TimeWindowEndsTheReadingAtTheFirstLaterTime) {
  std::string series;
  for (int t = 0; t <= 10; ++t)
    series += std::to_string(t) + (t % 2 == 0 ? " 0\n" : " 5\n");
  const struct {
    std::string window;  // answers to questions 3 and 4
    int steps;
    const char* length;
  } rows[] = {
      {"\n5\n", 6, "6.000"},       // the line at time 6 ends the reading and counts
      {"\n\n", 11, "10.000"},      // the whole file
      {"1\n7\n", 7, "7.000"},      // from time 1: length 8 - 1
      {"5, 20\n5\n", 1, "1.000"},  // only the first value of an answer counts
      {"20\n\n", 0, "10.000"},     // nothing accepted: the last time read counts
  };
  for (const auto& row : rows) {
    const auto r = run_dialogue(answers(series, row.window + "\n\n\n\n") + "\n" + kNoFiles);
    EXPECT_EQ(r.status, kExitOk) << row.window << r.err;
    EXPECT_NE(r.out.find(series_lines(row.steps, row.length)), std::string::npos) << row.window;
    EXPECT_EQ(r.out.find("Columns found") == std::string::npos, row.steps == 0);
  }
}

TEST_F(DMG01Test, ColumnCountComesFromTheBlankSeparatedFieldsOfTheFirstLine) {
  const struct {
    std::string series;
    int columns;
  } rows[] = {
      {"0.0 1.5\n1.0 2.5\n", 2},
      {"0.0,1.5,2.5\n1.0,2.5,3.5\n", 2},  // the split sees one field
      {"0.0\t1.5\t2.5\n", 2},
      {"-1 9 9 9 9\n0.0 1 2 3\n", 4},  // the skipped line does not count
      {"0 1 2 3 4 5 6 7 8 9 10\n", 11},
      {"1733500000000 1.5 2.5\n1733500000001 1.5 2.5\n", 3},  // millisecond time stamps
  };
  for (const auto& row : rows) {
    const auto r =
        run_dialogue(answers(row.series + swings(std::max(row.columns - 1, 1))) + "\n" + kNoFiles);
    EXPECT_EQ(r.status, kExitOk) << row.series << r.err;
    EXPECT_NE(r.out.find(column_block(row.columns) + prompt(kQ12.prompt)), std::string::npos)
        << row.series;
  }
}

TEST_F(DMG01Test, IllegalColumnIsAskedAgain) {
  const auto r = run_dialogue(answers(kSeries) + "4\n1\n-2\n3\n" + kNoFiles);
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_NE(
      r.out.find(column_block(3) + prompt(kQ12.prompt) + " Illegal Column   :   4\n" +
                 prompt(kQ12.prompt) + " Illegal Column   :   1\n" + prompt(kQ12.prompt) +
                 " Illegal Column   :  -2\n" + prompt(kQ12.prompt) + series_lines(7, "6.000")),
      std::string::npos)
      << r.out;
}

TEST_F(DMG01Test, FilesThatDoNotOpenAreAskedForAgain) {
  const std::string no_folder = dir.file("no/such/folder/print.txt");
  const std::string missing = dir.file("missing.txt");
  const std::string series = dir.write("series.txt", kSeries);
  const auto r = run_dialogue(no_folder + "\n\n" + dir.path().string() + "\n" + dir.file("p.txt") +
                              "\n" + missing + "\n" + dir.path().string() + "\n" + series +
                              "\n\n\n\n\n\n\n\n1\n\n" + kNoFiles);
  EXPECT_EQ(r.status, kExitOk);
  const auto padded = [](const std::string& name) {
    return name + std::string(256 - name.size(), ' ');
  };
  const std::string q1 = prompt(kQ1.prompt);
  const std::string q2 = prompt(kQ2.prompt);
  EXPECT_NE(r.out.find(q1 + " Cannot Open file :" + padded(no_folder) + "\n" + q1 +
                       " Cannot Open file :" + std::string(256, ' ') + "\n" + q1 +
                       " Cannot Open file :" + padded(dir.path().string()) + "\n" + q1 + q2 +
                       " Nonexisting file :" + padded(missing) + "\n" + q2 + " Nonexisting file :" +
                       padded(dir.path().string()) + "\n" + q2 + prompt(kQ3.prompt)),
            std::string::npos)
      << r.out;
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(DMG01Test, WindowsLineEndsAreLineEnds) {
  std::string crlf;
  for (char c : kSeries)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string series = dir.write("series.txt", crlf);
  const auto r = run_dialogue(dir.file("print.txt") + "\r\n" + series +
                              "\r\n\r\n\r\nm\r\n\r\n\r\n\r\ny\r\n2\r\n3\r\nn\r\nn\r\n");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("print.txt")));
  EXPECT_NE(r.out.find(series_lines(7, "6.000")), std::string::npos);
}

TEST_F(DMG01Test, ExistingPrintFileIsNotEmptiedByNamingIt) {
  dir.write("print.txt", "results of last week\n");
  // The run ends at question 12, before anything is written.
  const auto r = run_dialogue(answers(kSeries));
  EXPECT_EQ(r.status, kExitBadInput);
  EXPECT_EQ(read_file(dir.file("print.txt")), "results of last week\n");
}

TEST_F(DMG01Test, SeriesThatIsThePrintFileEndsTheRunUntouched) {
  const std::string series = dir.write("series.txt", kSeries);
  const auto r = run_dialogue(series + "\n" + dir.path().string() + "/./series.txt\n");
  EXPECT_EQ(r.status, kExitBadInput);
  EXPECT_NE(r.err.find("is the print file"), std::string::npos) << r.err;
  EXPECT_EQ(read_file(series), kSeries);
  EXPECT_EQ(r.out.substr(r.out.size() - prompt(kQ2.prompt).size()), prompt(kQ2.prompt));
}

// Every way an answer or a data line can end the run: status 2, one message
// on standard error that names the place, nothing more on standard output.
TEST_F(DMG01Test, BadInputEndsTheRun) {
  const struct {
    std::string series;
    std::string q3_to_q8;  // ends the run here when it holds fewer than six answers
    std::string after;     // the answer to question 12
    std::string where;     // expected in the message
  } rows[] = {
      {kSeries, "abc\n", "", "question 3"},
      {kSeries, "\n1..5\n", "", "question 4"},
      {kSeries, "\n\n\n1e400\n", "", "question 6"},
      {kSeries, "\n\n\n\nx\n", "", "question 7"},
      {kSeries, "\n\n\n\n\n12.5\n", "", "question 8"},
      {kSeries, "\n\n\n\n\n99999999999\n", "", "question 8"},
      {kSeries, "\n\n\n\n\n,5\n", "", "question 8"},
      {kSeries, "\n\n\n\n\n\n", "x\n", "question 12"},
      {kSeries, "\n\n\n\n\n\n", "/\n", "question 12"},
      {"time stress\n0 1\n", "\n\n\n\n\n\n", "", "line 1"},
      {"0 1\n #0 1\n", "\n\n\n\n\n\n", "\n", "line 2"},
      {"0 1 2\n1 1\n", "\n\n\n\n\n\n", "\n", "line 2"},
      {"0 1 2\n1 1 inf\n", "\n\n\n\n\n\n", "\n", "line 2"},
      {"-1 1 2\n0 1 nan\n", "\n\n\n\n\n\n", "", "line 2"},
      {"0\n", "\n\n\n\n\n\n", "", "line 1"},
      {"0 1e39\n", "\n\n\n\n\n\n", "\n", "line 1"},
      {std::string("0 1\0\n", 5), "\n\n\n\n\n\n", "\n", "line 1"},
  };
  for (const auto& row : rows) {
    const auto r = run_dialogue(answers(row.series, row.q3_to_q8) + row.after);
    EXPECT_EQ(r.status, kExitBadInput) << row.q3_to_q8 << row.series;
    EXPECT_NE(r.err.find(row.where), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.out.find("Number of steps"), std::string::npos);
  }
}

TEST_F(DMG01Test, OtherColumnsNeedOnlyBeNumbers) {
  // 1e39 is beyond single precision, but column 3 is not the one chosen.
  const auto r = run_dialogue(answers("0 1 1e39\n1 2 3\n" + swings(2)) + "\n" + kNoFiles);
  EXPECT_EQ(r.status, kExitOk) << r.err;
}

TEST_F(DMG01Test, ConsoleInputEndingAtAnyQuestionEndsTheRun) {
  const std::string full = answers(kSeries) + "\n" + kNoFiles;  // thirteen answers in all
  ASSERT_EQ(run_dialogue(full).status, kExitOk);
  std::size_t cut = 0;
  for (int answered = 0; answered < 13; ++answered) {
    const auto r = run_dialogue(full.substr(0, cut));
    EXPECT_EQ(r.status, kExitBadInput) << answered;
    EXPECT_NE(r.err.find("console input ended"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.back(), ' ') << "the run ends behind the waiting prompt";
    cut = full.find('\n', cut) + 1;
  }
}

TEST_F(DMG01Test, LongLinesAreReadThroughTheirFirst10000Characters) {
  const std::string long_line = "0.0 10.0" + std::string(9992, ' ') + "garbage beyond the width\n";
  const auto r = run_dialogue(answers(long_line + "1.0 11.0\n" + swings(1)) + "\n" + kNoFiles);
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find(series_lines(9, "16.000")), std::string::npos);
}

TEST_F(DMG01Test, LongAnswersAreCut) {
  // A name is read through 256 characters, any other answer through 10 000.
  const std::string long_name = std::string(300, 'n');
  const std::string huge_answer = "1" + std::string(5'000'000, ' ') + "x";
  const auto r = run_dialogue(long_name + "\n" + answers(kSeries, huge_answer + "\n\n\n\n\n\n") +
                              "\n" + kNoFiles);
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find(" Cannot Open file :" + std::string(256, 'n') + "\n"), std::string::npos);
  EXPECT_NE(r.out.find(series_lines(6, "5.000")), std::string::npos);  // from time 1
}

TEST_F(DMG01Test, CatalogueCurveIsChosenByNumber) {
  const struct {
    std::string answers;  // to questions 9 and 10
    std::string shown;    // the console text from prompt 9 on, before the series
  } rows[] = {
      {"\n6\n", prompt(kQ9.prompt) + prompt(kQ10.prompt) + selected_curve_line(6)},
      {"y\n50\n", prompt(kQ9.prompt) + prompt(kQ10.prompt) + selected_curve_line(50)},
      // Only a lower-case n chooses a definition file.
      {"N\n1\n", prompt(kQ9.prompt) + prompt(kQ10.prompt) + selected_curve_line(1)},
      {" n\n1\n", prompt(kQ9.prompt) + prompt(kQ10.prompt) + selected_curve_line(1)},
      {"yes\n 49 junk\n", prompt(kQ9.prompt) + prompt(kQ10.prompt) + selected_curve_line(49)},
      // Empty lines give no number and no new prompt; numbers out of range are refused.
      {"\n\n  \n0\n51\n-7, 3\n\t\n46\n",
       prompt(kQ9.prompt) + prompt(kQ10.prompt) + " Illegal SN-Curve :   0\n" +
           prompt(kQ10.prompt) + " Illegal SN-Curve :  51\n" + prompt(kQ10.prompt) +
           " Illegal SN-Curve :  -7\n" + prompt(kQ10.prompt) + selected_curve_line(46)},
  };
  for (const auto& row : rows) {
    const auto r = run_dialogue(answers(kSeries, "\n\n\n\n\n\n", row.answers) + "\n" + kNoFiles);
    EXPECT_EQ(r.status, kExitOk) << row.answers << r.err;
    const std::string list_end = expected_catalogue_list();
    const auto from = r.out.find(list_end);
    ASSERT_NE(from, std::string::npos) << r.out;
    const auto to = r.out.find(column_block(3));
    ASSERT_NE(to, std::string::npos);
    EXPECT_EQ(r.out.substr(from + list_end.size(), to - from - list_end.size()), row.shown)
        << row.answers;
  }
}

TEST_F(DMG01Test, CurveNumberThatIsNoWholeNumberEndsTheRun) {
  for (const char* answer : {"x\n", "1.5\n", "/\n", ",\n", "99999999999\n"}) {
    const auto r = run_dialogue(answers(kSeries, "\n\n\n\n\n\n", std::string("\n") + answer));
    EXPECT_EQ(r.status, kExitBadInput) << answer;
    EXPECT_NE(r.err.find("question 10"), std::string::npos) << r.err;
  }
}

TEST_F(DMG01Test, DefinitionFileIsAskedForUntilItOpens) {
  const std::string missing = dir.file("missing.sn");
  const std::string curve = dir.write("curve.sn", "my curve\n1 3 1\n12 3 0\n0\n");
  const auto r =
      run_dialogue(answers(kSeries, "\n\n\n\n\n\n",
                           "n\n" + missing + "\n" + dir.path().string() + "\n" + curve + "\n") +
                   "\n" + kNoFiles);
  EXPECT_EQ(r.status, kExitOk) << r.err;
  const std::string q11 = prompt(kQ11.prompt);
  const auto padded = [](const std::string& name) {
    return name + std::string(256 - name.size(), ' ');
  };
  EXPECT_NE(r.out.find(expected_catalogue_list() + prompt(kQ9.prompt) + q11 +
                       " Nonexisting file :" + padded(missing) + "\n" + q11 +
                       " Nonexisting file :" + padded(dir.path().string()) + "\n" + q11 +
                       column_block(3)),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("Selected SN-Curve"), std::string::npos);
  // The title line follows the series lines.
  EXPECT_NE(r.out.find(series_lines(7, "6.000") + "\n User Defined SN-Curve         : my curve\n"),
            std::string::npos);
}

TEST_F(DMG01Test, UnusableDefinitionFileEndsTheRun) {
  const struct {
    const char* content;
    const char* expected;  // in the message
  } rows[] = {
      {"my curve\n1 3 1\n12 0 0\n0\n", "line 3"},
      {"my curve\n1 3 1\n12 x 0\n0\n", "line 3"},
      {"my curve\n1 4 1\n", "line 2"},
      {"my curve\n9 3 9\n", "line 2"},
      {"my curve\n1 3 1\n12 3 0\n", "curve.sn: "},
  };
  for (const auto& row : rows) {
    const std::string curve = dir.write("curve.sn", row.content);
    const auto r =
        run_dialogue(answers(kSeries, "\n\n\n\n\n\n", "n\n" + curve + "\n") + "\n" + kNoFiles);
    EXPECT_EQ(r.status, kExitBadInput) << row.content;
    EXPECT_NE(r.err.find(row.expected), std::string::npos) << r.err;
  }
}

TEST_F(DMG01Test, DefinitionFileThatIsThePrintFileEndsTheRunUntouched) {
  const std::string print = dir.write("print.txt", "a curve I keep\n1 3 1\n12 3 0\n0\n");
  const auto r = run_dialogue(answers(kSeries, "\n\n\n\n\n\n", "n\n" + print + "\n") + "\n");
  EXPECT_EQ(r.status, kExitBadInput);
  EXPECT_NE(r.err.find("is the print file"), std::string::npos) << r.err;
  EXPECT_EQ(read_file(print), "a curve I keep\n1 3 1\n12 3 0\n0\n");
}

TEST_F(DMG01Test, HistogramFilesRefuseInputsAndThePrintFile) {
  const std::string series = dir.file("series.txt");
  const std::string print = dir.file("print.txt");
  const std::string plot = dir.file("plot.txt");
  const auto r = run_dialogue(answers(kSeries) + "\ny\n" + series + "\n" + print + "\n" + plot +
                              "\ny\n" + series + "\n" + plot + "\n");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  const auto refused = [](const std::string& name) {
    return " Cannot open      :" + name + std::string(256 - name.size(), ' ') + "\n";
  };
  const std::string q14 = prompt(kQ14.prompt);
  const std::string q16 = prompt(kQ16.prompt);
  EXPECT_NE(r.out.find(q14 + refused(series) + q14 + refused(print) + q14 + prompt(kQ15.prompt) +
                       q16 + refused(series) + q16),
            std::string::npos)
      << r.out;
  EXPECT_EQ(read_file(series), kSeries);
  // The same name for both files: the cycles-per-year file rewrites the plot file.
  const std::string written = read_file(plot);
  EXPECT_NE(written.find("# == Data refer to Cycles per Year ="), std::string::npos);
  EXPECT_EQ(written.find("# Number of Cycles"), written.rfind("# Number of Cycles"));
  EXPECT_NE(read_file(print).find(" --------------- e o f ----------------\n"), std::string::npos);
}

TEST_F(DMG01Test, SpanOfNoTimeLeavesTheYearlyFiguresUndefined) {
  // Every line at time 0: the damage per year and the yearly factor cannot be formed.
  std::string series;
  for (int i = 0; i < 8; ++i)
    series += i % 2 == 0 ? "0 1\n" : "0 9\n";
  const auto r = run_dialogue(answers(series) + "\nn\ny\n");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find(" Computed Damage per Year      :       undefined\n"), std::string::npos);
  EXPECT_NE(r.out.find(prompt(kQ15.prompt) + " No cycles per year: simulation length below 0.5\n"),
            std::string::npos);
  EXPECT_EQ(r.out.find(prompt(kQ16.prompt)), std::string::npos);
  EXPECT_NE(
      read_file(dir.file("print.txt")).find(" Computed Damage per Year      :       undefined\n"),
      std::string::npos);
}

TEST_F(DMG01Test, WriteFailureOfAHistogramFileIsReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const auto r = run_dialogue(answers(kSeries) + "\ny\n/dev/full\nn\n");
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_NE(r.err.find("/dev/full"), std::string::npos) << r.err;
}

TEST_F(DMG01Test, ConstantSeriesReportsWhatTheOutputsHeld) {
  // No swing at all: nothing is computed, and the blocks asked are reported.
  const auto r = run_dialogue(answers("0 5\n1 5\n2 5\n", "\n\n\n\n\n3\n") + "\ny\n" +
                              dir.file("plot.txt") + "\nn\n");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find(" Computed Damage               :     0.00000E+00\n"
                       " Computed Damage per Year      :     0.00000E+00\n"),
            std::string::npos);
  const std::string plot = read_file(dir.file("plot.txt"));
  EXPECT_NE(plot.find("# Number of Cycles      :            0\n"
                      "# Number of Stressblocks:            3\n"
                      "# Block Length    [MPa] :        0.000\n"
                      "# TS Stress range [MPa] :        0.000\n"),
            std::string::npos);
  EXPECT_EQ(std::count(plot.begin(), plot.end(), '\n'), 5 + 2 * 3 + 2);
}

}  // namespace
}  // namespace skaldur::driver
