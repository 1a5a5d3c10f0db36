// Runs the built program on scripted answers and compares its console output,
// exit status and every file it writes with what the rules give, worked out by
// hand for the series 3, 0, 5, 1, 4, 2, 6, 0, 3 (one value a second, in MPa).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.hpp"

namespace skaldur {
namespace {

using testing::read_file;
using testing::TempDir;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the program in `dir` with `answers` on its standard input.
Outcome run_program(const TempDir& dir, const std::string& answers) {
  const char* exe = std::getenv("SKALDUR_EXE");
  if (exe == nullptr) throw std::runtime_error("SKALDUR_EXE is not set");
  dir.write("answers", answers);
  const std::string command =
      "cd '" + dir.path().string() + "' && '" + exe + "' < answers > console.out 2> console.err";
  const int raw = std::system(command.c_str());
  Outcome run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = read_file(dir.file("console.out"));
  run.err = read_file(dir.file("console.err"));
  return run;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

// The date stamp's digits change from run to run.
std::string mask_date(std::string text) {
  static const std::regex stamp(R"( Date : \d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
  return std::regex_replace(text, stamp, " Date : YYYY-MM-DD hh:mm:ss");
}

void expect_lines(const std::string& actual, const std::vector<std::string>& expected,
                  const std::string& what) {
  const std::vector<std::string> got = lines_of(mask_date(actual));
  for (std::size_t i = 0; i < std::max(got.size(), expected.size()); ++i) {
    EXPECT_EQ(i < got.size() ? got[i] : "<missing>", i < expected.size() ? expected[i] : "<extra>")
        << what << " line " << i + 1;
  }
  EXPECT_TRUE(actual.empty() || actual.back() == '\n') << what << " ends without a line end";
}

const std::string kSeries = "# worked example, MPa\n0 3\n1 0\n2 5\n3 1\n4 4\n5 2\n6 6\n7 0\n8 3\n";
const std::string kStampLine = " Date : YYYY-MM-DD hh:mm:ss";
const std::string kStampHeader = "#" + kStampLine + std::string(256 - kStampLine.size(), ' ');

// Answers: print file, series, questions 3 to 8 (MPa, 6 blocks), then `curve`,
// question 12, and `files` for questions 13 to 16.
std::string answers(const std::string& curve, const std::string& files) {
  return "print.txt\nseries.txt\n\n\nm\n\n\n6\n" + curve + "\n" + files;
}

// The plot file of the worked example: four cycles in blocks 2, 4 and 6.
const std::vector<std::string> kPlotFile = {
    kStampHeader,
    "# Number of Cycles      :            4",
    "# Number of Stressblocks:            6",
    "# Block Length    [MPa] :        1.010",
    "# TS Stress range [MPa] :        6.060",
    "    0.00000E+00    0.00000E+00",
    "    0.00000E+00    0.00000E+00",
    "    1.01000E+00    0.00000E+00",
    "    1.01000E+00    1.00000E+00",
    "    2.02000E+00    1.00000E+00",
    "    2.02000E+00    0.00000E+00",
    "    3.03000E+00    0.00000E+00",
    "    3.03000E+00    1.00000E+00",
    "    4.04000E+00    1.00000E+00",
    "    4.04000E+00    0.00000E+00",
    "    5.05000E+00    0.00000E+00",
    "    5.05000E+00    1.00000E+00",
    "    6.06000E+00    1.00000E+00",
    "    6.06000E+00    0.00000E+00",
};

// Eight seconds repeat 3 942 000 times a year.
const std::vector<std::string> kCyclesPerYearFile = {
    kStampHeader,
    "#           ",
    "# ==================================",
    "# == Data refer to Cycles per Year =",
    "# ----------------------------------",
    "#           ",
    "# Number of Cycles      :     15768000",
    "# Number of Stressblocks:            6",
    "# Block Length    [MPa] :      1.01000",
    "# TS Stress range [MPa] :      6.06000",
    "#           ",
    "# nBlocks    BlocLen    TSRange",
    "       6     1.01000     6.06000",
    "#           ",
    "    1.01000E+00    0.00000E+00",
    "    2.02000E+00    3.94200E+06",
    "    3.03000E+00    0.00000E+00",
    "    4.04000E+00    3.94200E+06",
    "    5.05000E+00    0.00000E+00",
    "    6.06000E+00    3.94200E+06",
};

std::vector<std::string> summary_head() {
  return {kStampLine,
          " Number of steps in Time Series:           9",
          " Simulation Length             :       8.000",
          " Force Unit Scaling Factor     :    1.000000",
          " SCF                           :       1.000",
          ""};
}

TEST(EndToEnd, DefinitionFileRun) {
  TempDir dir;
  dir.write("series.txt", kSeries);
  dir.write("curve.sn", "' one segment, no break\nWorked example curve\n1 3 1\n12 3 0\n0\n");
  const Outcome run = run_program(dir, answers("n\ncurve.sn\n", "y\nplot.txt\ny\nyear.txt\n"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");

  std::vector<std::string> print = summary_head();
  for (const std::string& line : {
           std::string(" User Defined SN-Curve         : Worked example curve"),
           std::string(" "),
           std::string("'    nSNlin  nParPerLin  nFixPar "),
           std::string("         1         3         1"),
           "'" + std::string(40, ' ') + " Line Segment  1",
           std::string("'  LogA        m         nBreak  "),
           std::string("    12.000     3.000   0.000E+00"),
           "'" + std::string(40, ' ') + " Fixed Parameters",
           std::string("'  SigBreak    thick     k     .....  "),
           std::string("     0.000"),
           std::string(""),
           std::string(" Computed SigBreak:      0.000"),
           std::string(""),
           std::string(" Computed Damage               :     2.19068E-10"),
           std::string(" Computed Damage per Year      :     8.63565E-04"),
           std::string(" "),
           std::string(" --------------- e o f ----------------"),
       }) {
    print.push_back(line);
  }
  expect_lines(read_file(dir.file("print.txt")), print, "print file");
  expect_lines(read_file(dir.file("plot.txt")), kPlotFile, "plot file");
  expect_lines(read_file(dir.file("year.txt")), kCyclesPerYearFile, "cycles-per-year file");

  // The console ends with the title line, the result lines and the last prompts.
  const std::string tail =
      " Number of steps in Time Series:           9\n"
      " Simulation Length             :       8.000\n"
      "\n"
      " User Defined SN-Curve         : Worked example curve\n"
      " Computed Damage               :     2.19068E-10\n"
      " Computed Damage per Year      :     8.63565E-04\n"
      " Cycle Histogram plot data?    /n/ :  "
      " Specify File name for plot        :  "
      " Store Cycle Histogram Data    /n/ :  "
      " Specify File for print of Cyc/Year:  ";
  ASSERT_GE(run.out.size(), tail.size());
  EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail);
}

TEST(EndToEnd, CatalogueRun) {
  TempDir dir;
  dir.write("series.txt", kSeries);
  // Curve 48, DNV D in free corrosion: LogA 12.18 held in single precision, m 3.
  const Outcome run = run_program(dir, answers("\n48\n", "y\nplot.txt\nn\n"));
  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<std::string> print = summary_head();
  for (const std::string& line : {
           std::string(" Selected SN-Curve             : DNV     D   SEA_FREE   "),
           std::string(" "),
           std::string("'    nSNlin  nParPerLin  nFixPar "),
           std::string("         1         3         1"),
           "'" + std::string(40, ' ') + " Line Segment  1",
           std::string("'  LogA        m         nBreak  "),
           std::string("    12.180     3.000   0.000E+00"),
           "'" + std::string(40, ' ') + " Fixed Parameters",
           std::string("'  SigBreak    thick     k     .....  "),
           std::string("     0.000"),
           std::string(""),
           std::string(" Computed SigBreak:      0.000"),
           std::string(""),
           std::string(" Computed Damage               :     1.44737E-10"),
           std::string(" Computed Damage per Year      :     5.70551E-04"),
           std::string(" "),
           std::string(" --------------- e o f ----------------"),
       }) {
    print.push_back(line);
  }
  expect_lines(read_file(dir.file("print.txt")), print, "print file");
  expect_lines(read_file(dir.file("plot.txt")), kPlotFile, "plot file");
  EXPECT_FALSE(std::filesystem::exists(dir.file("year.txt")));
}

TEST(EndToEnd, FailedComputationLeavesOnlyItsDiagnostics) {
  TempDir dir;
  // 0, 10, 0, 10, 0 has three turning points: too few to count.
  dir.write("series.txt", "0 0\n1 10\n2 0\n3 10\n4 0\n");
  dir.write("print.txt", "old content\n");
  const Outcome run = run_program(dir, answers("\n1\n", "y\nplot.txt\n"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("print.txt"), std::string::npos) << run.err;
  expect_lines(read_file(dir.file("print.txt")),
               {"", "  *** ERROR IN RAINFLW ***", "", "      Too short time series", "",
                "  *** ERROR IN DMG02 ***", "      Error return from TSRAIN2 "},
               "print file");
  const std::string tail =
      " Number of steps in Time Series:           5\n"
      " Simulation Length             :       4.000\n";
  ASSERT_GE(run.out.size(), tail.size());
  EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail);
}

TEST(EndToEnd, BadInputExitsWithStatusTwo) {
  TempDir dir;
  dir.write("series.txt", "time stress\n0 1\n");
  const Outcome run = run_program(dir, answers("\n1\n", ""));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("series.txt, line 1"), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("Number of steps"), std::string::npos);
}

TEST(EndToEnd, WriteFailureExitsWithStatusOne) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TempDir dir;
  dir.write("series.txt", kSeries);
  const Outcome run = run_program(dir, "/dev/full\nseries.txt\n\n\nm\n\n\n6\n\n48\n\nn\nn\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("/dev/full"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace skaldur
