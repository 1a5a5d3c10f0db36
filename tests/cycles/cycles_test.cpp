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
  const std::pair<std::vector<float>, std::vector<float>> rows[] = {
      // Both 3s at the ends are dropped.
      {{3, 0, 5, 1, 4, 2, 6, 0, 3}, {0, 5, 1, 4, 2, 6, 0}},
      // Flat top and flat bottom: the last of the equal values qualifies.
      {{0, 5, 5, 1, 2}, {5, 1}},
      {{4, 1, 1, 3, 0}, {1, 3}},
      // A flat step in a falling run is a peak, in a rising run a trough.
      {{0, 5, 2, 2, 1, 3}, {5, 2, 1}},
      {{5, 1, 2, 2, 6, 0}, {1, 2, 6}},
      {{0, 10, 0}, {10}},
      // Nothing to find: constant, monotonic, too short.
      {{2, 2, 2, 2, 2}, {}},
      {{1, 2, 3, 4}, {}},
      {{0, 9}, {}},
      {{}, {}},
      // Comparisons with a NaN are false: neither it nor its neighbours count.
      {{0, std::numeric_limits<float>::quiet_NaN(), 5, 0, 1}, {0}},
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

}  // namespace
}  // namespace skaldur::cycles
