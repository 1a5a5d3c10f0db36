#include "sncurve/echo.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace skaldur::sncurve {
namespace {

std::string echo(std::span<const double> record) {
  std::ostringstream print;
  SNECHO(record, print);
  return print.str();
}

TEST(SNECHO, TwoSegmentCurveLineByLine) {
  // NORSOK class D in air; segment 1 breaks at (10^12.164 / 1e7)^(1/3) = 52.642.
  const double record[] = {
      1,       6,  1,    2, 3, 4, 9, 15,  // header
      12.164f, 3,  1e7,                   // segment 1
      15.606f, 5,  0,                     // segment 2
      52.63f,  25, 0.2f, 0,               // SigBreak, thick, k, kHigh
  };
  EXPECT_EQ(echo(record),
            " \n"
            "'    nSNlin  nParPerLin  nFixPar \n"
            "         2         3         4\n"
            "'                                         Line Segment  1\n"
            "'  LogA        m         nBreak  \n"
            "    12.164     3.000   1.000E+07\n"
            "'                                         Line Segment  2\n"
            "'  LogA        m         nBreak  \n"
            "    15.606     5.000   0.000E+00\n"
            "'                                         Fixed Parameters\n"
            "'  SigBreak    thick     k     .....  \n"
            "    52.630    25.000     0.200     0.000\n"
            "\n"
            " Computed SigBreak:     52.642\n"
            "\n");
}

// The lines after the fixed-parameter heading.
TEST(SNECHO, FixedParametersAndComputedBreak) {
  const std::pair<std::vector<double>, std::string> rows[] = {
      // No fixed parameter: an empty line. (10^12 / 1e7)^(1/3) = 10^(5/3).
      {{2, 1, 1, 1, 3, 0, 9, 12, 12, 3, 1e7}, "\n\n Computed SigBreak:     46.416\n\n"},
      // Seven: five to a line.
      {{2, 1, 1, 1, 3, 7, 9, 12, 12, 3, 0, 1, 2, 3, 4, 5, 6, 7},
       "     1.000     2.000     3.000     4.000     5.000\n     6.000     7.000\n\n"
       " Computed SigBreak:      0.000\n\n"},
  };
  for (const auto& [record, tail] : rows) {
    const std::string out = echo(record);
    EXPECT_EQ(out.substr(out.find(".....  \n") + 8), tail);
  }
  // Garbage counts: nothing is read outside the record, and the block ends.
  const std::vector<double> records[] = {{},
                                         {1, 1, 1, 1e12, 3, 1e12, 9, -40},
                                         {1, 1, 1, 5, 0, 2, 9, 9, 12, 3, 0},
                                         {NAN, NAN, NAN, NAN, NAN, NAN, NAN, NAN}};
  for (const auto& record : records)
    EXPECT_TRUE(echo(record).ends_with("\n\n")) << ::testing::PrintToString(record);
}

}  // namespace
}  // namespace skaldur::sncurve
