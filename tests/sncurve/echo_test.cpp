#include "sncurve/echo.hpp"

#include <gtest/gtest.h>

#include <cmath>
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
  return lines;
}

const std::string kTitle = "'" + std::string(40, ' ');

TEST(SNECHO, TwoSegmentCurveLineByLine) {
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
      kTitle + " Line Segment  1",
      "'  LogA        m         nBreak  ",
      "    12.164     3.000   1.000E+07",
      kTitle + " Line Segment  2",
      "'  LogA        m         nBreak  ",
      "    15.606     5.000   0.000E+00",
      kTitle + " Fixed Parameters",
      "'  SigBreak    thick     k     .....  ",
      "    52.630    25.000     0.200     0.000",
      "",
      " Computed SigBreak:     52.642",
      "",
  };
  EXPECT_EQ(echo_lines(record), expected);
}

// One-segment records: the lines from the fixed parameters on.
TEST(SNECHO, FixedParametersAndComputedBreak) {
  const struct {
    std::vector<double> record;
    std::vector<std::string> tail;
  } rows[] = {
      // DNV D in air: (10^12.18 / 1.89e8)^(1/3) = 20.007.
      {{2, 1, 1, 1, 3, 1, 9, 12, 12.18f, 3, 1.89e8f, 20},
       {"    20.000", "", " Computed SigBreak:     20.007", ""}},
      {{1, 1, 3, 1, 3, 4, 9, 12, 12.436f, 3, 0, 0, 25, 0, 0},
       {"     0.000    25.000     0.000     0.000", "", " Computed SigBreak:      0.000", ""}},
      // No fixed parameter: an empty line. (10^12 / 1e7)^(1/3) = 10^(5/3) = 46.416.
      {{2, 1, 1, 1, 3, 0, 9, 12, 12, 3, 1e7}, {"", "", " Computed SigBreak:     46.416", ""}},
      {{2, 1, 1, 1, 3, 7, 9, 12, 12, 3, 0, 1, 2, 3, 4, 5, 6, 7},
       {"     1.000     2.000     3.000     4.000     5.000", "     6.000     7.000", "",
        " Computed SigBreak:      0.000", ""}},
  };
  for (const auto& row : rows) {
    const auto lines = echo_lines(row.record);
    ASSERT_EQ(lines.size(), 8 + row.tail.size());
    EXPECT_EQ(lines[7], "'  SigBreak    thick     k     .....  ");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 8, lines.end()), row.tail);
  }
}

TEST(SNECHO, GarbageCountsStayInsideTheRecord) {
  const std::vector<double> records[] = {
      {},
      {1, 1, 1, 1e12, 3, 1e12, 9, -40},
      {1, 1, 1, 5, 0, 2, 9, 9, 12, 3, 0},
      {NAN, NAN, NAN, NAN, NAN, NAN, NAN, NAN},
  };
  for (const auto& record : records)
    EXPECT_EQ(echo_lines(record).back(), "");
  // 100 segments claimed, 0.5 taken as 1 fixed parameter: the 7 segments that fit are echoed.
  Record record{};
  record[3] = 100;
  record[4] = 3;
  record[5] = 0.5;
  record[6] = 9;
  record[7] = 29;
  const auto lines = echo_lines(record);
  EXPECT_EQ(lines[2], "       100         3         1");
  EXPECT_EQ(lines.size(), 3u + 7 * 3 + 3 + 3);
}

TEST(SNECHO, CountsRoundHalfAwayFromZero) {
  EXPECT_EQ(round_count(2.5), 3);
  EXPECT_EQ(round_count(-2.5), -3);
  EXPECT_EQ(round_count(2.4999), 2);
  EXPECT_EQ(round_count(NAN), 0);
  EXPECT_EQ(round_count(1e300), 1000000000);
}

}  // namespace
}  // namespace skaldur::sncurve
