#include "sncurve/definition.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <tuple>
#include <vector>

#include "sncurve/record.hpp"
#include "support/temp_dir.hpp"

namespace skaldur::sncurve {
namespace {

// Every position starts at this value, so that unwritten ones show.
constexpr double kUntouched = -7.5;

struct Outcome {
  bool ok;
  std::vector<double> record;
  std::string title;
  textio::LineError error;
};

Outcome read(const std::string& content, std::size_t record_size = kRecordSize) {
  skaldur::testing::TempDir dir;
  const int fd = ::open(dir.write("curve.sn", content).c_str(), O_RDONLY);
  textio::LineReader lines(fd);
  Outcome o{false, std::vector<double>(record_size, kUntouched), "", {}};
  auto title = read_definition(lines, o.record);
  o.ok = title.ok();
  if (o.ok) o.title = *title;
  if (!o.ok) o.error = title.error();
  ::close(fd);
  return o;
}

// The record expected: `values` from position 1, the rest untouched.
std::vector<double> expect(std::vector<double> values) {
  values.resize(kRecordSize, kUntouched);
  return values;
}

// Each row is a complete file, the record it gives from position 1, and the
// title.
TEST(ReadDefinition, Records) {
  const std::tuple<std::string, std::vector<double>, std::string> rows[] = {
      // Comment lines of each kind, an empty line and a line of blanks; two
      // segments and the fixed parameters behind them.
      {"$ NORSOK D\n# counts\n\n! from the top\nD-curve  in air   \n2 3 4\n' c\n     \n"
       "12.164 3 1.0E7\n15.606 5 0\n52.63 25 0.2 0\n",
       {2, 1, 1, 2, 3, 4, 9, 15, 12.164, 3, 1.0e7, 15.606, 5, 0, 52.63, 25, 0.2, 0},
       "D-curve  in air   "},
      // Values beyond those read, and lines after the fixed line, are ignored.
      {"T\n1 3 2\n12 3 0 99\n50 25 77\nword\n", {2, 1, 1, 1, 3, 2, 9, 12, 12, 3, 0, 50, 25}, "T"},
      // A title of digits; # starts a comment, a blank then an apostrophe data.
      {"2 3 4\n0 3 1\n50\n", {2, 1, 1, 0, 3, 1, 9, 9, 50}, "2 3 4"},
      {"#Title\n 'Title\n0 3 1\n50", {2, 1, 1, 0, 3, 1, 9, 9, 50}, " 'Title"},
      // nFixPar 0: the file may end after the segments, and a line there is
      // never read.
      {"T\n1 3 0\n12 3 0\nword\n", {2, 1, 1, 1, 3, 0, 9, 12, 12, 3, 0}, "T"},
      // The title keeps its first 256 characters.
      {std::string(255, 'a') + "bc\n0 3 0\n",
       {2, 1, 1, 0, 3, 0, 9, 9},
       std::string(255, 'a') + "b"},
  };
  for (const auto& [content, record, title] : rows) {
    const Outcome o = read(content);
    EXPECT_EQ(std::tie(o.ok, o.record, o.title), std::make_tuple(true, expect(record), title))
        << content << ": " << o.error.what;
  }
  // 8 + 3 x 7 + 1 = 30: the last fixed parameter lands in position 30. A
  // record of 17 values cannot hold 2 segments and 4 fixed parameters, and
  // nothing is written past it.
  const std::string seven = "11 3 0\n12 3 0\n13 3 0\n14 3 0\n15 3 0\n16 3 0\n17 3 0\n";
  EXPECT_EQ(read("T\n7 3 1\n" + seven + "99\n").record[29], 99.0);
  const Outcome small = read(std::get<0>(rows[0]), 17);
  EXPECT_NE(small.error.what.find("needs 18 values"), std::string::npos) << small.error.what;
  EXPECT_EQ(small.record, std::vector<double>(17, kUntouched));
}

TEST(ReadDefinition, Refusals) {
  const std::string two = "T\n2 3 4\n12 3 1e7\n15 5 0\n";
  const std::tuple<std::string, std::int64_t, std::string> rows[] = {
      // The file ends too early: line 0.
      {"T\n2 3 4\n12 3 1e7\n", 0, "the file ends after 1 of 2 segment lines"},
      {two + "' no fixed line\n", 0, "the file ends before the fixed-parameter line"},
      // Values that cannot be read.
      {"T\n2 3\n", 2, "cannot read nFixPar on the counts line: a number is missing"},
      {"T\n2 3.0 4\n", 2, "nParPerLin on the counts line '3.0': not a number of the needed kind"},
      {"T\n2 3 3000000000\n", 2, "nFixPar on the counts line '3000000000': the number is out"},
      {"T\n1 3 1\n12 x 0\n", 3, "cannot read m on the line of segment 1 'x'"},
      {two + "52.63 25 0.2\n", 5, "kHigh on the fixed-parameter line: a number is missing"},
      // Counts that cannot describe a curve.
      {"T\n-1 3 4\n", 2, "nSNlin is -1: a count cannot be negative"},
      {"T\n1 3 -2\n", 2, "nFixPar is -2: a count cannot be negative"},
      {"T\n1 -3 2\n", 2, "nParPerLin is -3: a count cannot be negative"},
      {"T\n1 4 2\n", 2, "nParPerLin is 4: a segment line holds exactly 3 values"},
      {"T\n8 3 0\n", 2, "needs 32 values (8 + 3 x nSNlin + nFixPar), more than the 30"},
      {"T\n2147483647 3 2147483647\n", 2, "needs 8589934596 values"},
      // A segment whose exponent is not above 0.
      {"T\n1 3 1\n12 0 0\n", 3, "m of segment 1 is 0: the exponent must be above 0"},
      {"T\n2 3 1\n12 3 1e7\n15 -5 0\n", 4, "m of segment 2 is -5"},
  };
  for (const auto& [content, line, what] : rows) {
    const Outcome o = read(content);
    ASSERT_FALSE(o.ok) << content;
    EXPECT_EQ(o.error.line, line) << content;
    EXPECT_NE(o.error.what.find(what), std::string::npos) << o.error.what;
  }
  // The title line comes whole before the rest is read; a refused line is kept as read.
  skaldur::testing::TempDir dir;
  const std::string title = "Bad curve" + std::string(300, '!');
  textio::LineReader lines(::open(dir.write("curve.sn", title + "\n-1 3 0\n").c_str(), O_RDONLY));
  EXPECT_EQ(read_title_line(lines).value(), title);
  Record record{};
  EXPECT_EQ(read_curve_lines(lines, record).error().text, "-1 3 0");
  ::close(lines.descriptor());
}

}  // namespace
}  // namespace skaldur::sncurve
