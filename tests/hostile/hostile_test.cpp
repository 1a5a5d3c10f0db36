// Runs the built program on hostile input: broken and enormous files, odd
// numbers, console input that stops early, outputs that cannot be written.
// Every run must end as designed: exit 0 with the whole report, exit 2 with
// one message line for input it cannot read, exit 1 with one message line
// naming the file for a write failure or a failed computation, or the
// question asked again where the dialogue asks again. Never a crash, a hang
// (each run is bounded by `timeout`) or a report presented after a failure.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>
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

// One value a second in MPa; with curve 48 it has four cycles and a damage.
const std::string kSeries = "# worked example, MPa\n0 3\n1 0\n2 5\n3 1\n4 4\n5 2\n6 6\n7 0\n8 3\n";
const std::string kCurve = "Worked example curve\n1 3 1\n12 3 0\n0\n";
const std::string kSteps9 = " Number of steps in Time Series:           9\n";
const std::string kEof = " --------------- e o f ----------------";

// What the print file holds after the run.
enum class Print {
  summary,      // the whole summary, down to its end line
  diagnostics,  // only the damage computation's diagnostics
  empty,        // nothing (it was named, so it exists, but nothing was written)
  unchecked,    // not a file of the folder (/dev/full)
};

struct Row {
  std::string name;
  std::vector<std::pair<std::string, std::function<std::string()>>> files;
  std::function<std::string()> answers;
  int status;
  std::string err_has;                   // part of the message line (status 1 and 2)
  std::vector<std::string> console_has;  // parts of the console output
  Print print;
};

std::function<std::string()> text(std::string content) {
  return [content] { return content; };
}

std::string garbage(std::size_t size, unsigned stream) {
  std::mt19937 rng(stream);
  std::string bytes(size, '\0');
  for (char& c : bytes)
    c = static_cast<char>(rng() & 0xFF);
  return bytes;
}

// The answers of a catalogue run (curve 48, MPa) with the two given files.
std::string catalogue_answers(const std::string& q3 = "", const std::string& q8 = "") {
  return "print.txt\nseries.txt\n" + q3 + "\n\nm\n\n\n" + q8 + "\n\n48\n\nn\nn\n";
}
std::string definition_answers() {
  return "print.txt\nseries.txt\n\n\nm\n\n\n\nn\ncurve.sn\n\nn\nn\n";
}

Row series_row(std::string name, std::function<std::string()> series, int status,
               std::string err_has, std::vector<std::string> console_has = {}) {
  const Print print = status == 0 ? Print::summary : Print::empty;
  return {std::move(name),
          {{"series.txt", std::move(series)}},
          text(catalogue_answers()),
          status,
          std::move(err_has),
          std::move(console_has),
          print};
}

Row curve_row(std::string name, std::function<std::string()> curve, int status,
              std::string err_has) {
  return {std::move(name),
          {{"series.txt", text(kSeries)}, {"curve.sn", std::move(curve)}},
          text(definition_answers()),
          status,
          std::move(err_has),
          {},
          status == 0 ? Print::summary : Print::empty};
}

Row answer_row(std::string name, std::string answers, int status, std::string err_has,
               std::vector<std::string> console_has = {}) {
  return {std::move(name),
          {{"series.txt", text(kSeries)}, {"curve.sn", text(kCurve)}},
          text(std::move(answers)),
          status,
          std::move(err_has),
          std::move(console_has),
          status == 0 ? Print::summary : Print::empty};
}

// Lines of `columns` fields: a one-digit time and the value repeated.
std::string wide_series(std::size_t columns) {
  std::string content;
  const char values[] = "305142603";
  for (int t = 0; t < 9; ++t) {
    content += static_cast<char>('0' + t);
    for (std::size_t c = 1; c < columns; ++c) {
      content += ' ';
      content += values[t];
    }
    content += '\n';
  }
  return content;
}

// "2 5", the fourth line of the worked series, replaced by "2 <value>".
std::string series_with(const std::string& value) {
  std::string content = kSeries;
  content.replace(content.find("\n2 5\n") + 1, 3, "2 " + value);
  return content;
}

