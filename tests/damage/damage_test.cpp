#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "damage/assess.hpp"
#include "damage/damage.hpp"

namespace skaldur::damage {
namespace {

// One segment N = 10^12 / S^3 and the fixed parameters SigBreak, thick, k, kHigh.
std::vector<double> record(double code, double thick = 0, double k = 0, double k_high = 0) {
  return {code, 1, 1, 1, 3, 4, 9, 12, 12, 3, 0, 0, thick, k, k_high};
}

// The routine's way of giving the results of assess(), with the series' own
// storage as the work array, as the dialogue hands it over: the turning points
// are written over values already read. The series, 7, 0, 5, 1, 4, 2, 6, 0, 3
// MPa in Pa, begins with its largest value, which is no turning point. The
// 6.5 blocks asked are 7 (half away from zero) of 1.01f x 7 / 7 MPa, with one
// cycle in blocks 2, 4 and 6. On a NORSOK curve with Tref 25 and k 0.2 at a
// thickness of 50 and an SCF of 2, the blocks are assessed at 1.515, 3.535
// and 5.555 MPa times 2 x 2^0.2 on 10^12 / S^3:
// (3.48056^3 + 8.12130^3 + 12.76204^3) / 10^12 = 2.65636E-09.
TEST(DMG02, GivesTheResultsTheRoutinesWay) {
  std::vector<float> shared = {7e6, 0, 5e6, 1e6, 4e6, 2e6, 6e6, 0, 3e6};
  shared.resize(work_size(9), -7.0f);
  BlockOpt block_opt{1.0e-6, 6.5, -5.0};
  DmgOut dmg_out{-1.0, -2.0, -3.0};
  std::ostringstream print;
  ASSERT_EQ(DMG02(std::span<const float>(shared).first(9), shared, record(1, 25, 0.2), {50.0, 2.0},
                  block_opt, dmg_out, print),
            0);
  EXPECT_EQ(std::make_tuple(print.str(), dmg_out.n_cycles, block_opt.n_blocks,
                            std::vector<float>(shared.begin(), shared.begin() + 7)),
            std::make_tuple("", 4.0, 7.0, std::vector<float>{0, 1, 0, 1, 0, 1, 0}));
  EXPECT_NEAR(dmg_out.damage, 2.65636e-09, 5e-14);
  EXPECT_DOUBLE_EQ(dmg_out.ts_range, 7.069999933242798e6);  // 1.01f * 7e6
  EXPECT_DOUBLE_EQ(block_opt.bloc_len, 1.0099999904632568e6);
}

TEST(yearly_factor, WholeRepetitionsOfTheSpanInAYear) {
  const struct {
    double length;
    std::optional<std::int64_t> factor;
  } rows[] = {
      {10800.0, 2920}, {7000.0, 4505}, {40'000'000.0, 0}, {31'536'000.0, 1}, {0.5, 31'536'000},
      {0.49, {}},      {0.0, {}},      {-5.0, {}},        {1.0e300, 0},      {std::nan(""), {}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(yearly_factor(row.length), row.factor) << row.length;
  EXPECT_FALSE(damage_per_year(1.0, -1.0).has_value());
  EXPECT_FALSE(damage_per_year(1.0, 0.0).has_value());
}

TEST(cyc2fail, SegmentBoundsAndStrides) {
  // Two segments with the bound of the first at (10^(12.913 - 7))^(1/3),
  // about 93.54 MPa.
  const std::vector<double> two = {12.913, 3, 1.0e7, 16.856, 5, 0};
  // Each row's segments sit in a vector of exactly their size, so a read past
  // them shows up under AddressSanitizer. Columns: segments, nParPerLin,
  // nSNlin, range, damage of one cycle.
  const std::tuple<std::vector<double>, int, int, double, double> rows[] = {
      // Worked by hand: 100^3 / 10^12.913 and 50^5 / 10^16.856.
      {two, 3, 2, 100.0, 1.2218e-7},
      {two, 3, 2, 50.0, 4.3536e-9},
      // A range exactly at a bound belongs to the segment below it.
      // 10^0 / 1 = 1 exactly: the bound of the first segment is exactly 1.
      {{0, 3, 1, 2, 5, 0}, 3, 2, 1.0, 0.01},
      // A last segment with a cut-off: nothing at or below its bound.
      {{0, 3, 1}, 3, 1, 2.0, 8.0},
      {{0, 3, 1}, 3, 1, 1.0, 0.0},
      // The stride, not the three values, leads to the next segment.
      {{0, 3, 1, 999, 2, 5, 0}, 4, 2, 0.5, std::pow(0.5, 5) / 100.0},
      // Counts that point past the record: the search stops at its end ...
      {{0, 3, 1, 0, 3, 1}, 3, 1'000'000'000, 0.5, 0.0},
      {{0, 3, 1, 2, 5}, 3, 2, 0.5, 0.0},
      // ... and a stride below 1 only ever meets the first segment.
      {{0, 3, 1, 2, 5, 0}, 0, 1'000'000'000, 0.5, 0.0},
      // m = 0: a life of A cycles at every range, taken when there is no
      // nBreak or A < nBreak, else never.
      {{2, 0, 0}, 3, 1, 7.0, 0.01},
      {{2, 0, 10, 0, 3, 0}, 3, 2, 2.0, 8.0},
  };
  for (const auto& [segments, stride, count, s, expected] : rows) {
    EXPECT_NEAR(cyc2fail(s, segments, stride, count), expected, 1e-4 * expected)
        << "s = " << s << " in " << ::testing::PrintToString(segments) << " stride " << stride
        << " count " << count;
  }
}

TEST(DMG02A, ThicknessFactor) {
  const std::tuple<std::vector<double>, CurveOpt, std::optional<double>> rows[] = {
      // NORSOK, Tref 25, k 0.2: below Tref or not given gives no correction.
      {record(1, 25, 0.2), {50.0, 1.0}, 1.148698354997035},  // 2^0.2
      {record(1, 25, 0.2), {20.0, 1.0}, 1.0},
      {record(1, 25, 0.2), {0.0, 1.0}, 1.0},
      // Tref 32, k 0.25, kHigh 0.30, t 50: kHigh only above an SCF of 10.
      {record(1, 32, 0.25, 0.3), {50.0, 10.0}, 1.118033988749895},  // 1.5625^0.25
      {record(1, 32, 0.25, 0.3), {50.0, 10.5}, 1.143262629818316},  // 1.5625^0.3
      // A thickness just above the double 1.0E-10 but not above the float
      // 1.0E-10 is still "not given": t = Tref.
      {record(1, 1e-11, 1.0, 1.0), {1.00000001e-10, 1.0}, 1.0},
      // DNV (and curves from a file): 1 whatever the thickness.
      {record(2, 25, 0.2, 0.3), {50.0, 20.0}, 1.0},
      // No factor: an unknown code, a NORSOK Tref of 0, or a NORSOK record
      // too short to hold kHigh.
      {record(3, 25, 0.2), {50.0, 1.0}, std::nullopt},
      {record(1, 0, 0.2), {50.0, 1.0}, std::nullopt},
      {{1, 1, 1, 1, 3, 3, 9, 12, 12, 3, 0, 0, 25, 0.2}, {50.0, 1.0}, std::nullopt},
  };
  for (const auto& [curve, opt, expected] : rows) {
    std::ostringstream print;
    const std::optional<double> got = DMG02A(curve, opt, print);
    SCOPED_TRACE(::testing::PrintToString(curve) + " t " + std::to_string(opt.thickness));
    EXPECT_NEAR(got.value_or(0.0), expected.value_or(0.0), 1e-14);
    EXPECT_EQ(print.str(), expected ? "" : "\n  *** ERROR IN DMG02A ***\n");
  }
}

}  // namespace
}  // namespace skaldur::damage
