#include "cycles/turning_points.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace skaldur::cycles {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The output array has exactly the room the contract asks for, so a store one
// past it shows up under AddressSanitizer.
std::vector<float> turning_points(const std::vector<float>& series) {
  std::vector<float> out(series.size() < 3 ? 0 : series.size() - 2, -1.0f);
  const int n = TSEXTRM(series, out);
  EXPECT_GE(n, 0);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

TEST(TSEXTRM, Rows) {
  const struct {
    std::vector<float> series;
    std::vector<float> expected;
  } rows[] = {
      // Both 3s at the ends are dropped.
      {{3, 0, 5, 1, 4, 2, 6, 0, 3}, {0, 5, 1, 4, 2, 6, 0}},
      // Flat top and flat bottom: the last of the equal values qualifies.
      {{0, 5, 5, 1, 2}, {5, 1}},
      {{4, 1, 1, 3, 0}, {1, 3}},
      // A flat step in a falling run is a peak, in a rising run a trough.
      {{0, 5, 2, 2, 1, 3}, {5, 2, 1}},
      {{5, 1, 2, 2, 6, 0}, {1, 2, 6}},
      {{0, 10, 0}, {10}},
      {{0, 10, 0, 10, 0}, {10, 0, 10}},
      // Nothing to find.
      {{2, 2, 2, 2, 2}, {}},
      {{1, 2, 3, 4}, {}},
      {{4, 3, 2, 1}, {}},
      {{0, 9}, {}},
      {{9}, {}},
      {{}, {}},
      // Comparisons with a NaN are false: neither it nor its neighbours count.
      {{0, kNaN, 5, 0, 1}, {0}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(turning_points(row.series), row.expected) << ::testing::PrintToString(row.series);
  }
}

}  // namespace
}  // namespace skaldur::cycles