std::string crlf(std::string content) {
  for (std::size_t at = content.find('\n'); at != std::string::npos;
       at = content.find('\n', at + 2))
    content.insert(at, "\r");
  return content;
}

std::string question(int number) {
  return "question " + std::to_string(number) + " (";
}

// The answers of a definition run with both histogram files, each with the
// number of the question it answers.
const std::vector<std::pair<int, std::string>> kAllAnswers = {
    {1, "print.txt"}, {2, "series.txt"}, {3, ""},          {4, ""},   {5, "m"},
    {6, ""},          {7, ""},           {8, ""},          {9, "n"},  {11, "curve.sn"},
    {12, ""},         {13, "y"},         {14, "plot.txt"}, {15, "y"}, {16, "year.txt"},
};

// The console input ends while each question in turn waits for its answer.
void add_input_ends_rows(std::vector<Row>& table) {
  std::string answers;
  for (const auto& [number, answer] : kAllAnswers) {
    // The summary is written once the series is read (question 12) and counted.
    table.push_back(answer_row("InputEndsAtQuestion" + std::to_string(number), answers, 2,
                               "the console input ended while " + question(number)));
    table.back().print = number > 12 ? Print::summary : Print::empty;
    answers += answer + "\n";
  }
  table.push_back(answer_row("AllAnswers", answers, 0, ""));
  table.push_back(answer_row("InputEndsAtQuestion10", "print.txt\nseries.txt\n\n\nm\n\n\n\n\n", 2,
                             "the console input ended while " + question(10)));
  // A last answer without its line feed is still an answer.
  table.push_back(answer_row("LastAnswerWithoutLineFeed",
                             "print.txt\nseries.txt\n\n\nm\n\n\n\n\n48", 2,
                             "the console input ended while " + question(12)));
}

