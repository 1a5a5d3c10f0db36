#include "sncurve/catalogue.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "sncurve/echo.hpp"
#include "sncurve/record.hpp"

namespace skaldur::sncurve {
namespace {

// Every value of the built-in table is a single-precision value.
constexpr double f(float value) {
  return static_cast<double>(value);
}

Catalogue built() {
  Catalogue catalogue;
  std::ostringstream report;
  EXPECT_EQ(SNCATLG(catalogue, report), 0);
  EXPECT_EQ(report.str(), "");
  return catalogue;
}

std::vector<double> block_of(const Catalogue& catalogue, int n) {
  const auto block = curve_block(catalogue, n);
  EXPECT_TRUE(block.ok()) << n;
  return block.ok() ? std::vector<double>(block->begin(), block->end()) : std::vector<double>{};
}

// The curves come in groups: NORSOK classes B1 ... T in air (1-15), with
// cathodic protection (16-30) and in free corrosion (31-45), DNV D in the
// three environments (46-48), NORSOK E with two other environments (49, 50).
TEST(SNCATLG, HeaderOfEveryCurveFollowsItsName) {
  const Catalogue catalogue = built();
  ASSERT_EQ(catalogue.count, 50);
  for (int n = 1; n <= 50; ++n) {
    const bool dnv = n >= 46 && n <= 48;
    const double n_sn_lin = n <= 30 ? 2 : 1;
    const double n_fix_par = dnv ? 1 : 4;
    const double header[] = {dnv ? 2.0 : 1.0,
                             dnv ? 1.0 : (n >= 49 ? 7.0 : (n - 1) % 15 + 1),
                             dnv ? n - 45.0 : (n >= 49 ? 0.0 : (n - 1) / 15 + 1.0),
                             n_sn_lin,
                             3,
                             n_fix_par,
                             9,
                             9 + 3 * n_sn_lin};
    const auto block = block_of(catalogue, n);
    ASSERT_EQ(static_cast<double>(block.size()), 8 + 3 * n_sn_lin + n_fix_par) << n;
    for (std::size_t i = 0; i < 8; ++i)
      EXPECT_EQ(block[i], header[i]) << n << ' ' << i + 1;
  }
  // Entries of curves 1, 2, 31, 46, 49, and entry 51: 831 values in all.
  const std::size_t starts[][2] = {{1, 1}, {2, 19}, {31, 541}, {46, 766}, {49, 802}, {51, 832}};
  for (const auto& [n, start] : starts)
    EXPECT_EQ(catalogue.start.at(n - 1), static_cast<int>(start)) << n;
}

TEST(SNCATLG, BlocksHoldTheSinglePrecisionValues) {
  const Catalogue catalogue = built();
  const std::vector<double> curve1 = {
      1,          1,  1,   2, 3, 4, 9, 15,  // header
      f(12.913f), 3,  1e7,                  // segment 1
      f(16.856f), 5,  0,                    // segment 2
      f(93.57f),  25, 0,   0,               // SigBreak, thick, k, kHigh
  };
  EXPECT_EQ(block_of(catalogue, 1), curve1);
  const std::vector<double> curve48 = {2, 1, 3, 1, 3, 1, 9, 12, f(12.18f), 3, 0, 0};
  EXPECT_EQ(block_of(catalogue, 48), curve48);
  EXPECT_EQ(block_of(catalogue, 1).at(8), 12.913000106811523);
  EXPECT_EQ(block_of(catalogue, 3).at(16), 0.15000000596046448);
  EXPECT_EQ(block_of(catalogue, 50).at(12), f(19.05f));
  EXPECT_EQ(block_of(catalogue, 15).back(), f(0.3f));
}

TEST(SNCATLG, DisplayNamesAre23Characters) {
  const Catalogue catalogue = built();
  const struct {
    int n;
    std::string expected;
  } rows[] = {
      {1, "NORSOK  B1  AIR        "},  {16, "NORSOK  B1  SEA_CAT    "},
      {31, "NORSOK  B1  SEA_FREE   "}, {46, "DNV     D   AIR        "},
      {49, "NORSOK  E     BP_SCH   "}, {50, "NORSOK  E     BP_SVI   "},
  };
  for (const auto& row : rows) {
    const auto name = display_name(catalogue, row.n);
    ASSERT_TRUE(name.ok());
    EXPECT_EQ(*name, row.expected);
  }
}

TEST(SNCATLG, CopiesABlockAndKeepsTheRestOfTheRecord) {
  const Catalogue catalogue = built();
  Record record;
  record.fill(-1.0);
  const auto copied = copy_curve(catalogue, 48, record);
  ASSERT_TRUE(copied.ok());
  EXPECT_EQ(*copied, 12);
  EXPECT_EQ(record[11], 0.0);
  EXPECT_EQ(record[12], -1.0);

  std::array<double, 10> small{};
  EXPECT_EQ(copy_curve(catalogue, 1, small).error(), CatalogueError::record_too_small);
  for (int n : {0, 51}) {
    EXPECT_EQ(copy_curve(catalogue, n, record).error(), CatalogueError::no_such_curve) << n;
    EXPECT_EQ(display_name(catalogue, n).error(), CatalogueError::no_such_curve) << n;
  }
  EXPECT_EQ(copy_curve(Catalogue{}, 1, record).error(), CatalogueError::no_such_curve);
}

TEST(SNCATLG, EchoOfCopiedCurvesShowsTheComputedBreak) {
  const Catalogue catalogue = built();
  const struct {
    int n;
    const char* line;
  } rows[] = {
      {6, " Computed SigBreak:     52.642"},   // (10^12.164 / 1e7)^(1/3)
      {46, " Computed SigBreak:     20.007"},  // (10^12.18 / 1.89e8)^(1/3)
      {16, " Computed SigBreak:    148.252"},  // (10^12.513 / 1e6)^(1/3), table SigBreak 93.57
      {31, " Computed SigBreak:      0.000"},  // no break
  };
  for (const auto& row : rows) {
    Record record{};
    ASSERT_TRUE(copy_curve(catalogue, row.n, record).ok());
    std::ostringstream print;
    SNECHO(record, print);
    EXPECT_NE(print.str().find(std::string("\n") + row.line + "\n\n"), std::string::npos)
        << row.n << print.str();
  }
}

TEST(SNCATLG, NamesLongerThanTheCodesAreReported) {
  Catalogue catalogue;
  std::ostringstream report;
  // 15 codes hold the 15-character names only; 34 names are longer.
  EXPECT_EQ(SNCATLG(catalogue, report, 15), -34);
  EXPECT_EQ(report.str().rfind("\n\n   Error in routine *CH2INT*              \n", 0), 0u);
  EXPECT_NE(report.str().find(": " + std::string(8, ' ') + "19\n"), std::string::npos);
  EXPECT_EQ(catalogue.names[15], NameCodes{});
  EXPECT_EQ(*display_name(catalogue, 1), "NORSOK  B1  AIR        ");
  EXPECT_EQ(catalogue.start[50], 832);
}

}  // namespace
}  // namespace skaldur::sncurve
