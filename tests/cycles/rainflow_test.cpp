#include "cycles/rainflow.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cycles/turning_points.hpp"

namespace skaldur::cycles {
namespace {

constexpr double kUntouched = 7.0;

struct Count {
  int status = 0;
  std::vector<double> blocks;
  int n_cycles = -99;
  std::string message;
};

// Runs the counter with one spare entry behind the blocks, which must keep
// its value whatever happens.
Count rainflow(std::vector<float> pts, int n_blocks, double bloc_len) {
  Count out;
  out.blocks.assign(static_cast<std::size_t>(n_blocks) + 1, kUntouched);
  std::ostringstream print;
  out.status = TSRAIN2(pts, n_blocks, bloc_len, out.blocks, out.n_cycles, print);
  EXPECT_EQ(out.blocks.back(), kUntouched);
  out.blocks.pop_back();
  out.message = print.str();
  return out;
}

// Turning points 0, 5, 1, 4, 2, 6, 0 (from the series 3, 0, 5, 1, 4, 2, 6, 0, 3):
//
//   6 |                      6
//   5 |      5
//   4 |              4
//   3 |
//   2 |                  2
//   1 |          1
//   0 |  0                       0
//
// Pushing 6 closes 4-2 (range 2, block 2), which leaves 0 5 1 6 and closes
// 5-1 (range 4, block 4). The residue 0 6 0 gives two half cycles of range 6
// (block 6) and two counts: nCycles = 2 + 2.
TEST(TSRAIN2, WorkedExample) {
  const std::vector<float> series = {3, 0, 5, 1, 4, 2, 6, 0, 3};
  std::vector<float> pts(series.size() - 2);
  pts.resize(static_cast<std::size_t>(TSEXTRM(series, pts)));
  ASSERT_EQ(pts, (std::vector<float>{0, 5, 1, 4, 2, 6, 0}));

  const Count c = rainflow(pts, 6, 1.0099999904632568);
  EXPECT_EQ(c.status, 0);
  EXPECT_EQ(c.blocks, (std::vector<double>{0, 1, 0, 1, 0, 1}));
  EXPECT_EQ(c.n_cycles, 4);
  EXPECT_EQ(c.message, "");
}

// Ten blocks of width 1: block k holds the ranges [k - 1, k).
TEST(TSRAIN2, EdgeCases) {
  const struct {
    std::vector<float> pts;
    std::vector<std::pair<int, double>> blocks;  // (block k from 1, count)
    int n_cycles;
  } rows[] = {
      //   5 |        5
      //   4 |    4         1-4 closes (range 3 in block 4: a range of exactly
      //   1 |      1       k widths belongs to block k + 1); residue 0 5.
      //   0 |  0
      {{0, 4, 1, 5}, {{4, 1.0}, {6, 0.5}}, 1 + 1},
      //   5 |    5
      //   4 |        4     5 rises above 4: no cycle; the residue 0 5 1 4
      //   1 |      1       gives half cycles of 5, 4 and 3.
      //   0 |  0
      {{0, 5, 1, 4}, {{6, 0.5}, {5, 0.5}, {4, 0.5}}, 2},
      // Inclusive bounds: S1 <= S3 and S2 <= S4 hold with equality.
      {{0, 5, 0, 5}, {{6, 1.0}, {6, 0.5}}, 1 + 1},
      // S2 = S3 inside the bounds is a cycle of range 0, rising or falling.
      {{0, 2, 2, 5}, {{1, 1.0}, {6, 0.5}}, 1 + 1},
      {{5, 2, 2, 0}, {{1, 1.0}, {6, 0.5}}, 1 + 1},
      // After 4-1 closes at the bottom, the last point 2 is pushed and stays
      // in the residue 0 5 2: three points count 2.
      {{0, 4, 1, 5, 2}, {{4, 1.0}, {6, 0.5}, {4, 0.5}}, 1 + 2},
      // Five points of residue count 3.
      {{0, 5, 1, 4, 2}, {{6, 0.5}, {5, 0.5}, {4, 0.5}, {3, 0.5}}, 3},
      // No preprocessing: a monotone run is no cycle (S3 above S2) ...
      {{0, 1, 2, 3}, {{2, 0.5}, {2, 0.5}, {2, 0.5}}, 2},
      // ... and with S1 = S4 only four equal points make one.
      {{5, 0, 4, 5}, {{6, 0.5}, {5, 0.5}, {2, 0.5}}, 2},
      {{3, 3, 3, 3}, {{1, 1.0}, {1, 0.5}}, 1 + 1},
  };
  for (const auto& row : rows) {
    std::vector<double> expected(10, 0.0);
    for (const auto& [k, n] : row.blocks)
      expected[static_cast<std::size_t>(k - 1)] += n;
    const Count c = rainflow(row.pts, 10, 1.0);
    EXPECT_EQ(c.status, 0) << ::testing::PrintToString(row.pts);
    EXPECT_EQ(c.blocks, expected) << ::testing::PrintToString(row.pts);
    EXPECT_EQ(c.n_cycles, row.n_cycles) << ::testing::PrintToString(row.pts);
  }
}

// Too few points: the message, and nothing else changes.
TEST(TSRAIN2, TooShortChangesNothing) {
  for (const std::vector<float>& pts : {std::vector<float>{}, {10}, {10, 0}, {10, 0, 10}}) {
    std::vector<float> work = pts;
    std::vector<double> blocks(4, kUntouched);
    int n_cycles = -99;
    std::ostringstream print;
    EXPECT_EQ(TSRAIN2(work, 4, 1.0, blocks, n_cycles, print), -1);
    EXPECT_EQ(print.str(), "\n  *** ERROR IN RAINFLW ***\n\n      Too short time series\n");
    EXPECT_EQ(work, pts);
    EXPECT_EQ(blocks, std::vector<double>(4, kUntouched));
    EXPECT_EQ(n_cycles, -99);
  }
}

TEST(TSRAIN2, RangeBeyondLastBlock) {
  const std::string head =
      "\n  *** ERROR IN RAINFLW ***\n\n      Stress-range larger than Smax \n      Smax         = ";
  constexpr float kInf = std::numeric_limits<float>::infinity();
  const struct {
    std::vector<float> pts;
    int n_blocks;
    double bloc_len;
    const char* smax;
    const char* range;
  } rows[] = {
      // The cycle's range 3 equals Smax.
      {{0, 4, 1, 5}, 3, 1.0, " 3.000E+00", " 3.000E+00"},
      // No cycle; the residue's first half cycle fails.
      {{0, 5, 1, 4}, 4, 1.01, " 4.040E+00", " 5.000E+00"},
      // A block index far beyond any integer.
      {{0, 4, 1, 5}, 10, 1e-300, " 1.000-299", " 3.000E+00"},
      // inf - inf has no block at all.
      {{kInf, kInf, 0, 5}, 10, 1.0, " 1.000E+01", "       NaN"},
      // The first range in counting order is reported. 1 3 1 3 closes with
      // S1 = S3 and S2 = S4 (4 1 3 1: S4 = S2, S3 = S1), so range 2 comes
      // before the residue's leading range 1.
      {{0, 1, 3, 1, 3}, 1, 0.5, " 5.000E-01", " 2.000E+00"},
      {{4, 3, 1, 3, 1}, 1, 0.5, " 5.000E-01", " 2.000E+00"},
  };
  for (const auto& row : rows) {
    const Count c = rainflow(row.pts, row.n_blocks, row.bloc_len);
    EXPECT_EQ(c.status, -1);
    EXPECT_EQ(c.message, head + row.smax + "\n      Stress range = " + row.range + "\n");
  }
}

// The same four-point rule on a std::vector that grows and has counted pairs
// erased from it.
Count reference_count(const std::vector<float>& pts, int n_blocks, double bloc_len) {
  Count ref;
  ref.blocks.assign(static_cast<std::size_t>(n_blocks), 0.0);
  ref.n_cycles = 0;
  auto add = [&](double a, double b, double weight) {
    ref.blocks.at(static_cast<std::size_t>(std::floor(std::fabs(a - b) / bloc_len))) += weight;
  };
  std::vector<double> stack;
  for (const float p : pts) {
    stack.push_back(p);
    while (stack.size() >= 4) {
      const auto s = stack.end() - 4;  // S1 .. S4
      const bool rising = s[0] < s[3];
      const double lo = std::min(s[0], s[3]), hi = std::max(s[0], s[3]);
      // Inside a rising pair the inner pair falls, inside a falling one it rises.
      const double first = rising ? s[2] : s[1], second = rising ? s[1] : s[2];
      if (!(lo <= first && first <= second && second <= hi)) break;
      add(s[1], s[2], 1.0);
      ++ref.n_cycles;
      stack.erase(s + 1, s + 3);
    }
  }
  ref.n_cycles += static_cast<int>(std::lround(static_cast<double>(stack.size()) / 2.0));
  for (std::size_t i = 1; i < stack.size(); ++i)
    add(stack[i - 1], stack[i], 0.5);
  return ref;
}

void expect_as_reference(const std::vector<float>& pts, int n_blocks, double bloc_len) {
  const Count ref = reference_count(pts, n_blocks, bloc_len);
  const Count c = rainflow(pts, n_blocks, bloc_len);
  ASSERT_EQ(c.status, 0);
  ASSERT_EQ(c.blocks, ref.blocks) << ::testing::PrintToString(pts);
  ASSERT_EQ(c.n_cycles, ref.n_cycles) << ::testing::PrintToString(pts);
}

// Short sequences of small whole numbers: many ties, ranges exactly on block
// edges, and peaks and troughs that do not alternate.
TEST(TSRAIN2, AgreesWithReferenceOnShortSequences) {
  std::mt19937 rng(4711);
  std::uniform_int_distribution<int> value(0, 6), length(4, 30);
  for (int i = 0; i < 3000; ++i) {
    std::vector<float> pts(static_cast<std::size_t>(length(rng)));
    for (float& p : pts)
      p = static_cast<float>(value(rng));
    expect_as_reference(pts, 7, 1.0);
  }
}

// A random walk with whole-number steps of -3 .. 3, reduced by TSEXTRM.
TEST(TSRAIN2, AgreesWithReferenceOnLongRandomWalk) {
  std::mt19937 rng(2024);
  std::uniform_int_distribution<int> step(-3, 3);
  std::vector<float> series(200000);
  float level = 0.0f;
  for (float& x : series)
    x = level += static_cast<float>(step(rng));
  std::vector<float> pts(series.size() - 2);
  pts.resize(static_cast<std::size_t>(TSEXTRM(series, pts)));
  ASSERT_GT(pts.size(), 50000u);
  const auto [lo, hi] = std::minmax_element(series.begin(), series.end());
  expect_as_reference(pts, 50, 1.01 * static_cast<double>(*hi - *lo) / 50);
}

}  // namespace
}  // namespace skaldur::cycles
