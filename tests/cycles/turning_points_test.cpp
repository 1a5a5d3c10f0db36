#include "cycles/turning_points.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

namespace skaldur::cycles {
namespace {

std::vector<float> turning_points(const std::vector<float>& series) {
  // Exactly the room the contract asks for, so that a store past it shows
  // under AddressSanitizer.
  std::vector<float> out(series.size() < 3 ? 0 : series.size() - 2);
  out.resize(static_cast<std::size_t>(TSEXTRM(series, out)));
  return out;
}

TEST(TSEXTRM, FlatRunsEndsAndNaNs) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  const std::pair<std::vector<float>, std::vector<float>> rows[] = {
      {{3, 0, 5, 1, 4, 2, 6, 0, 3}, {0, 5, 1, 4, 2, 6, 0}},
      // A run of equal values counts by the side it was entered from: a flat
      // top or bottom is one turning point, a flat step in a falling or
      // rising stretch none, and a run that starts the series either.
      {{0, 5, 5, 1, 2}, {5, 1}},
      {{0, 5, 2, 2, 1, 3}, {5, 1}},
      {{5, 5, 1, 1, 4, 4, 4, 6, 2}, {5, 1, 6}},
      {{2, 2, 2, 2, 2}, {}},
      {{0, 9}, {}},
      // Comparisons with a NaN are false: neither it nor its neighbours count,
      // nor the run of 5s entered from it.
      {{0, kNaN, 5, 5, 0, 1}, {0}},
  };
  for (const auto& [series, expected] : rows)
    EXPECT_EQ(turning_points(series), expected) << ::testing::PrintToString(series);
}

// Holding any value but the first for one more step, once or a few times,
// changes no turning point: a quantised record (a value repeated while the
// signal moves less than one step) counts like the record it comes from.
TEST(TSEXTRM, HoldingAValueChangesNothing) {
  std::mt19937 rng(8);
  std::uniform_int_distribution<int> value(0, 5), length(3, 40), holds(1, 4);
  for (int i = 0; i < 3000; ++i) {
    std::vector<float> series(static_cast<std::size_t>(length(rng)));
    for (float& x : series)
      x = static_cast<float>(value(rng));
    std::vector<float> held = series;
    for (int h = holds(rng); h > 0; --h) {
      const auto at = std::uniform_int_distribution<std::size_t>(1, held.size() - 1)(rng);
      held.insert(held.begin() + static_cast<std::ptrdiff_t>(at), held[at]);
    }
    ASSERT_EQ(turning_points(held), turning_points(series))
        << ::testing::PrintToString(series) << " held " << ::testing::PrintToString(held);
  }
}

}  // namespace
}  // namespace skaldur::cycles
