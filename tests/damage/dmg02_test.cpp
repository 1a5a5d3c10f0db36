#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "damage/damage.hpp"

namespace skaldur::damage {
namespace {

constexpr float kUnset = -7.0f;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// 1.01 as a float, times the range 6 of the worked series, over 6 blocks.
constexpr double kRange = 6.059999942779541;
constexpr double kBlocLen = 1.0099999904632568;

// Series 3, 0, 5, 1, 4, 2, 6, 0, 3 and its turning points:
//
//   6 |                      6
//   5 |      5
//   4 |              4           cycles 4-2 (range 2) and 5-1 (range 4), then
//   2 |                  2       two half cycles of range 6 from the residue
//   1 |          1               0 6 0: nCycles = 2 + 2; with 6 blocks of
//   0 |  0                   0   1.01, counts 1 in blocks 2, 4 and 6.
const std::vector<float> kWorked = {3, 0, 5, 1, 4, 2, 6, 0, 3};

// Standard code, then one segment LogA, m, nBreak, then SigBreak, thick, k,
// kHigh.
std::vector<double> one_segment(double code, double log_a, double m, double n_break,
                                double thick = 0, double k = 0) {
  return {code, 1, 1, 1, 3, 4, 9, 12, log_a, m, n_break, 0, thick, k, 0};
}

struct Outcome {
  int status = 0;
  std::vector<float> hist;
  BlockOpt block_opt;
  DmgOut dmg_out{-1.0, -2.0, -3.0};
  std::string print;
};

// `hist` has just the room the contract asks for, filled with kUnset.
Outcome run(const std::vector<float>& series, const std::vector<double>& curve, double asked,
            CurveOpt curve_opt = {0.0, 1.0}, double force_unit_factor = 1.0) {
  Outcome out;
  out.hist.assign(std::max<std::size_t>(series.size(), 500), kUnset);
  out.block_opt = {force_unit_factor, asked, -5.0};
  std::ostringstream print;
  out.status = DMG02(series, out.hist, curve, curve_opt, out.block_opt, out.dmg_out, print);
  out.print = print.str();
  return out;
}

TEST(DMG02, WorkedExample) {
  const Outcome r = run(kWorked, one_segment(2, 12, 3, 0), 6);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.print, "");
  // Assessed at 1.515, 3.535 and 5.555: about 2.1907E-10.
  double expected = 0.0;
  for (const int k : {2, 4, 6})
    expected += std::pow((k - 0.5) * kBlocLen, 3) / 1e12;
  EXPECT_NEAR(r.dmg_out.damage, 2.1907e-10, 1e-14);
  EXPECT_NEAR(r.dmg_out.damage, expected, 1e-12 * expected);
  EXPECT_EQ(r.dmg_out.n_cycles, 4.0);
  EXPECT_DOUBLE_EQ(r.dmg_out.ts_range, kRange);
  EXPECT_EQ(r.block_opt.n_blocks, 6.0);
  EXPECT_DOUBLE_EQ(r.block_opt.bloc_len, kBlocLen);
  EXPECT_EQ(std::vector<float>(r.hist.begin(), r.hist.begin() + 6),
            (std::vector<float>{0, 1, 0, 1, 0, 1}));
}

TEST(DMG02, BlocksAsked) {
  const struct {
    double asked;
    int used;
  } rows[] = {{0, 500},   {-3, 500}, {501, 500},  {1, 1},      {500.4, 500}, {500.5, 500},
              {0.4, 500}, {2.5, 3},  {-0.5, 500}, {kNaN, 500}, {1e300, 500}, {-1e300, 500}};
  for (const auto& row : rows) {
    const Outcome r = run(kWorked, one_segment(2, 12, 3, 0), row.asked);
    ASSERT_EQ(r.status, 0) << row.asked;
    EXPECT_EQ(r.block_opt.n_blocks, row.used) << row.asked;
    EXPECT_DOUBLE_EQ(r.block_opt.bloc_len, kRange / row.used) << row.asked;
    // Two full and two half cycles, wherever they fall.
    EXPECT_EQ(std::accumulate(r.hist.begin(), r.hist.begin() + row.used, 0.0), 3.0) << row.asked;
  }
  // A single block is assessed at half of TSRange.
  const Outcome one = run(kWorked, one_segment(2, 12, 3, 0), 1);
  EXPECT_EQ(one.hist[0], 3.0f);
  const double expected = 3.0 * std::pow(0.5 * kRange, 3) / 1e12;
  EXPECT_NEAR(one.dmg_out.damage, expected, 1e-12 * expected);
}

// Stresses in Pa with the factor 1.0E-6, a NORSOK curve with Tref 25 and k
// 0.2 and a plate of 50: each range is scaled by 2^0.2 and the effective SCF,
// which is 1 for any SCF not above the float 1.0E-10.
TEST(DMG02, ScalingOfTheAssessedRange) {
  std::vector<float> pascal;
  for (const float v : kWorked)
    pascal.push_back(v * 1.0e6f);
  const struct {
    double scf;
    double effective;
  } rows[] = {{1.0, 1.0}, {0.0, 1.0}, {1.00000001e-10, 1.0}, {-2.0, 1.0}, {2.0, 2.0}};
  for (const auto& row : rows) {
    const Outcome r = run(pascal, one_segment(1, 12, 3, 0, 25, 0.2), 6, {50.0, row.scf}, 1.0e-6);
    ASSERT_EQ(r.status, 0) << row.scf;
    EXPECT_DOUBLE_EQ(r.dmg_out.ts_range, kRange * 1e6) << row.scf;
    double expected = 0.0;
    for (const int k : {2, 4, 6})
      expected += std::pow((k - 0.5) * kBlocLen * 1.148698354997035 * row.effective, 3) / 1e12;
    EXPECT_NEAR(r.dmg_out.damage, expected, 1e-12 * expected) << row.scf;
  }
}

// The worked series over 6 blocks on curves that damage only part of it, or
// whose counts point outside the record.
TEST(DMG02, CurveRecords) {
  // One segment N = 1 / S (a damage of S per cycle) ending at nBreak 0.5,
  // that is at S = 2: blocks 2 (1.515) gives nothing, blocks 4 and 6 count.
  const double upper = (3.5 + 5.5) * kBlocLen;
  // The same segment alone in its record, with nSNlin 1000 ...
  const std::vector<double> too_many = {2, 1, 1, 1000, 3, 0, 9, 12, 0, 1, 0.5};
  // ... and a segStart beyond the record.
  std::vector<double> outside = one_segment(2, 12, 3, 0);
  outside[6] = 100;
  const struct {
    std::vector<double> curve;
    double expected;
  } rows[] = {
      {one_segment(2, 0, 1, 0.5), upper},
      {too_many, upper},
      {outside, 0.0},
  };
  for (const auto& row : rows) {
    const Outcome r = run(kWorked, row.curve, 6);
    ASSERT_EQ(r.status, 0);
    EXPECT_NEAR(r.dmg_out.damage, row.expected, 1e-12 * row.expected)
        << ::testing::PrintToString(row.curve);
  }
}

// Nothing to count is no failure: status 0, and nothing written at all. After
// a failure only the messages are written; `hist` then holds the turning
// points, no result.
TEST(DMG02, OutputsKeptWhenNothingIsComputed) {
  const std::vector<double> sn = one_segment(2, 12, 3, 0);
  const struct {
    std::vector<float> series;
    std::vector<double> curve;
    int status;
    std::string message;
  } rows[] = {
      {{}, sn, 0, ""},
      {{4}, sn, 0, ""},
      {{2, 2, 2, 2}, sn, 0, ""},
      {{std::numeric_limits<float>::quiet_NaN(), 1}, sn, 0, ""},
      // Two swings give the turning points 10, 0, 10: too few to count.
      {{0, 10, 0, 10, 0},
       sn,
       -1,
       "\n  *** ERROR IN RAINFLW ***\n\n      Too short time series\n"
       "\n  *** ERROR IN DMG02 ***\n      Error return from TSRAIN2 \n"},
      {kWorked, one_segment(3, 12, 3, 0), -1,
       "\n  *** ERROR IN DMG02A ***\n"
       "\n  *** ERROR IN DMG02 ***\n      Error return from DMG02A  \n"},
  };
  for (const auto& row : rows) {
    const Outcome r = run(row.series, row.curve, 6);
    const auto where = ::testing::PrintToString(row.series);
    EXPECT_EQ(r.status, row.status) << where;
    EXPECT_EQ(r.print, row.message) << where;
    EXPECT_EQ(r.dmg_out.damage, -1.0) << where;
    EXPECT_EQ(r.dmg_out.n_cycles, -2.0) << where;
    EXPECT_EQ(r.dmg_out.ts_range, -3.0) << where;
    EXPECT_EQ(r.block_opt.n_blocks, 6.0) << where;
    EXPECT_EQ(r.block_opt.bloc_len, -5.0) << where;
    if (row.status == 0) {
      EXPECT_TRUE(std::all_of(r.hist.begin(), r.hist.end(), [](float v) { return v == kUnset; }))
          << where;
    }
  }
}

}  // namespace
}  // namespace skaldur::damage
