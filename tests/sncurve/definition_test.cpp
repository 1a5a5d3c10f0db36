#include "sncurve/definition.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "sncurve/echo.hpp"
#include "sncurve/record.hpp"
#include "support/temp_dir.hpp"

namespace skaldur::sncurve {
namespace {

// Every position starts at this value, so that unwritten ones show.
constexpr double kUntouched = -7.5;

struct Outcome {
  bool ok = false;
  std::vector<double> record;
  std::string title;
  std::string console;
  DefinitionError error;
};

Outcome read(const std::string& content, std::size_t record_size = kRecordSize) {
  skaldur::testing::TempDir dir;
  const std::string path = dir.write("curve.sn", content);
  const int fd = ::open(path.c_str(), O_RDONLY);
  textio::LineReader lines(fd);
  Outcome outcome;
  outcome.record.assign(record_size, kUntouched);
  std::ostringstream console;
  outcome.ok = read_definition(lines, outcome.record, outcome.title, console, outcome.error);
  outcome.console = console.str();
  ::close(fd);
  return outcome;
}

// The record expected: `values` from position 1, the rest untouched.
std::vector<double> expect(std::vector<double> values) {
  values.resize(kRecordSize, kUntouched);
  return values;
}

const std::string kExample =
    "$ NORSOK D in air, typed in by hand\n"
    "# counts: nSNlin nParPerLin nFixPar\n"
    "\n"
    "! segments from the high-stress end\n"
    "D-curve  in air   \n"
    "2 3 4\n"
    "12.164 3 1.0E7\n"
    "15.606 5 0\n"
    "52.63 25 0.2 0\n";

TEST(ReadDefinition, WorkedExampleFillsTheRecordAndEchoes) {
  const Outcome o = read(kExample);
  ASSERT_TRUE(o.ok) << o.error.what;
  EXPECT_EQ(o.record, expect({2, 1, 1, 2, 3, 4, 9, 15,  //
                              12.164, 3, 1.0e7, 15.606, 5, 0, 52.63, 25, 0.2, 0}));
  EXPECT_EQ(o.title, "D-curve  in air   ");
  EXPECT_EQ(o.console, "\n User Defined SN-Curve         : D-curve  in air\n");

  // (10^12.164 / 1e7)^(1/3) = 10^1.721333 = 52.6421
  std::ostringstream print;
  SNECHO(o.record, print);
  EXPECT_NE(print.str().find("\n Computed SigBreak:     52.642\n"), std::string::npos)
      << print.str();
}

// Each row is a complete file; the record it gives, from position 1.
TEST(ReadDefinition, SkipsCommentsAndBlankLinesAndIgnoresExtras) {
  const struct {
    const char* name;
    std::string content;
    std::vector<double> record;
    std::string title;
  } rows[] = {
      {"apostrophe comment between segments",
       "T\n2 3 1\n12 3 1e7\n' between\n15 5 0\n50\n",
       {2, 1, 1, 2, 3, 1, 9, 15, 12, 3, 1e7, 15, 5, 0, 50},
       "T"},
      {"blank line before the first segment",
       "T\n1 3 1\n     \n12 3 0\n50\n",
       {2, 1, 1, 1, 3, 1, 9, 12, 12, 3, 0, 50},
       "T"},
      {"fourth number on a segment line, lines after the fixed line",
       "T\n1 3 2\n12 3 0 99\n50 25 77\n1 2 3\nword\n",
       {2, 1, 1, 1, 3, 2, 9, 12, 12, 3, 0, 50, 25},
       "T"},
      {"title of digits, title with a leading apostrophe after a blank",
       "2 3 4\n1 3 1\n12 3 0\n50\n",
       {2, 1, 1, 1, 3, 1, 9, 12, 12, 3, 0, 50},
       "2 3 4"},
      {"title starting with # is a comment",
       "#Title\n 'Title\n1 3 1\n12 3 0\n50\n",
       {2, 1, 1, 1, 3, 1, 9, 12, 12, 3, 0, 50},
       " 'Title"},
      {"commas, tabs, D exponents and CR LF line ends",
       "T\r\n1,3,\t1\r\n12.5D0, 3.0d0 ,2E+6\r\n-0.5e1/\r\n",
       {2, 1, 1, 1, 3, 1, 9, 12, 12.5, 3, 2e6, -5},
       "T"},
      {"no title line end before the file end is needed",
       "T\n0 3 1\n50",
       {2, 1, 1, 0, 3, 1, 9, 9, 50},
       "T"},
  };
  for (const auto& row : rows) {
    const Outcome o = read(row.content);
    ASSERT_TRUE(o.ok) << row.name << ": " << o.error.what;
    EXPECT_EQ(o.record, expect(row.record)) << row.name;
    EXPECT_EQ(o.title, row.title) << row.name;
  }
}

TEST(ReadDefinition, EmptyCounts) {
  const struct {
    const char* name;
    std::string content;
    std::vector<double> record;
  } rows[] = {
      // nSNlin 0: the line after the counts line is the fixed-parameter line.
      {"no segment", "T\n0 3 2\n7 8\n", {2, 1, 1, 0, 3, 2, 9, 9, 7, 8}},
      // nFixPar 0: there is nothing to read from a fixed-parameter line, so the
      // file may end after the segments, and whatever follows is never read.
      {"no fixed parameter, file ends", "T\n1 3 0\n12 3 0\n", {2, 1, 1, 1, 3, 0, 9, 12, 12, 3, 0}},
      {"no fixed parameter, a word follows",
       "T\n1 3 0\n12 3 0\nword\n",
       {2, 1, 1, 1, 3, 0, 9, 12, 12, 3, 0}},
      {"neither", "T\n0 3 0\nword\n", {2, 1, 1, 0, 3, 0, 9, 9}},
  };
  for (const auto& row : rows) {
    const Outcome o = read(row.content);
    ASSERT_TRUE(o.ok) << row.name << ": " << o.error.what;
    EXPECT_EQ(o.record, expect(row.record)) << row.name;
  }
}

TEST(ReadDefinition, RefusesUnusableFiles) {
  const std::string segments2 = "T\n2 3 4\n12 3 1e7\n15 5 0\n";
  const struct {
    std::string content;
    std::int64_t line;
    std::string text;  // the line as read
    std::string what;
  } rows[] = {
      // The file ends too early: line 0.
      {"", 0, "", "the file ends before the title line"},
      {"T\n", 0, "", "the file ends before the counts line"},
      {"T\n2 3 4\n12 3 1e7\n", 0, "", "the file ends after 1 of 2 segment lines"},
      {segments2 + "' no fixed line\n", 0, "", "the file ends before the fixed-parameter line"},
      // Values that cannot be read.
      {"T\n2 3\n", 2, "2 3", "cannot read nFixPar on the counts line: a number is missing"},
      {"T\n2 3.0 4\n", 2, "2 3.0 4",
       "cannot read nParPerLin on the counts line '3.0': not a number of the needed kind"},
      {"T\n2 3 3000000000\n", 2, "2 3 3000000000",
       "cannot read nFixPar on the counts line '3000000000': the number is out of range"},
      {"T\n1 3 1\n12 x 0\n", 3, "12 x 0", "cannot read m on the line of segment 1 'x'"},
      {"T\n1 3 1\n12 3\n", 3, "12 3",
       "cannot read nBreak on the line of segment 1: a number is missing"},
      {"T\n1 3 1\n 'quoted\n", 3, " 'quoted",
       "cannot read LogA on the line of segment 1 ''quoted'"},
      {"T\n1 3 1\n1e999 3 0\n", 3, "1e999 3 0",
       "LogA on the line of segment 1 '1e999': the number"},
      {segments2 + "52.63 25 0.2\n", 5, "52.63 25 0.2",
       "cannot read kHigh on the fixed-parameter line: a number is missing"},
      {"T\n0 3 5\n1 2 3 4 x\n", 3, "1 2 3 4 x",
       "cannot read fixed parameter 5 on the fixed-parameter line 'x'"},
      // Counts that cannot describe a curve.
      {"T\n-1 3 4\n", 2, "-1 3 4", "nSNlin is -1: a count cannot be negative"},
      {"T\n1 3 -2\n", 2, "1 3 -2", "nFixPar is -2: a count cannot be negative"},
      {"T\n1 -3 2\n", 2, "1 -3 2", "nParPerLin is -3: a count cannot be negative"},
      {"T\n1 4 2\n", 2, "1 4 2", "nParPerLin is 4: a segment line holds exactly 3 values"},
      {"T\n8 3 0\n", 2, "8 3 0", "needs 32 values (8 + 3 x nSNlin + nFixPar), more than the 30"},
      {"T\n0 3 23\n", 2, "0 3 23", "needs 31 values"},
      {"T\n2147483647 3 2147483647\n", 2, "2147483647 3 2147483647", "needs 8589934596 values"},
      // A segment whose exponent is not above 0.
      {"T\n1 3 1\n12 0 0\n", 3, "12 0 0", "m of segment 1 is 0: the exponent must be above 0"},
      {"T\n2 3 1\n12 3 1e7\n15 -5 0\n", 4, "15 -5 0", "m of segment 2 is -5"},
      {"T\n2 3 1\n12 3 1e7\n15 -0.0 0\n", 4, "15 -0.0 0", "m of segment 2 is -0.0"},
  };
  for (const auto& row : rows) {
    const Outcome o = read(row.content);
    ASSERT_FALSE(o.ok) << row.content;
    EXPECT_EQ(o.error.line, row.line) << row.content;
    EXPECT_EQ(o.error.text, row.text) << row.content;
    EXPECT_NE(o.error.what.find(row.what), std::string::npos) << o.error.what;
  }
}

TEST(ReadDefinition, RefusedLineWritesNothing) {
  // Refused counts: the header is not written either.
  EXPECT_EQ(read("T\n8 3 0\n").record, expect({}));
  // Segment 1 is written, segment 2 (refused) is not.
  EXPECT_EQ(read("T\n2 3 1\n12 3 1e7\n15 -5 0\n").record,
            expect({2, 1, 1, 2, 3, 1, 9, 15, 12, 3, 1e7}));
  // A fixed-parameter line short of values writes none of them.
  EXPECT_EQ(read("T\n0 3 3\n1 2\n").record, expect({2, 1, 1, 0, 3, 3, 9, 9}));
}

TEST(ReadDefinition, FillsTheWholeRecordAndNeverWritesPastIt) {
  // 8 + 3 x 7 + 1 = 30: the last fixed parameter lands in position 30.
  std::string file = "T\n7 3 1\n";
  for (int j = 1; j <= 7; ++j)
    file += std::to_string(10 + j) + " 3 0\n";
  file += "99\n";
  const Outcome full = read(file);
  ASSERT_TRUE(full.ok) << full.error.what;
  EXPECT_EQ(full.record[7], 30.0);  // fixStart = 9 + 3 x 7
  EXPECT_EQ(full.record[26], 17.0);
  EXPECT_EQ(full.record[29], 99.0);

  // A record of 17 values cannot hold 2 segments and 4 fixed parameters.
  const Outcome short_record = read(kExample, 17);
  ASSERT_FALSE(short_record.ok);
  EXPECT_NE(short_record.error.what.find("needs 18 values"), std::string::npos)
      << short_record.error.what;
  EXPECT_EQ(short_record.record, std::vector<double>(17, kUntouched));
}

TEST(ReadDefinition, TitleAndConsoleLine) {
  const std::string long_title = std::string(255, 'a') + "bc  ";
  const struct {
    const char* name;
    std::string title_line;
    std::string title;
    std::string console;
  } rows[] = {
      {"trailing blanks kept in the title only", "My curve   ", "My curve   ",
       "\n User Defined SN-Curve         : My curve\n"},
      {"the title keeps 256 characters, the console the whole line", long_title,
       std::string(255, 'a') + "b",
       "\n User Defined SN-Curve         : " + std::string(255, 'a') + "bc\n"},
      {"text that looks like numbers", " 1.0E7, 2 / x", " 1.0E7, 2 / x",
       "\n User Defined SN-Curve         :  1.0E7, 2 / x\n"},
  };
  for (const auto& row : rows) {
    const Outcome o = read(row.title_line + "\n0 3 0\n");
    ASSERT_TRUE(o.ok) << row.name << ": " << o.error.what;
    EXPECT_EQ(o.title, row.title) << row.name;
    EXPECT_EQ(o.console, row.console) << row.name;
  }

  // The console line is written as soon as the title is read, even when the
  // file is refused later on.
  const Outcome refused = read("Bad curve\n-1 3 0\n");
  ASSERT_FALSE(refused.ok);
  EXPECT_EQ(refused.console, "\n User Defined SN-Curve         : Bad curve\n");
}

TEST(ReadDefinition, ReadErrorOfTheFile) {
  // Reading a folder fails with EISDIR.
  skaldur::testing::TempDir dir;
  const int fd = ::open(dir.path().c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  textio::LineReader lines(fd);
  Record record{};
  std::string title;
  std::ostringstream console;
  DefinitionError error;
  EXPECT_FALSE(read_definition(lines, record, title, console, error));
  ::close(fd);
  EXPECT_EQ(error.line, 0);
  EXPECT_NE(error.what.find("the file cannot be read"), std::string::npos) << error.what;
  EXPECT_EQ(console.str(), "");
}

}  // namespace
}  // namespace skaldur::sncurve
