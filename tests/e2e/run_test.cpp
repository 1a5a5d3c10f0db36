// Runs the built program on scripted answers and compares its console output,
// exit status and every file it writes with what the rules give, worked out by
// hand for the series 3, 0, 5, 1, 4, 2, 6, 0, 3 (one value a second, in MPa).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
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

// The text with the digits of each date stamp, which change from run to run, masked.
std::string mask_date(std::string text) {
  const std::string form = "0000-00-00 00:00:00";
  for (std::size_t at = text.find(" Date : "); at != std::string::npos;
       at = text.find(" Date : ", at + 1)) {
    std::size_t i = 0;
    while (i < form.size() && at + 8 + i < text.size() &&
           (form[i] == '0' ? std::isdigit(static_cast<unsigned char>(text[at + 8 + i])) != 0
                           : text[at + 8 + i] == form[i]))
      ++i;
    if (i == form.size()) text.replace(at + 8, form.size(), "YYYY-MM-DD hh:mm:ss");
  }
  return text;
}

// Compares `actual`, its date stamps masked, line by line with `expected_text`.
void expect_lines(const std::string& actual, const std::string& expected_text,
                  const std::string& what) {
  const auto lines_of = [](const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  };
  const auto got = lines_of(mask_date(actual));
  const auto expected = lines_of(expected_text);
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
std::string answers(const std::string& curve, const std::string& files,
                    const std::string& print = "print.txt") {
  return print + "\nseries.txt\n\n\nm\n\n\n6\n" + curve + "\n" + files;
}

// The plot file of the worked example: four cycles in blocks 2, 4 and 6.
const std::string kPlotFile =
    kStampHeader + "\n" +
    "# Number of Cycles      :            4\n# Number of Stressblocks:            6\n"
    "# Block Length    [MPa] :        1.010\n# TS Stress range [MPa] :        6.060\n"
    "    0.00000E+00    0.00000E+00\n    0.00000E+00    0.00000E+00\n"
    "    1.01000E+00    0.00000E+00\n    1.01000E+00    1.00000E+00\n"
    "    2.02000E+00    1.00000E+00\n    2.02000E+00    0.00000E+00\n"
    "    3.03000E+00    0.00000E+00\n    3.03000E+00    1.00000E+00\n"
    "    4.04000E+00    1.00000E+00\n    4.04000E+00    0.00000E+00\n"
    "    5.05000E+00    0.00000E+00\n    5.05000E+00    1.00000E+00\n"
    "    6.06000E+00    1.00000E+00\n    6.06000E+00    0.00000E+00\n";

// Eight seconds repeat 3 942 000 times a year.
const std::string kCyclesPerYearFile =
    kStampHeader + "\n" +
    "#           \n# ==================================\n"
    "# == Data refer to Cycles per Year =\n# ----------------------------------\n"
    "#           \n# Number of Cycles      :     15768000\n"
    "# Number of Stressblocks:            6\n# Block Length    [MPa] :      1.01000\n"
    "# TS Stress range [MPa] :      6.06000\n#           \n"
    "# nBlocks    BlocLen    TSRange\n       6     1.01000     6.06000\n"
    "#           \n    1.01000E+00    0.00000E+00\n"
    "    2.02000E+00    3.94200E+06\n    3.03000E+00    0.00000E+00\n"
    "    4.04000E+00    3.94200E+06\n    5.05000E+00    0.00000E+00\n"
    "    6.06000E+00    3.94200E+06\n";

// The print file of the worked example with the curve line, the LogA of the
// curve echo and the two results.
std::string print_file(const std::string& curve, const std::string& log_a,
                       const std::string& damage, const std::string& per_year) {
  const std::string echo = "\n'" + std::string(40, ' ');
  return kStampLine +
         "\n Number of steps in Time Series:           9"
         "\n Simulation Length             :       8.000"
         "\n Force Unit Scaling Factor     :    1.000000"
         "\n SCF                           :       1.000"
         "\n\n" +
         curve +
         "\n "
         "\n'    nSNlin  nParPerLin  nFixPar "
         "\n         1         3         1" +
         echo + " Line Segment  1\n'  LogA        m         nBreak  \n    " + log_a +
         "     3.000   0.000E+00" + echo + " Fixed Parameters" +
         "\n'  SigBreak    thick     k     .....  "
         "\n     0.000"
         "\n\n Computed SigBreak:      0.000"
         "\n\n Computed Damage               :     " +
         damage + "\n Computed Damage per Year      :     " + per_year +
         "\n \n --------------- e o f ----------------\n";
}

TEST(EndToEnd, DefinitionFileAndCatalogueRuns) {
  const struct {
    std::string curve, files, curve_line, log_a, damage, per_year;
    bool cycles_per_year;
  } rows[] = {
      {"n\ncurve.sn\n", "y\nplot.txt\ny\nyear.txt\n",
       " User Defined SN-Curve         : Worked example curve", "12.000", "2.19068E-10",
       "8.63565E-04", true},
      {"\n48\n", "y\nplot.txt\nn\n", " Selected SN-Curve             : DNV     D   SEA_FREE   ",
       "12.180", "1.44737E-10", "5.70551E-04", false},
  };
  for (const auto& row : rows) {
    TempDir dir;
    dir.write("series.txt", kSeries);
    dir.write("curve.sn", "' one segment, no break\nWorked example curve\n1 3 1\n12 3 0\n0\n");
    const Outcome run = run_program(dir, answers(row.curve, row.files));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    expect_lines(read_file(dir.file("print.txt")),
                 print_file(row.curve_line, row.log_a, row.damage, row.per_year), "print file");
    expect_lines(read_file(dir.file("plot.txt")), kPlotFile, "plot file");
    EXPECT_EQ(std::filesystem::exists(dir.file("year.txt")), row.cycles_per_year);
    if (row.cycles_per_year)
      expect_lines(read_file(dir.file("year.txt")), kCyclesPerYearFile, "cycles-per-year file");
  }
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
               "\n  *** ERROR IN RAINFLW ***\n\n      Too short time series\n\n"
               "  *** ERROR IN DMG02 ***\n      Error return from TSRAIN2 \n",
               "print file");
  const std::string tail = " Simulation Length             :       4.000\n";
  EXPECT_EQ(run.out.substr(run.out.size() - std::min(tail.size(), run.out.size())), tail);
}

