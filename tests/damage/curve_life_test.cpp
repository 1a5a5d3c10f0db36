#include "damage/curve_life.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <vector>

#include "damage/damage.hpp"
#include "sncurve/catalogue.hpp"
#include "sncurve/record.hpp"

namespace skaldur::damage {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A record from a definition file: standard 2, no fixed parameters, the
// segments from position 9 on, `stride` apart.
std::vector<double> defined(double n_sn_lin, double stride, std::vector<double> segments,
                            double seg_start = 9) {
  std::vector<double> record = {2, 0, 0, n_sn_lin, stride, 0, seg_start, 0};
  record.insert(record.end(), segments.begin(), segments.end());
  return record;
}

// cyc2fail on a record the way the damage of a series calls it.
double reference_damage(std::span<const double> record, double s) {
  const sncurve::RecordView view(record);
  const int seg_start = view.seg_start();
  std::span<const double> segments;
  if (seg_start >= 1 && static_cast<std::size_t>(seg_start) <= record.size())
    segments = record.subspan(static_cast<std::size_t>(seg_start) - 1);
  return cyc2fail(s, segments, view.n_par_per_lin(), view.n_sn_lin());
}

std::vector<std::vector<double>> catalogue_records() {
  const auto catalogue = sncurve::builtin_catalogue();
  std::vector<std::vector<double>> records;
  if (!catalogue) return records;
  for (int n = 1; n <= catalogue->count; ++n) {
    const auto block = sncurve::curve_block(*catalogue, n);
    if (block) records.emplace_back(block->begin(), block->end());
  }
  return records;
}

// Ranges that probe a record: the edges of the double range, a few ulps
// around each segment's break range (which covers the break as cyc2fail
// works it out, a bit or two away from the echo's), and random ranges.
std::vector<double> probe_ranges(std::span<const double> record, std::mt19937_64& rng) {
  std::vector<double> ranges = {0.0,
                                -0.0,
                                -5.0,
                                kNaN,
                                kInf,
                                -kInf,
                                1e-300,
                                1e300,
                                std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::denorm_min()};
  const sncurve::RecordView view(record);
  for (int j = 1; j <= 8; ++j) {
    const auto segment = view.segment(j);
    if (!segment) break;
    double s = sncurve::break_range(*segment);
    for (int step = 0; step < 8; ++step)
      s = std::nextafter(s, 0.0);
    for (int step = 0; step < 16; ++step, s = std::nextafter(s, kInf))
      ranges.push_back(s);
  }
  std::uniform_real_distribution<double> decades(-3.0, 4.0);
  for (int i = 0; i < 200; ++i)
    ranges.push_back(std::pow(10.0, decades(rng)));
  return ranges;
}

TEST(CurveLife, DamageIsCyc2failBitForBit) {
  std::vector<std::vector<double>> records = catalogue_records();
  ASSERT_EQ(records.size(), 50U);
  // Two slopes 4 apart (a spare value between), the last with a cut-off.
  records.push_back(defined(2, 4, {12.0, 3.5, 2e6, 99, 15.1, 5.25, 1e8}));
  // m = 0 that never takes a range (A >= nBreak), a slope, m = 0 that takes
  // every range (no nBreak).
  records.push_back(defined(3, 3, {2, 0, 10, 12, 3, 1e7, 5, 0, 0}));
  // m = 0 with A < nBreak takes every range; a NaN nBreak never.
  records.push_back(defined(2, 3, {2, 0, 1000, 12, 3, 1e7}));
  records.push_back(defined(2, 3, {12, 3, kNaN, 14, 4, 0}));
  // A falling segment (m < 0) with a break, then a slope.
  records.push_back(defined(2, 3, {3, -2, 1e3, 12, 3, 0}));
  // LogA 300, m 155: s^m overflows where s^-m does not underflow.
  records.push_back(defined(1, 3, {300, 155, 0}));
  // A stride below 1 meets only the first segment, whatever nSNlin says.
  records.push_back(defined(1e9, 0, {12, 3, 1e7, 14, 5, 0}));
  // More segments promised than the record holds: the third is cut short.
  records.push_back(defined(5, 3, {-1, 12, 3, 1e7, 15, 5, 1e9, 16, 7}, 10));
  // segStart outside the record, or before it.
  records.push_back(defined(1, 3, {12, 3, 0}, 40));
  records.push_back(defined(2, 3, {12, 3, 0, 13, 4, 0}, 0));
  // Too short to hold a header.
  records.push_back({2, 0, 0, 1, 3});

  std::mt19937_64 rng(20'240'611);
  for (const auto& record : records) {
    const CurveLife curve(record);
    for (const double s : probe_ranges(record, rng)) {
      const double want = reference_damage(record, s);
      const double got = curve.damage(s);
      ASSERT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(want))
          << "s = " << s << " gives " << got << " instead of " << want << " on "
          << ::testing::PrintToString(record);
      // The fast form for sums takes the same segment and lies within a few
      // units of the last bit (of a normal double).
      if (std::isfinite(want)) {
        ASSERT_NEAR(curve.cycle_damage(s), want, 1e-14 * std::fabs(want) + 1e-300) << "s = " << s;
      }
    }
  }
}