std::vector<Row> rows() {
  std::vector<Row> table;

  // Time-series files.
  table.push_back(series_row("EmptySeries", text(""), 0, "",
                             {" Number of steps in Time Series:           0\n",
                              " Computed Damage per Year      :       undefined\n"}));
  table.push_back(series_row("CommentOnlySeries", text("# a\n$ b\n! c\n' d\n\n   \n"), 0, "",
                             {" Number of steps in Time Series:           0\n"}));
  table.push_back(series_row(
      "BinaryGarbageSeries", [] { return garbage(4096, 1); }, 2, "series.txt, line "));
  table.push_back(series_row("NulByteInValue", text(series_with("\0"s)), 2,
                             "series.txt, line 4: cannot read stress value 1 '?'"));
  table.push_back(series_row("NulByteStartsLine", text("\0 3\n"s + kSeries), 2,
                             "series.txt, line 1: cannot read the time '?"));
  // Only the first 10 000 characters of a line are read: the rest is never
  // looked at, and the next line is read as usual.
  table.push_back(series_row("FiftyMegabyteLine",
                             [] {
                               return kSeries + "9 4" + std::string(9997, ' ') +
                                      std::string(50 << 20, 'x') + "\n10 1\n";
                             },
                             0, "",
                             {" Number of steps in Time Series:          11\n",
                              " Simulation Length             :      10.000\n"}));
  table.push_back(series_row("CrlfSeries", text(crlf(kSeries)), 0, "",
                             {kSteps9, " Simulation Length             :       8.000\n"}));
  // 100 000 columns are cut to their first 10 000 characters: the time and
  // 4 999 values.
  table.push_back(series_row("HundredThousandColumns", [] { return wide_series(100000); }, 0, "",
                             {"      5000 Columns found ...\n", kSteps9}));
  table.push_back(series_row("SeriesValueBeyondDouble", text(series_with("1e400")), 2,
                             "series.txt, line 4: cannot read stress value 1 '1e400'"));
  table.push_back(series_row("SeriesValueNegativeZero", text(series_with("-0")), 0, "", {kSteps9}));
  table.push_back(series_row("SeriesValueTwoPoints", text(series_with("1.5.5")), 2,
                             "series.txt, line 4: cannot read stress value 1 '1.5.5'"));
  table.push_back(series_row("SeriesValueTwoSigns", text(series_with("++1")), 2,
                             "series.txt, line 4: cannot read stress value 1 '++1'"));

  // Numbers as answers: question 3 takes a real, question 8 a whole number.
  for (const auto& [label, value, status] :
       std::vector<std::tuple<std::string, std::string, int>>{{"BeyondDouble", "1e400", 2},
                                                              {"NegativeZero", "-0", 0},
                                                              {"TwoPoints", "1.5.5", 2},
                                                              {"TwoSigns", "++1", 2},
                                                              {"NulByte", "1\0"s, 2}}) {
    const std::string shown = value == "1\0"s ? "1?" : value;
    table.push_back(
        answer_row("FirstTime" + label, catalogue_answers(value), status,
                   question(3) + "\"First Time        / whole series/\"): '" + shown + "'"));
    table.push_back(answer_row("Blocks" + label, catalogue_answers("", value), status,
                               question(8) + "\"Number of Blocks     /500/\"): '" + shown + "'"));
  }
  // The answer text holds 10 000 characters: "1" and 9 999 zeros is beyond a double.
  table.push_back(answer_row("FiftyMegabyteAnswer", "", 2, question(3)));
  table.back().answers = [] { return catalogue_answers("1" + std::string(50 << 20, '0')); };
  table.push_back(answer_row("BinaryGarbageAnswers", garbage(4096, 3), 2,
                             "the console input ended while question "));

  // Answers the dialogue refuses and asks again.
  // A file name holds 256 characters; one that long does not open.
  table.push_back(answer_row("FiftyMegabyteFileName", "", 0, "",
                             {" Cannot Open file :" + std::string(256, 'a') + "\n"}));
  table.back().answers = [] { return std::string(50 << 20, 'a') + "\n" + catalogue_answers(); };
  table.push_back(answer_row("PrintFileInMissingFolder",
                             "nofolder/print.txt\n" + catalogue_answers(), 0, "",
                             {" Cannot Open file :nofolder/print.txt   "}));
  table.push_back(answer_row("MissingSeriesFile",
                             "print.txt\nmissing.txt\n" + catalogue_answers().substr(10), 0, "",
                             {" Nonexisting file :missing.txt   "}));
  table.push_back(answer_row("FolderAsSeriesFile",
                             "print.txt\n.\n" + catalogue_answers().substr(10), 0, "",
                             {" Nonexisting file :.   "}));
  table.push_back(answer_row("ColumnOne", "print.txt\nseries.txt\n\n\nm\n\n\n\n\n48\n1\n2\nn\nn\n",
                             0, "", {" Illegal Column   :   1\n"}));
  table.push_back(answer_row("CurveZero", "print.txt\nseries.txt\n\n\nm\n\n\n\n\n0\n48\n\nn\nn\n",
                             0, "", {" Illegal SN-Curve :   0\n"}));
  table.push_back(
      answer_row("PlotFileOntoTheSeries",
                 "print.txt\nseries.txt\n\n\nm\n\n\n\n\n48\n\ny\nseries.txt\nplot.txt\nn\n", 0, "",
                 {" Cannot open      :series.txt   "}));
  table.push_back(answer_row("CrlfAnswers", crlf(definition_answers()), 0, "", {kSteps9}));

  // SN-curve definition files.
  table.push_back(
      curve_row("EmptyDefinition", text(""), 2, "curve.sn: the file ends before the title line"));
  table.push_back(curve_row("CommentOnlyDefinition", text("# a\n' b\n\n"), 2,
                            "curve.sn: the file ends before the title line"));
  table.push_back(curve_row(
      "BinaryGarbageDefinition", [] { return garbage(4096, 2); }, 2, "curve.sn"));
  table.push_back(curve_row("NulByteInCounts", text("T\n1 3\0 1\n12 3 0\n0\n"s), 2,
                            "curve.sn, line 2: cannot read nParPerLin"));
  table.push_back(curve_row(
      "MillionSegments",
      [] {
        std::string content = "Big\n1000000 3 4\n";
        for (int j = 0; j < 1000000; ++j)
          content += "12 3 0\n";
        return content + "52 25 0.2 0\n";
      },
      2, "curve.sn, line 2: the curve needs 3000012 values"));
  table.push_back(curve_row("SegmentBeyondDouble", text("T\n1 3 1\n1e400 3 0\n0\n"), 2,
                            "curve.sn, line 3: cannot read LogA"));
  table.push_back(curve_row("CrlfDefinition", text(crlf(kCurve)), 0, ""));

  // Outputs that cannot be written.
  table.push_back(answer_row("PrintFileOnDevFull", "/dev/full\n" + catalogue_answers().substr(10),
                             1, "/dev/full"));
  table.back().print = Print::unchecked;
  table.push_back(answer_row("PlotFileOnDevFull",
                             "print.txt\nseries.txt\n\n\nm\n\n\n\n\n48\n\ny\n/dev/full\nn\n", 1,
                             "/dev/full"));
  table.back().print = Print::summary;

  add_input_ends_rows(table);
  return table;
}

