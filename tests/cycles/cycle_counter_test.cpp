#include "cycles/cycle_counter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "cycles/turning_points.hpp"

namespace skaldur::cycles {
namespace {

struct Counted {
  double from, to, count;
  friend bool operator==(const Counted&, const Counted&) = default;
};

template <class T>
std::vector<Counted> counted(std::span<const T> series, Conventions conventions) {
  std::vector<Counted> out;
  for (const Cycle<T>& c : count_cycles(series, conventions))
    out.push_back({static_cast<double>(c.from), static_cast<double>(c.to), c.count});
  return out;
}

// Catches the start or end kept where they should be dropped (and the other
// way round), a residue pair lost or counted whole, and the residue joined
// to itself without reducing the join to reversals.
TEST(CycleCounter, PublishedExamplesByConvention) {
  const std::vector<double> astm = {-2, 1, -3, 5, -1, 3, -4, 4, -2};
  EXPECT_EQ(counted<double>(astm, {Ends::keep, Residue::half}),
            (std::vector<Counted>{{-1, 3, 1.0},
                                  {-2, 1, 0.5},
                                  {1, -3, 0.5},
                                  {-3, 5, 0.5},
                                  {5, -4, 0.5},
                                  {-4, 4, 0.5},
                                  {4, -2, 0.5}}));
  // Dropping the ends leaves 1, -3, 5, -1, 3, -4, 4: the same closed cycle.
  EXPECT_EQ(
      counted<double>(astm, {Ends::drop, Residue::half}),
      (std::vector<Counted>{{-1, 3, 1.0}, {1, -3, 0.5}, {-3, 5, 0.5}, {5, -4, 0.5}, {-4, 4, 0.5}}));

  const std::vector<double> residue = {4, 7, 2, 12, 1, 9, 4, 6};
  EXPECT_EQ(counted<double>(residue, {Ends::keep, Residue::repeated}),
            (std::vector<Counted>{{4, 6, 1.0}, {4, 7, 1.0}, {9, 2, 1.0}, {1, 12, 1.0}}));
  // Ending on a rise that the first value continues (7 -> 0 -> -1): the
  // join's 0 is no reversal, and 7-0 would be counted with it.
  EXPECT_EQ(counted<double>(std::vector<double>{0, -1, 5, 2, 7}, {Ends::keep, Residue::repeated}),
            (std::vector<Counted>{{5, 2, 1.0}, {7, -1, 1.0}}));
}

// Catches a held value placed at the first sample of its run, and indices
// that restart with each chunk.
TEST(CycleCounter, CyclesCarryTheSampleIndexOfTheirPoints) {
  const std::vector<float> series = {0, 5, 5, 1, 1, 1, 4, 2, 6, 6, -3, 0};
  CycleCounter<float> counter({Ends::drop, Residue::half});
  std::vector<Cycle<float>> cycles;
  const auto keep = [&](const Cycle<float>& c) { cycles.push_back(c); };
  counter.feed(std::span(series).first(5), keep);
  counter.feed(std::span(series).subspan(5), keep);
  counter.finish(keep);
  // Turning points 5@2, 1@5, 4@6, 2@7, 6@9, -3@10: 4-2 closes.
  ASSERT_FALSE(cycles.empty());
  EXPECT_EQ(cycles[0], (Cycle<float>{4, 2, 1.0, 6, 7}));
  EXPECT_EQ(cycles[1], (Cycle<float>{5, 1, 0.5, 2, 5}));
  EXPECT_EQ(cycles.back(), (Cycle<float>{6, -3, 0.5, 9, 10}));
  EXPECT_EQ(counter.turning_points(), 6);
}

// The count as the dialogue makes it: TSEXTRM, then the four-point rule on
// a plain vector, the residue in halves.
std::vector<Counted> reference_count(const std::vector<float>& series) {
  std::vector<float> points(series.size());
  points.resize(static_cast<std::size_t>(TSEXTRM(series, points)));
  std::vector<float> stack;
  std::vector<Counted> out;
  for (const float p : points) {
    stack.push_back(p);
    while (stack.size() >= 4) {
      const auto n = stack.size();
      const float s1 = stack[n - 4], s2 = stack[n - 3], s3 = stack[n - 2], s4 = stack[n - 1];
      if (!(s1 < s4 ? (s1 <= s3 && s3 <= s2 && s2 <= s4) : (s4 <= s2 && s2 <= s3 && s3 <= s1)))
        break;
      out.push_back({s2, s3, 1.0});
      stack.erase(stack.end() - 3, stack.end() - 1);
    }
  }
  for (std::size_t i = 1; i < stack.size(); ++i)
    out.push_back({stack[i - 1], stack[i], 0.5});
  return out;
}

// Catches any departure of the streaming count from the dialogue's, and a
// count that depends on where the chunks split (held values and NaNs across
// the split points included).
TEST(CycleCounter, DefaultsMatchTheDialoguesCountInAnyChunks) {
  std::mt19937 gen(11);
  std::uniform_int_distribution<int> level(-4, 4);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 2000; ++round) {
    std::vector<float> series(static_cast<std::size_t>(length(gen)));
    for (float& v : series)
      v = level(gen) == 4 && round % 3 == 0 ? std::nanf("") : static_cast<float>(level(gen));
    const Conventions defaults{};
    ASSERT_EQ(counted<float>(series, defaults), reference_count(series)) << round;

    for (const Conventions conventions :
         {Conventions{Ends::keep, Residue::half}, Conventions{Ends::keep, Residue::repeated},
          Conventions{Ends::drop, Residue::repeated}}) {
      const auto whole = count_cycles<float>(series, conventions);
      CycleCounter<float> counter(conventions);
      std::vector<Cycle<float>> split;
      const auto keep = [&](const Cycle<float>& c) { split.push_back(c); };
      std::size_t at = 0;
      while (at < series.size()) {
        const std::size_t n =
            std::min<std::size_t>(static_cast<std::size_t>(length(gen)) % 5, series.size() - at);
        counter.feed(std::span(series).subspan(at, n), keep);
        at += n;
      }
      counter.finish(keep);
      ASSERT_EQ(split, whole) << round;
    }
  }
}

// Catches points that differ from TSEXTRM's with the ends dropped, an
// index that does not stand at its value's sample (or at the first sample
// of a held run), and an end lost or doubled with the ends kept.
TEST(FindTurningPoints, AreTsextrmsWithTheirSamplesAndTheEndsAsAsked) {
  std::mt19937 gen(5);
  std::uniform_int_distribution<int> level(-3, 3);
  std::uniform_int_distribution<int> length(0, 30);
  for (int round = 0; round < 1000; ++round) {
    std::vector<float> series(static_cast<std::size_t>(length(gen)));
    for (float& v : series)
      v = static_cast<float>(level(gen));
    std::vector<float> expected(series.size());
    expected.resize(static_cast<std::size_t>(TSEXTRM(series, expected)));
    const auto dropped = find_turning_points<float>(series, Ends::drop);
    ASSERT_EQ(dropped.size(), expected.size()) << round;
    std::int64_t before = -1;
    for (std::size_t i = 0; i < dropped.size(); ++i) {
      const auto at = static_cast<std::size_t>(dropped[i].index);
      ASSERT_EQ(dropped[i].value, expected[i]) << round;
      ASSERT_EQ(series[at], dropped[i].value) << round;
      ASSERT_TRUE(at + 1 == series.size() || series[at + 1] != series[at]) << round;
      ASSERT_GT(dropped[i].index, before) << round;
      before = dropped[i].index;
    }
    const auto kept = find_turning_points<float>(series, Ends::keep);
    if (series.empty()) {
      ASSERT_TRUE(kept.empty());
      continue;
    }
    ASSERT_EQ(kept.back().index, static_cast<std::int64_t>(series.size()) - 1) << round;
    ASSERT_EQ(series[static_cast<std::size_t>(kept.front().index)], series.front()) << round;
  }
}

// The published damage-equivalent range of 5 sin(2 pi t), t = 0, 0.1, ...,
// 9.9, m = 4, N_eq = 1 Hz x 9.9 s, with the ends kept and the residue
// repeated: from the double values and from the same values in single
// precision. Catches any departure from that convention that moves the
// cycles.
TEST(CycleCounter, SineGivesThePublishedDamageEquivalentRange) {
  std::vector<double> series(100);
  for (std::size_t k = 0; k < series.size(); ++k)
    series[k] = 5.0 * std::sin(2.0 * std::numbers::pi * (static_cast<double>(k) * 0.1));
  const std::vector<float> single(series.begin(), series.end());
  const auto del = [](const auto& cycles) {
    double sum = 0.0;
    for (const auto& c : cycles)
      sum += c.count * std::pow(c.range(), 4.0);
    return std::pow(sum / 9.9, 0.25);
  };
  const Conventions published{Ends::keep, Residue::repeated};
  EXPECT_NEAR(del(count_cycles<double>(series, published)), 9.534491302, 5e-10);
  EXPECT_NEAR(del(count_cycles<float>(single, published)), 9.534490942, 5e-10);
}

}  // namespace
}  // namespace skaldur::cycles