// Across many decades of damage, on every catalogue curve whose last segment
// has no cut-off, damage(equivalent_range(d)) is d; except for a d that
// falls in the small jump between two segments at their break (the rows are
// float values, so the segments meet only to about 0.1 %), where the range
// is the one at which the damage jumps across d.
TEST(CurveLife, EquivalentRangeInvertsTheDamage) {
  int round_trips = 0;
  int jumps = 0;
  for (const auto& record : catalogue_records()) {
    const sncurve::RecordView view(record);
    if (view.segment(view.n_sn_lin())->n_break > 0.0) continue;  // a cut-off
    const CurveLife curve(record);
    for (int k = 0; k <= 12 * 40; ++k) {
      const double d = std::pow(10.0, -14.0 + k / 40.0);
      const double s = curve.equivalent_range(d);
      const double at = curve.damage(s);
      const double above = curve.damage(std::nextafter(s, kInf));
      if (std::abs(at - d) <= 1e-12 * d) {
        ++round_trips;
      } else {
        ++jumps;
        EXPECT_TRUE(at < d && d <= above * (1 + 1e-12))
            << "d = " << d << " gives S = " << s << " with damage " << at << " ... " << above
            << " on " << ::testing::PrintToString(record);
      }
    }
  }
  // 48 curves, 481 damages each. Each jump is narrower than the 1/40 decade
  // between the damages, so at most one of them falls in the jump of each of
  // the 30 two-slope curves; some do.
  EXPECT_EQ(round_trips + jumps, 48 * 481);
  EXPECT_GT(jumps, 0);
  EXPECT_LE(jumps, 30);
}

// Hand-built curves. With a gap: 10^12 / S^3 down to 100 MPa (10^6 cycles),
// then 10^16.3 / S^5, which at 100 MPa gives 10^6.3 cycles. With a cut-off:
// 10^12 / S^3 down to 100 MPa, then 10^16 / S^5 (meeting it) down to
// 10^8 cycles at 10^(8/5) = 39.81 MPa.
TEST(CurveLife, EquivalentRangeAtGapsAndBelowACutOff) {
  const CurveLife gap(defined(2, 3, {12, 3, 1e6, 16.3, 5, 0}));
  const CurveLife cut_off(defined(2, 3, {12, 3, 1e6, 16, 5, 1e8}));
  const CurveLife no_slope(defined(1, 3, {5, 0, 0}));
  const struct {
    const CurveLife* curve;
    double d;
    double s;
  } rows[] = {
      {&gap, 2e-6, 125.99210498948729},       // (2e6)^(1/3) on the first segment
      {&gap, 7e-7, 100.0},                    // 1/d between 10^6 and 10^6.3: the break
      {&gap, 4e-7, 95.58989801673066},        // (10^16.3 x 4e-7)^(1/5), below the gap
      {&gap, 1e-7, 72.44359600749905},        // (10^16.3 x 1e-7)^(1/5)
      {&cut_off, 1e-7, 63.09573444801933},    // (10^9)^(1/5) on the second segment
      {&cut_off, 1e-10, 15.848931924611136},  // (10^6)^(1/5): the second segment,
                                              // extended below 39.81 MPa
      {&cut_off, 0.0, 0.0},
      {&cut_off, -1.0, 0.0},
      {&no_slope, 1e-5, kNaN},
  };
  for (const auto& row : rows) {
    const double got = row.curve->equivalent_range(row.d);
    if (std::isnan(row.s)) {
      EXPECT_TRUE(std::isnan(got)) << "d = " << row.d;
    } else {
      EXPECT_NEAR(got, row.s, 1e-13 * row.s) << "d = " << row.d;
    }
  }
  EXPECT_TRUE(std::isnan(cut_off.equivalent_range(kNaN)));
  EXPECT_EQ(cut_off.damage(cut_off.equivalent_range(1e-10)), 0.0);
}

}  // namespace
}  // namespace skaldur::damage