struct Outcome {
  int raw = -1;  // the shell's exit status: 124 after a timeout, 128 + n after signal n
  std::string out;
  std::string err;
};

Outcome run_program(const TempDir& dir) {
  const char* exe = std::getenv("SKALDUR_EXE");
  if (exe == nullptr) throw std::runtime_error("SKALDUR_EXE is not set");
  const std::string command = "cd '" + dir.path().string() + "' && timeout -k 5 " +
                              std::to_string(kTimeoutSeconds) + " '" + exe +
                              "' < answers > console.out 2> console.err";
  const int raw = std::system(command.c_str());
  Outcome run;
  run.raw = WIFEXITED(raw) ? WEXITSTATUS(raw) : 256;
  run.out = read_file(dir.file("console.out"));
  run.err = read_file(dir.file("console.err"));
  return run;
}

// Rows are shown by their names.
void PrintTo(const Row& row, std::ostream* out) {
  *out << row.name;
}

class HostileInput : public ::testing::TestWithParam<Row> {};

TEST_P(HostileInput, EndsAsDesigned) {
  const Row& row = GetParam();
  TempDir dir;
  std::vector<std::pair<std::string, std::string>> inputs;
  for (const auto& [name, make] : row.files) {
    inputs.emplace_back(name, make());
    dir.write(name, inputs.back().second);
  }
  dir.write("answers", row.answers());

  const Outcome run = run_program(dir);
  ASSERT_NE(run.raw, 124) << "the run did not end within " << kTimeoutSeconds << " s";
  ASSERT_LT(run.raw, 128) << "the run was ended by signal " << run.raw - 128 << "\n" << run.err;
  EXPECT_EQ(run.raw, row.status) << run.err;

  if (row.status == 0) {
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find(" Computed Damage per Year      :"), std::string::npos);
  } else {
    // One clear line: the program's name, the reason, no control characters.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(run.err.starts_with("skaldur: ") && run.err.ends_with("\n")) << run.err;
    EXPECT_LE(run.err.size(), 600U);
    EXPECT_TRUE(std::all_of(run.err.begin(), run.err.end() - 1, [](char c) {
      return static_cast<unsigned char>(c) >= 32 && c != 127;
    })) << run.err;
    EXPECT_NE(run.err.find(row.err_has), std::string::npos)
        << "message: " << run.err << "wanted: " << row.err_has;
  }
  for (const std::string& part : row.console_has)
    EXPECT_NE(run.out.find(part), std::string::npos) << "console lacks: " << part;

  const std::string print = read_file(dir.file("print.txt"));
  switch (row.print) {
    case Print::summary:
      EXPECT_NE(print.find(kEof), std::string::npos) << "the summary is not whole";
      EXPECT_EQ(print.find("*** ERROR"), std::string::npos);
      break;
    case Print::diagnostics:
      EXPECT_NE(print.find("*** ERROR IN"), std::string::npos);
      EXPECT_EQ(print.find(kEof), std::string::npos);
      break;
    case Print::empty: EXPECT_EQ(print, "") << "a print file after a failed run"; break;
    case Print::unchecked: break;
  }
  for (const auto& [name, content] : inputs)
    EXPECT_TRUE(read_file(dir.file(name)) == content) << name << " was changed";
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileInput, ::testing::ValuesIn(rows()),
                         [](const ::testing::TestParamInfo<Row>& row) { return row.param.name; });

}  // namespace
}  // namespace skaldur