// A triangle wave 0 -> 8 -> 0 ten times between a leading and a trailing 1,
// once with every value held for two samples (a quantised record) and once
// without, in MPa with 8 blocks on curve 6 (NORSOK D in air). Both give the
// turning points 0, 8, 0, ..., 8, 0 (eleven 0s, ten 8s): the held 4s on the
// flanks are no turning points. Pushing them closes nine cycles 8-0 and
// leaves the residue 0, 8, 0: two half cycles, so 9 + 1 = 10 cycles of range
// 8 in block 8 (8 / 1.01 = 7.9) and nCycles = 9 + 2 = 11. TSRange is
// 1.01f * 8 = 8.08, BlocLen 1.01; block 8 is assessed at 7.5 * 1.01 = 7.575
// MPa, below the knee of the curve (52.64 MPa), so the damage is
//   10 / (10^15.606 * 7.575^-5) = 6.17893E-11,
// per year times 31 536 000 s over the span of 82 or 42 s.
TEST(EndToEnd, HeldValuesDoNotSplitCycles) {
  const struct {
    bool held;
    std::string steps, length, per_year;
  } rows[] = {
      {true, "83", "82.000", "2.37633E-05"},
      {false, "43", "42.000", "4.63949E-05"},
  };
  for (const auto& row : rows) {
    std::vector<int> values = {1};
    for (int wave = 0; wave < 10; ++wave) {
      for (const int v : {0, 4, 8, 4})
        values.insert(values.end(), row.held ? 2 : 1, v);
    }
    values.insert(values.end(), {0, 1});
    std::string series;
    for (std::size_t i = 0; i < values.size(); ++i)
      series += std::to_string(i) + ".0 " + std::to_string(values[i]) + "\n";
    TempDir dir;
    dir.write("series.txt", series);
    const Outcome run =
        run_program(dir, "print.txt\nseries.txt\n\n\nm\n\n\n8\n\n6\n\ny\nplot.txt\nn\n");
    SCOPED_TRACE(row.held ? "held" : "not held");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string counts =
        " Number of steps in Time Series:" + std::string(12 - row.steps.size(), ' ') + row.steps +
        "\n Simulation Length             :      " + row.length + "\n";
    const std::string results =
        " Computed Damage               :     6.17893E-11\n"
        " Computed Damage per Year      :     " +
        row.per_year + "\n";
    const std::string print = read_file(dir.file("print.txt"));
    EXPECT_NE(print.find(counts), std::string::npos) << print;
    EXPECT_NE(print.find(results), std::string::npos) << print;
    EXPECT_NE(run.out.find(results), std::string::npos) << run.out;

    const std::string bounds[] = {"0.00000E+00", "1.01000E+00", "2.02000E+00",
                                  "3.03000E+00", "4.04000E+00", "5.05000E+00",
                                  "6.06000E+00", "7.07000E+00", "8.08000E+00"};
    const std::string zero = "    0.00000E+00", ten = "    1.00000E+01";
    std::string plot = kStampHeader +
                       "\n# Number of Cycles      :           11\n"
                       "# Number of Stressblocks:            8\n"
                       "# Block Length    [MPa] :        1.010\n"
                       "# TS Stress range [MPa] :        8.080\n" +
                       "    " + bounds[0] + zero + "\n";
    for (std::size_t k = 1; k <= 8; ++k) {
      const std::string& count = k == 8 ? ten : zero;
      plot += "    " + bounds[k - 1] + count + "\n    " + bounds[k] + count + "\n";
    }
    plot += "    " + bounds[8] + zero + "\n";
    expect_lines(read_file(dir.file("plot.txt")), plot, "plot file");
  }
}

// Unreadable input ends the run with status 2, a print file that cannot be
// written with status 1.
TEST(EndToEnd, ExitStatus) {
  const struct {
    std::string series, answers;
    int status;
    std::string message;
  } rows[] = {
      {"time stress\n0 1\n", answers("\n1\n", ""), 2, "series.txt, line 1"},
      {kSeries, answers("\n48\n", "n\nn\n", "/dev/full"), 1, "/dev/full"},
  };
  for (const auto& row : rows) {
    TempDir dir;
    dir.write("series.txt", row.series);
    const Outcome run = run_program(dir, row.answers);
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace skaldur
