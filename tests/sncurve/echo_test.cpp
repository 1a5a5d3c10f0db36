#include "sncurve/echo.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "sncurve/record.hpp"

namespace skaldur::sncurve {
namespace {

std::vector<std::string> echo_lines(std::span<const double> record) {
  std::ostringstream print;
  SNECHO(record, print);
  std::vector<std::string> lines;
  std::istringstream in(print.str());
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  EXPECT_EQ(print.str().back(), '\n');
  return lines;
}

const std::string kSegmentTitle = "'" + std::string(40, ' ') + " Line Segment";
const std::string kFixedTitle = "'" + std::string(40, ' ') + " Fixed Parameters";

TEST(SNECHO, TwoSegmentCatalogueCurveLineByLine) {
  // NORSOK class D in air; segment 1 breaks at (10^12.164 / 1e7)^(1/3) = 52.642.
  const double record[] = {
      1,       6,  1,    2, 3, 4, 9, 15,  // header
      12.164f, 3,  1e7,                   // segment 1
      15.606f, 5,  0,                     // segment 2
      52.63f,  25, 0.2f, 0,               // SigBreak, thick, k, kHigh
  };
  const std::vector<std::string> expected = {
      " ",
      "'    nSNlin  nParPerLin  nFixPar ",
      "         2         3         4",
      kSegmentTitle + "  1",
      "'  LogA        m         nBreak  ",
      "    12.164     3.000   1.000E+07",
      kSegmentTitle + "  2",
      "'  LogA        m         nBreak  ",
      "    15.606     5.000   0.000E+00",
      kFixedTitle,
      "'  SigBreak    thick     k     .....  ",
      "    52.630    25.000     0.200     0.000",
      "",
      " Computed SigBreak:     52.642",
      "",
  };
  EXPECT_EQ(echo_lines(record), expected);
}

TEST(SNECHO, CountsFixedParametersAndComputedBreak) {
  const struct {
    const char* name;
    std::vector<double> record;
    std::string counts;
    std::vector<std::string> fixed_lines;
    std::string computed;
  } rows[] = {
      {"DNV D in air: single segment with a break",
       {2, 1, 1, 1, 3, 1, 9, 12, 12.18f, 3, 1.89e8f, 20},
       "         1         3         1",
       {"    20.000"},
       "    20.007"},
      {"single segment without a break",
       {1, 1, 3, 1, 3, 4, 9, 12, 12.436f, 3, 0, 0, 25, 0, 0},
       "         1         3         4",
       {"     0.000    25.000     0.000     0.000"},
       "     0.000"},
      {"no fixed parameters: an empty line",
       {2, 1, 1, 1, 3, 0, 9, 12, 12, 3, 0},
       "         1         3         0",
       {""},
       "     0.000"},
      {"seven fixed parameters: five and two",
       {2, 1, 1, 1, 3, 7, 9, 12, 12, 3, 0, 1, 2, 3, 4, 5, 6, 7},
       "         1         3         7",
       {"     1.000     2.000     3.000     4.000     5.000", "     6.000     7.000"},
       "     0.000"},
      {"counts taken half away from zero",
       {2, 1, 1, 0.5, 2.5, 0.49, 9, 9},
       "         1         3         0",
       {""},
       "     0.000"},
  };
  for (const auto& row : rows) {
    const auto lines = echo_lines(row.record);
    const std::size_t segments = lines.size() - 8 - row.fixed_lines.size();
    ASSERT_EQ(segments % 3, 0u) << row.name;
    EXPECT_EQ(lines[2], row.counts) << row.name;
    const std::size_t fixed_at = 3 + segments + 2;
    EXPECT_EQ(lines[fixed_at - 2], kFixedTitle) << row.name;
    for (std::size_t i = 0; i < row.fixed_lines.size(); ++i)
      EXPECT_EQ(lines[fixed_at + i], row.fixed_lines[i]) << row.name;
    EXPECT_EQ(lines[lines.size() - 2], " Computed SigBreak: " + row.computed) << row.name;
  }
}

TEST(SNECHO, SegmentNumbersAndWideValues) {
  // Too wide for F10.3: asterisks. A three-digit exponent keeps E12.3 at 12
  // columns by dropping the letter.
  const double record[] = {2, 1, 1, 2, 3, 1, 9, 15, 123456789.0, -3, 1.0e100, 1, 1, -1.5e-7, 0};
  const auto lines = echo_lines(record);
  EXPECT_EQ(lines[3], kSegmentTitle + "  1");
  EXPECT_EQ(lines[5], "**********    -3.000   1.000+100");
  EXPECT_EQ(lines[6], kSegmentTitle + "  2");
  EXPECT_EQ(lines[8], "     1.000     1.000  -1.500E-07");
}

TEST(SNECHO, GarbageCountsNeverReadOutsideTheRecord) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<std::vector<double>> records = {
      {},
      {1, 1, 1, 1e12, 3, 1e12, 9, -40},
      {1, 1, 1, 2, 3, 4, -7, 1e9},
      {1, 1, 1, 5, 0, 2, 9, 9, 12, 3, 0},
      {nan, nan, nan, nan, nan, nan, nan, nan},
  };
  for (const auto& record : records) {
    const auto lines = echo_lines(record);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines.back(), "");
  }
  // 100 segments claimed in a 30-value record: the seven that fit are echoed.
  Record record{};
  record[3] = 100;
  record[4] = 3;
  record[6] = 9;
  EXPECT_EQ(echo_lines(record).size(), 3u + 7 * 3 + 2 + 1 + 3);
}

TEST(RecordView, RoundsCountsHalfAwayFromZero) {
  const struct {
    double value;
    int expected;
  } rows[] = {{2.5, 3},
              {-2.5, -3},
              {2.4999, 2},
              {14.5, 15},
              {std::nan(""), 0},
              {1e300, 1000000000},
              {-HUGE_VAL, -1000000000}};
  for (const auto& row : rows)
    EXPECT_EQ(round_count(row.value), row.expected) << row.value;
}

}  // namespace
}  // namespace skaldur::sncurve
