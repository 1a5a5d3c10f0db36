#include "cycles/rainflow.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cycles/turning_points.hpp"

namespace skaldur::cycles {
namespace {

constexpr double kUntouched = 7.0;

struct Count {
  int status;
  std::vector<double> blocks;
  int n_cycles;
  std::string message;
};

// Runs the counter with one spare entry behind the blocks, which must keep
// its value whatever happens.
Count rainflow(std::vector<float> pts, int n_blocks, double bloc_len) {
  Count c{0, std::vector<double>(static_cast<std::size_t>(n_blocks) + 1, kUntouched), -99, ""};
  std::ostringstream print;
  c.status = TSRAIN2(pts, n_blocks, bloc_len, c.blocks, c.n_cycles, print);
  EXPECT_EQ(c.blocks.back(), kUntouched);
  c.blocks.pop_back();
  c.message = print.str();
  return c;
}

// The failures, and ranges on the edges of blocks and of Smax.
TEST(TSRAIN2, BlockEdgesAndFailures) {
  const std::string head = "\n  *** ERROR IN RAINFLW ***\n\n      ";
  const std::string too_short = head + "Too short time series\n";
  const std::string beyond = head + "Stress-range larger than Smax \n      Smax         = ";
  const std::string range = "\n      Stress range = ";
  constexpr float kInf = std::numeric_limits<float>::infinity();
  const std::tuple<std::vector<float>, int, double, std::string, std::vector<double>> rows[] = {
      // 1-4 closes (range 3 belongs to block 4, not 3); residue 0 5.
      {{0, 4, 1, 5}, 6, 1.0, "", {0, 0, 0, 1, 0, 0.5}},
      // Range 2^24 + 1 in double, above the edge of block 2 (2^24 + 0.5); a
      // float subtraction gives 2^24, in block 1.
      {{16777216, -1, 16777216, -1}, 2, 16777216.5, "", {0, 1.5}},
      {{10, 0, 10}, 4, 1.0, too_short, std::vector<double>(4, kUntouched)},
      // The cycle's range 3 equals Smax.
      {{0, 4, 1, 5}, 3, 1.0, beyond + " 3.000E+00" + range + " 3.000E+00\n", {}},
      // A block index far beyond any integer, and inf - inf with no block.
      {{0, 4, 1, 5}, 10, 1e-300, beyond + " 1.000-299" + range + " 3.000E+00\n", {}},
      {{kInf, kInf, 0, 5}, 10, 1.0, beyond + " 1.000E+01" + range + "       NaN\n", {}},
  };
  for (const auto& [pts, n_blocks, bloc_len, message, blocks] : rows) {
    const Count c = rainflow(pts, n_blocks, bloc_len);
    SCOPED_TRACE(::testing::PrintToString(pts));
    EXPECT_EQ(std::tie(c.status, c.message), std::make_tuple(message.empty() ? 0 : -1, message));
    if (!blocks.empty()) {
      EXPECT_EQ(c.blocks, blocks);
    }
  }
}

// Rainflow counting as ASTM E1049 describes it, three points at a time, on
// alternating peaks and valleys: X is the latest range, Y the one before it.
// While X >= Y, Y is a cycle and leaves with its two points, unless it holds
// the starting point (the first point kept): then it is a half cycle and only
// the starting point leaves. What remains at the end counts in half cycles.
// Full cycles count 1 and half cycles 0.5 in the block of their range, for
// blocks of width 1. The four-point count keeps the half cycles as its
// residue of halves + 1 points, which count (halves + 2) / 2 in nCycles.
Count astm_count(const std::vector<float>& pts, std::size_t n_blocks) {
  Count count{0, std::vector<double>(n_blocks, 0.0), 0, ""};
  int halves = 0;
  auto add = [&](double a, double b, bool full) {
    count.blocks.at(static_cast<std::size_t>(std::fabs(a - b))) += full ? 1.0 : 0.5;
    full ? ++count.n_cycles : ++halves;
  };
  std::vector<double> kept;
  for (const float p : pts) {
    kept.push_back(p);
    while (kept.size() >= 3) {
      const auto n = kept.size();
      const double x = std::fabs(kept[n - 1] - kept[n - 2]);
      const double y = std::fabs(kept[n - 2] - kept[n - 3]);
      if (x < y) break;
      add(kept[n - 3], kept[n - 2], n > 3);
      kept.erase(n == 3 ? kept.begin() : kept.end() - 3, kept.end() - (n == 3 ? 2 : 1));
    }
  }
  for (std::size_t i = 1; i < kept.size(); ++i)
    add(kept[i - 1], kept[i], false);
  count.n_cycles += (halves + 2) / 2;
  return count;
}

// The four-point counter on the turning points of random series of small
// whole numbers (held values, equal peaks and ranges on block edges) puts
// its cycles and residue half cycles in the same blocks as the three-point
// counter.
TEST(TSRAIN2, AgreesWithAstmThreePointCounter) {
  std::mt19937 rng(1049);
  std::uniform_int_distribution<int> value(0, 8), length(6, 80);
  int counted = 0;
  for (int i = 0; i < 4000; ++i) {
    std::vector<float> series(static_cast<std::size_t>(length(rng)));
    for (float& x : series)
      x = static_cast<float>(value(rng));
    std::vector<float> pts(series.size() - 2);
    pts.resize(static_cast<std::size_t>(TSEXTRM(series, pts)));
    if (pts.size() < 4) continue;
    ++counted;
    const Count c = rainflow(pts, 9, 1.0), astm = astm_count(pts, 9);
    ASSERT_EQ(std::tie(c.status, c.blocks, c.n_cycles),
              std::tie(astm.status, astm.blocks, astm.n_cycles))
        << ::testing::PrintToString(series);
  }
  EXPECT_GT(counted, 3000);
}

}  // namespace
}  // namespace skaldur::cycles
