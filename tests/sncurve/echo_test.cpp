#include "sncurve/echo.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "sncurve/catalogue.hpp"

namespace skaldur::sncurve {
namespace {

// The values and names of all 50 curves are checked through the program's
// print-file echo. What the echo does not show: the codes of standard, class
// and environment ahead of the counts, and that every value is a float.
TEST(SNCATLG, CodesAndSinglePrecision) {
  const auto catalogue = builtin_catalogue();
  ASSERT_TRUE(catalogue.ok());
  const auto block = [&](int n) {
    const auto values = *curve_block(*catalogue, n);
    return std::vector<double>(values.begin(), values.end());
  };
  const std::pair<int, std::vector<double>> codes[] = {
      {1, {1, 1, 1}},  {15, {1, 15, 1}}, {16, {1, 1, 2}}, {31, {1, 1, 3}},
      {46, {2, 1, 1}}, {48, {2, 1, 3}},  {49, {1, 7, 0}}, {50, {1, 7, 0}}};
  for (const auto& [n, expected] : codes) {
    const std::vector<double> values = block(n);
    EXPECT_EQ(std::vector<double>(values.begin(), values.begin() + 3), expected) << n;
  }
  EXPECT_EQ(block(1).at(8), 12.913000106811523);
  EXPECT_EQ(block(3).at(16), 0.15000000596046448);
}

std::string echo(std::span<const double> record) {
  std::ostringstream print;
  SNECHO(record, print);
  return print.str();
}

// The whole echo of one-segment curves is in the program's golden print
// files, and the value lines of all catalogue curves in its echo golden.
// Left: the heading of a second segment, and fixed parameters beyond a line.
TEST(SNECHO, SegmentsAndFixedParameterLines) {
  const double record[] = {1, 6,   1,      2, 3, 4,     9,  15,  12.164,
                           3, 1e7, 15.606, 5, 0, 52.63, 25, 0.2, 0};
  EXPECT_NE(echo(record).find("    12.164     3.000   1.000E+07\n'" + std::string(41, ' ') +
                              "Line Segment  2\n'  LogA        m         nBreak  \n"),
            std::string::npos)
      << echo(record);
  // Seven fixed parameters: five to a line.
  EXPECT_TRUE(echo(std::vector<double>{2, 1, 1, 1, 3, 7, 9, 12, 12, 3, 0, 1, 2, 3, 4, 5, 6, 7})
                  .ends_with(".....  \n     1.000     2.000     3.000     4.000     5.000\n"
                             "     6.000     7.000\n\n Computed SigBreak:      0.000\n\n"));
  // Garbage counts: nothing is read outside the record, and the block ends.
  const std::vector<double> records[] = {{},
                                         {1, 1, 1, 1e12, 3, 1e12, 9, -40},
                                         {1, 1, 1, 5, 0, 2, 9, 9, 12, 3, 0},
                                         {NAN, NAN, NAN, NAN, NAN, NAN, NAN, NAN}};
  for (const auto& garbage : records)
    EXPECT_TRUE(echo(garbage).ends_with("\n\n")) << ::testing::PrintToString(garbage);
}

}  // namespace
}  // namespace skaldur::sncurve
