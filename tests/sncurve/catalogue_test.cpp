#include "sncurve/catalogue.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "sncurve/echo.hpp"
#include "sncurve/record.hpp"

namespace skaldur::sncurve {
namespace {

// The curves come in groups: NORSOK classes B1 ... T in air (1-15), with
// cathodic protection (16-30) and in free corrosion (31-45), DNV D in the
// three environments (46-48), NORSOK E with two other environments (49, 50).
// Every value of the built-in table is a single-precision value.
TEST(SNCATLG, Tables) {
  Catalogue catalogue;
  std::ostringstream report;
  ASSERT_EQ(SNCATLG(catalogue, report), 0);
  EXPECT_EQ(report.str(), "");
  ASSERT_EQ(catalogue.count, 50);
  // Entries of curves 1, 2, 31, 46, 49, and entry 51: 831 values in all.
  const std::pair<int, int> starts[] = {{1, 1},    {2, 19},   {31, 541},
                                        {46, 766}, {49, 802}, {51, 832}};
  for (const auto& [n, start] : starts)
    EXPECT_EQ(catalogue.start.at(static_cast<std::size_t>(n - 1)), start) << n;

  const auto block = [&](int n) {
    const auto values = curve_block(catalogue, n);
    return values.ok() ? std::vector<double>(values->begin(), values->end())
                       : std::vector<double>{};
  };
  const std::vector<double> curve1 = {
      1,       1,  1,   2, 3, 4, 9, 15,  // header
      12.913f, 3,  1e7,                  // segment 1
      16.856f, 5,  0,                    // segment 2
      93.57f,  25, 0,   0,               // SigBreak, thick, k, kHigh
  };
  EXPECT_EQ(block(1), curve1);
  EXPECT_EQ(block(48), (std::vector<double>{2, 1, 3, 1, 3, 1, 9, 12, 12.18f, 3, 0, 0}));
  EXPECT_EQ(block(49).at(2), 0.0);  // environment code
  EXPECT_EQ(block(1).at(8), 12.913000106811523);
  EXPECT_EQ(block(3).at(16), 0.15000000596046448);

  const std::pair<int, std::string> names[] = {
      {1, "NORSOK  B1  AIR        "},  {16, "NORSOK  B1  SEA_CAT    "},
      {31, "NORSOK  B1  SEA_FREE   "}, {46, "DNV     D   AIR        "},
      {49, "NORSOK  E     BP_SCH   "}, {50, "NORSOK  E     BP_SVI   "},
  };
  for (const auto& [n, expected] : names) {
    const auto name = display_name(catalogue, n);
    EXPECT_EQ(name.ok() ? *name : "(none)", expected) << n;
  }

  // The echo of copied curves: DNV D in air, (10^12.18 / 1.89e8)^(1/3);
  // NORSOK B1 with cathodic protection, (10^12.513 / 1e6)^(1/3) where the
  // table's SigBreak says 93.57; NORSOK B1 in free corrosion has no break.
  const std::pair<int, std::string> breaks[] = {
      {46, "     20.007"}, {16, "    148.252"}, {31, "      0.000"}};
  for (const auto& [n, range] : breaks) {
    Record record{};
    ASSERT_TRUE(copy_curve(catalogue, n, record).ok());
    std::ostringstream print;
    SNECHO(record, print);
    EXPECT_TRUE(print.str().ends_with("\n Computed SigBreak:" + range + "\n\n")) << print.str();
  }
}

}  // namespace
}  // namespace skaldur::sncurve
