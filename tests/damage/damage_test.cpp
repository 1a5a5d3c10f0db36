#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cycles/turning_points.hpp"
#include "damage/assess.hpp"
#include "damage/damage.hpp"

namespace skaldur::damage {
namespace {

// Series 3, 0, 5, 1, 4, 2, 6, 0, 3 and its turning points:
//
//   6 |                      6
//   5 |      5
//   4 |              4           cycles 4-2 (range 2) and 5-1 (range 4), then
//   2 |                  2       two half cycles of range 6 from the residue
//   1 |          1               0 6 0: nCycles = 2 + 2; with 6 blocks of
//   0 |  0                   0   1.01, counts 1 in blocks 2, 4 and 6.
const std::vector<float> kWorked = {3, 0, 5, 1, 4, 2, 6, 0, 3};
constexpr double kRange = 6.059999942779541;  // 1.01f * 6
// Assessed at 1.515, 3.535 and 5.555 on N = 10^12 / S^3.
constexpr double kWorkedDamage = 2.1907e-10;

// One segment N = 10^12 / S^3 and the fixed parameters SigBreak, thick, k, kHigh.
std::vector<double> record(double code, double thick = 0, double k = 0, double k_high = 0) {
  return {code, 1, 1, 1, 3, 4, 9, 12, 12, 3, 0, 0, thick, k, k_high};
}

struct Outcome {
  int status;
  std::vector<float> hist;
  BlockOpt block_opt;
  DmgOut dmg_out;
  std::string print;
};

// `hist` has just the room the contract asks for.
Outcome run(const std::vector<float>& series, const std::vector<double>& curve, double asked,
            CurveOpt curve_opt = {0.0, 1.0}, double force_unit_factor = 1.0) {
  Outcome out{0, std::vector<float>(std::max<std::size_t>(series.size(), 500), -7.0f),
              BlockOpt{force_unit_factor, asked, -5.0}, DmgOut{-1.0, -2.0, -3.0}, ""};
  std::ostringstream print;
  out.status = DMG02(series, out.hist, curve, curve_opt, out.block_opt, out.dmg_out, print);
  out.print = print.str();
  return out;
}

// The worked series in MPa, and in Pa (factor 1.0E-6) on a NORSOK curve with
// Tref 25 and k 0.2 at a thickness of 50: each range grows by 2^0.2 and by
// the SCF, which counts as 1 when not above the float 1.0E-10.
TEST(DMG02, Damage) {
  const std::vector<float> pascal = {3e6, 0, 5e6, 1e6, 4e6, 2e6, 6e6, 0, 3e6};
  const double thick = std::pow(1.148698354997035, 3);
  const std::tuple<std::vector<float>, double, std::vector<double>, CurveOpt, double> rows[] = {
      {kWorked, 1.0, record(2), {0.0, 1.0}, kWorkedDamage},
      {pascal, 1.0e-6, record(1, 25, 0.2), {50.0, 1.0}, kWorkedDamage * thick},
      {pascal, 1.0e-6, record(1, 25, 0.2), {50.0, 1.00000001e-10}, kWorkedDamage * thick},
      {pascal, 1.0e-6, record(1, 25, 0.2), {50.0, 2.0}, kWorkedDamage * thick * 8},
  };
  for (const auto& [series, unit, curve, opt, damage] : rows) {
    const Outcome r = run(series, curve, 6, opt, unit);
    SCOPED_TRACE(opt.scf);
    EXPECT_EQ(std::make_tuple(r.status, r.print, r.dmg_out.n_cycles, r.block_opt.n_blocks,
                              std::vector<float>(r.hist.begin(), r.hist.begin() + 6)),
              std::make_tuple(0, "", 4.0, 6.0, std::vector<float>{0, 1, 0, 1, 0, 1}));
    EXPECT_NEAR(r.dmg_out.damage, damage, 5e-5 * damage);
    EXPECT_DOUBLE_EQ(r.dmg_out.ts_range * unit, kRange);
  }
}

TEST(DMG02, BlocksAsked) {
  const std::pair<double, int> rows[] = {{0, 500}, {-3, 500}, {501, 500}, {1, 1}, {2.5, 3}};
  for (const auto& [asked, used] : rows) {
    const Outcome r = run(kWorked, record(2), asked);
    // Two full and two half cycles, wherever they fall.
    EXPECT_EQ(std::make_tuple(r.status, r.block_opt.n_blocks,
                              std::accumulate(r.hist.begin(), r.hist.begin() + used, 0.0)),
              std::make_tuple(0, used, 3.0))
        << asked;
    EXPECT_DOUBLE_EQ(r.block_opt.bloc_len, kRange / used) << asked;
  }
  // A single block is assessed at half of TSRange.
  const double one = 3.0 * std::pow(0.5 * kRange, 3) / 1e12;
  EXPECT_NEAR(run(kWorked, record(2), 1).dmg_out.damage, one, 1e-12 * one);
}

// The run hands the series' own storage over as the work array: the turning
// points are written behind the values still to be read.
TEST(DMG02, WorkArrayMayBeTheSeriesItself) {
  std::mt19937 rng(5);
  std::normal_distribution<float> step(0.0f, 1.0f);
  std::vector<float> walk(20000);
  float level = 0.0f;
  for (float& x : walk)
    x = level += step(rng);
  const Outcome apart = run(walk, record(2), 40);
  std::vector<float> shared = walk;
  BlockOpt block_opt{1.0, 40, 0};
  DmgOut dmg_out;
  std::ostringstream print;
  ASSERT_EQ(DMG02(std::span<const float>(shared), shared, record(2), {0.0, 1.0}, block_opt, dmg_out,
                  print),
            0);
  EXPECT_EQ(dmg_out.damage, apart.dmg_out.damage);
  EXPECT_EQ(dmg_out.n_cycles, apart.dmg_out.n_cycles);
  EXPECT_EQ(std::vector<float>(shared.begin(), shared.begin() + 40),
            std::vector<float>(apart.hist.begin(), apart.hist.begin() + 40));
}

// Holding any value but the first for one more step, once or a few times,
// changes neither the turning points nor anything DMG02 gives: quantised
// records (a value repeated while the signal moves less than one step) count
// like the record they come from.
TEST(DMG02, HoldingAValueChangesNothing) {
  std::mt19937 rng(8);
  std::uniform_int_distribution<int> value(0, 5), length(3, 40), holds(1, 4);
  const auto turning_points = [](const std::vector<float>& series) {
    std::vector<float> pts(series.size() - 2);
    pts.resize(static_cast<std::size_t>(cycles::TSEXTRM(series, pts)));
    return pts;
  };
  int counted = 0;
  for (int i = 0; i < 3000; ++i) {
    std::vector<float> series(static_cast<std::size_t>(length(rng)));
    for (float& x : series)
      x = static_cast<float>(value(rng));
    std::vector<float> held = series;
    for (int h = holds(rng); h > 0; --h) {
      const auto at = std::uniform_int_distribution<std::size_t>(1, held.size() - 1)(rng);
      held.insert(held.begin() + static_cast<std::ptrdiff_t>(at), held[at]);
    }
    SCOPED_TRACE(::testing::PrintToString(series) + " held " + ::testing::PrintToString(held));
    ASSERT_EQ(turning_points(held), turning_points(series));
    const Outcome a = run(series, record(2), 7), b = run(held, record(2), 7);
    ASSERT_EQ(
        std::tie(b.status, b.print, b.dmg_out.damage, b.dmg_out.n_cycles, b.dmg_out.ts_range),
        std::tie(a.status, a.print, a.dmg_out.damage, a.dmg_out.n_cycles, a.dmg_out.ts_range));
    if (a.status == 0) {
      ASSERT_EQ(std::vector<float>(b.hist.begin(), b.hist.begin() + 7),
                std::vector<float>(a.hist.begin(), a.hist.begin() + 7));
    }
    counted += a.status == 0 && a.dmg_out.n_cycles > 0;
  }
  EXPECT_GT(counted, 1500);
}

TEST(yearly_factor, Rows) {
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

TEST(cyc2fail, Rows) {
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

// One cycle's damage is 1 / (A * S^-m) as written, not S^m / A. Found by a
// random search, the first two rows round differently in the two forms; in
// the last, S^m overflows while S^-m is still a (subnormal) number.
TEST(cyc2fail, EvaluatedAsOneOverN) {
  const std::tuple<double, double, double> rows[] = {
      {15.995, 5, 51.5},
      {14.569, 3, 8.4},
      {300, 155, 100},
  };
  for (const auto& [log_a, m, s] : rows) {
    const double a = std::pow(10.0, log_a);
    const double literal = 1.0 / (a * std::pow(s, -m));
    ASSERT_NE(literal, std::pow(s, m) / a) << "the row no longer tells the forms apart";
    EXPECT_EQ(cyc2fail(s, std::vector<double>{log_a, m, 0}, 3, 1), literal) << log_a;
  }
  EXPECT_NEAR(cyc2fail(100, std::vector<double>{300, 155, 0}, 3, 1), 1e10, 10.0);
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
