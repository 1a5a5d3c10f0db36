#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cycles/rainflow.hpp"
#include "cycles/turning_points.hpp"

namespace skaldur::cycles {
namespace {

TEST(TSEXTRM, Rows) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  const std::pair<std::vector<float>, std::vector<float>> rows[] = {
      // Both 3s at the ends are dropped.
      {{3, 0, 5, 1, 4, 2, 6, 0, 3}, {0, 5, 1, 4, 2, 6, 0}},
      // A run of equal values counts by the side it was entered from: a flat
      // top or bottom is one turning point, a flat step in a falling or
      // rising stretch none, and a run that starts the series either.
      {{0, 5, 5, 1, 2}, {5, 1}},
      {{4, 1, 1, 3, 0}, {1, 3}},
      {{0, 5, 2, 2, 1, 3}, {5, 1}},
      {{5, 1, 2, 2, 6, 0}, {1, 6}},
      {{5, 5, 1, 1, 4, 4, 4, 6, 2}, {5, 1, 6}},
      {{0, 10, 0}, {10}},
      // Nothing to find: constant, monotonic with steps, too short.
      {{2, 2, 2, 2, 2}, {}},
      {{1, 2, 2, 3, 3, 4}, {}},
      {{0, 9}, {}},
      {{}, {}},
      // Comparisons with a NaN are false: neither it nor its neighbours count,
      // nor the run of 5s entered from it.
      {{0, kNaN, 5, 5, 0, 1}, {0}},
  };
  for (const auto& [series, expected] : rows) {
    // Exactly the room the contract asks for, so a store past it shows under
    // AddressSanitizer.
    std::vector<float> out(series.size() < 3 ? 0 : series.size() - 2);
    out.resize(static_cast<std::size_t>(TSEXTRM(series, out)));
    EXPECT_EQ(out, expected) << ::testing::PrintToString(series);
  }
}

constexpr double kUntouched = 7.0;

struct Count {
  int status;
  std::vector<float> pts;  // the working stack afterwards
  std::vector<double> blocks;
  int n_cycles;
  std::string message;
};

// Runs the counter with one spare entry behind the blocks, which must keep
// its value whatever happens.
Count rainflow(const std::vector<float>& pts, int n_blocks, double bloc_len) {
  Count c{0, pts, std::vector<double>(static_cast<std::size_t>(n_blocks) + 1, kUntouched), -99, ""};
  std::ostringstream print;
  c.status = TSRAIN2(c.pts, n_blocks, bloc_len, c.blocks, c.n_cycles, print);
  EXPECT_EQ(c.blocks.back(), kUntouched);
  c.blocks.pop_back();
  c.message = print.str();
  return c;
}

// Block k (from 1) holds the ranges [(k - 1) w, k w) for the width w. The
// blocks and count are not compared where a row leaves them empty.
TEST(TSRAIN2, Rows) {
  const std::string head = "\n  *** ERROR IN RAINFLW ***\n\n      ";
  const std::string too_short = head + "Too short time series\n";
  const std::string beyond = head + "Stress-range larger than Smax \n      Smax         = ";
  const std::string range = "\n      Stress range = ";
  constexpr float kInf = std::numeric_limits<float>::infinity();
  const std::tuple<std::vector<float>, int, double, std::string, std::vector<double>, int> rows[] =
      {
          // Turning points of 3, 0, 5, 1, 4, 2, 6, 0, 3:
          //
          //   6 |                      6
          //   5 |      5
          //   4 |              4
          //   2 |                  2
          //   1 |          1
          //   0 |  0                       0
          //
          // Pushing 6 closes 4-2 (range 2), which leaves 0 5 1 6 and closes 5-1
          // (range 4). The residue 0 6 0 gives two half cycles of range 6 and
          // two counts: nCycles = 2 + 2.
          {{0, 5, 1, 4, 2, 6, 0}, 6, 1.0099999904632568, "", {0, 1, 0, 1, 0, 1}, 4},
          // 1-4 closes (range 3 belongs to block 4, not 3); residue 0 5.
          {{0, 4, 1, 5}, 6, 1.0, "", {0, 0, 0, 1, 0, 0.5}, 1 + 1},
          // 5 rises above 4: no cycle; half cycles of 5, 4 and 3.
          {{0, 5, 1, 4}, 6, 1.0, "", {0, 0, 0, 0.5, 0.5, 0.5}, 2},
          // Inclusive bounds: S1 <= S3 and S2 <= S4 hold with equality.
          {{0, 5, 0, 5}, 6, 1.0, "", {0, 0, 0, 0, 0, 1.5}, 1 + 1},
          // S2 = S3 inside the bounds is a cycle of range 0, in block 1.
          {{0, 2, 2, 5}, 6, 1.0, "", {1, 0, 0, 0, 0, 0.5}, 1 + 1},
          // Too few points: nothing but the message changes.
          {{}, 4, 1.0, too_short, std::vector<double>(4, kUntouched), -99},
          {{10, 0, 10}, 4, 1.0, too_short, std::vector<double>(4, kUntouched), -99},
          // The cycle's range 3 equals Smax.
          {{0, 4, 1, 5}, 3, 1.0, beyond + " 3.000E+00" + range + " 3.000E+00\n", {}, 0},
          // No cycle; the residue's first half cycle fails.
          {{0, 5, 1, 4}, 4, 1.01, beyond + " 4.040E+00" + range + " 5.000E+00\n", {}, 0},
          // A block index far beyond any integer, and inf - inf with no block.
          {{0, 4, 1, 5}, 10, 1e-300, beyond + " 1.000-299" + range + " 3.000E+00\n", {}, 0},
          {{kInf, kInf, 0, 5}, 10, 1.0, beyond + " 1.000E+01" + range + "       NaN\n", {}, 0},
          // The first range in counting order: 1 3 1 3 closes before the
          // residue's leading range 1 is looked at.
          {{0, 1, 3, 1, 3}, 1, 0.5, beyond + " 5.000E-01" + range + " 2.000E+00\n", {}, 0},
      };
  for (const auto& [pts, n_blocks, bloc_len, message, blocks, n_cycles] : rows) {
    const Count c = rainflow(pts, n_blocks, bloc_len);
    SCOPED_TRACE(::testing::PrintToString(pts));
    EXPECT_EQ(std::tie(c.status, c.message), std::make_tuple(message.empty() ? 0 : -1, message));
    if (!blocks.empty()) {
      EXPECT_EQ(std::tie(c.blocks, c.n_cycles), std::tie(blocks, n_cycles));
    }
    if (message == too_short) {
      EXPECT_EQ(c.pts, pts);
    }
  }
}

// The same four-point rule on a growing std::vector with the counted pairs
// erased, into 7 blocks of width 1.
Count reference_count(const std::vector<float>& pts) {
  Count ref{0, {}, std::vector<double>(7, 0.0), 0, ""};
  auto add = [&](double a, double b, double weight) {
    ref.blocks.at(static_cast<std::size_t>(std::fabs(a - b))) += weight;
  };
  std::vector<double> s;
  for (const float p : pts) {
    for (s.push_back(p); s.size() >= 4; s.erase(s.end() - 3, s.end() - 1), ++ref.n_cycles) {
      const double s1 = s.end()[-4], s2 = s.end()[-3], s3 = s.end()[-2], s4 = s.back();
      if (s1 < s4 ? !(s1 <= s3 && s3 <= s2 && s2 <= s4) : !(s4 <= s2 && s2 <= s3 && s3 <= s1))
        break;
      add(s2, s3, 1.0);
    }
  }
  ref.n_cycles += static_cast<int>(std::lround(static_cast<double>(s.size()) / 2.0));
  for (std::size_t i = 1; i < s.size(); ++i)
    add(s[i - 1], s[i], 0.5);
  return ref;
}

// Random sequences of small whole numbers: many ties, ranges exactly on
// block edges, peaks and troughs that do not alternate, and stacks of some
// depth.
TEST(TSRAIN2, AgreesWithReferenceOnRandomSequences) {
  std::mt19937 rng(4711);
  std::uniform_int_distribution<int> value(0, 6), length(4, 60);
  for (int i = 0; i < 3000; ++i) {
    std::vector<float> pts(static_cast<std::size_t>(length(rng)));
    for (float& p : pts)
      p = static_cast<float>(value(rng));
    const Count ref = reference_count(pts), c = rainflow(pts, 7, 1.0);
    ASSERT_EQ(std::tie(c.status, c.blocks, c.n_cycles),
              std::tie(ref.status, ref.blocks, ref.n_cycles))
        << ::testing::PrintToString(pts);
  }
}

// Rainflow counting as ASTM E1049 describes it, three points at a time, on
// alternating peaks and valleys: X is the latest range, Y the one before it.
// While X >= Y, Y is a cycle and leaves with its two points, unless it holds
// the starting point (the first point kept): then it is a half cycle and only
// the starting point leaves. What remains at the end counts in half cycles.
// Full cycles count 1 and half cycles 0.5 in the block of their range, for
// blocks of width 1.
std::vector<double> astm_count(const std::vector<float>& pts, std::size_t n_blocks) {
  std::vector<double> blocks(n_blocks, 0.0);
  auto add = [&](double a, double b, double weight) {
    blocks.at(static_cast<std::size_t>(std::fabs(a - b))) += weight;
  };
  std::vector<double> kept;
  for (const float p : pts) {
    kept.push_back(p);
    while (kept.size() >= 3) {
      const auto n = kept.size();
      const double x = std::fabs(kept[n - 1] - kept[n - 2]);
      const double y = std::fabs(kept[n - 2] - kept[n - 3]);
      if (x < y) break;
      if (n == 3) {
        add(kept[0], kept[1], 0.5);
        kept.erase(kept.begin());
      } else {
        add(kept[n - 3], kept[n - 2], 1.0);
        kept.erase(kept.end() - 3, kept.end() - 1);
      }
    }
  }
  for (std::size_t i = 1; i < kept.size(); ++i)
    add(kept[i - 1], kept[i], 0.5);
  return blocks;
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
    const Count c = rainflow(pts, 9, 1.0);
    ASSERT_EQ(c.blocks, astm_count(pts, 9)) << ::testing::PrintToString(series);
  }
  EXPECT_GT(counted, 3000);
}

}  // namespace
}  // namespace skaldur::cycles
