#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "damage/damage.hpp"

namespace skaldur::damage {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// N = 10^LogA * S^-m cycles, so one cycle does S^m * 10^-LogA.
double miner(double s, double log_a, double m) {
  return std::pow(s, m) * std::pow(10.0, -log_a);
}

// Each row's segments sit in a vector of exactly their size, so a read past
// them shows up under AddressSanitizer.
TEST(cyc2fail, Rows) {
  // Two segments with the bound of the first at (10^(12.913 - 7))^(1/3),
  // about 93.54 MPa.
  const std::vector<double> two = {12.913, 3, 1.0e7, 16.856, 5, 0};
  // 10^0 / 1 = 1 exactly: the bound of the first segment is exactly 1.
  const std::vector<double> at_one = {0, 3, 1, 2, 5, 0};
  const std::vector<double> cut_off = {0, 3, 1};
  const double above_one = std::nextafter(1.0, 2.0);
  const struct {
    std::vector<double> segments;
    int n_par_per_lin;
    int n_sn_lin;
    double s;
    double expected;
    double rel_tol = 1e-12;
  } rows[] = {
      // Worked by hand: 100^3 / 10^12.913 and 50^5 / 10^16.856.
      {two, 3, 2, 100.0, 1.2218e-7, 1e-4},
      {two, 3, 2, 50.0, 4.3536e-9, 1e-4},
      {two, 3, 2, 93.6, miner(93.6, 12.913, 3)},
      {two, 3, 2, 93.5, miner(93.5, 16.856, 5)},
      {two, 3, 2, 0.0, 0.0},
      {two, 3, 2, -20.0, 0.0},
      {two, 3, 2, kNaN, 0.0},
      {two, 3, 0, 100.0, 0.0},
      // A range exactly at a bound belongs to the segment below it.
      {at_one, 3, 2, 1.0, 0.01},
      {at_one, 3, 2, above_one, above_one * above_one * above_one},
      {at_one, 3, 2, 0.5, 0.5 * 0.5 * 0.5 * 0.5 * 0.5 / 100.0},
      // A last segment with a cut-off: nothing at or below its bound.
      {cut_off, 3, 1, 2.0, 8.0},
      {cut_off, 3, 1, 1.0, 0.0},
      {cut_off, 3, 1, 0.5, 0.0},
      // The stride, not the three values, leads to the next segment.
      {{0, 3, 1, 999, 2, 5, 0}, 4, 2, 0.5, 0.5 * 0.5 * 0.5 * 0.5 * 0.5 / 100.0},
      // Counts that point past the record: the search stops at its end ...
      {{0, 3, 1, 0, 3, 1}, 3, 1'000'000'000, 0.5, 0.0},
      {{0, 3, 1, 2, 5}, 3, 2, 0.5, 0.0},
      {{0, 3, 1, 2, 5}, 3, 2, 2.0, 8.0},
      // ... and a stride below 1 only ever meets the first segment.
      {at_one, 0, 1'000'000'000, 0.5, 0.0},
      {at_one, -3, 2, 0.5, 0.0},
      {at_one, 0, 2, 2.0, 8.0},
      // m = 0: a life of A cycles at every range, taken unless nBreak <= A.
      {{2, 0, 0}, 3, 1, 7.0, 0.01},
      {{2, 0, 1000}, 3, 1, 7.0, 0.01},
      {{2, 0, 10, 0, 3, 0}, 3, 2, 2.0, 8.0},
  };
  for (const auto& row : rows) {
    const double got = cyc2fail(row.s, row.segments, row.n_par_per_lin, row.n_sn_lin);
    EXPECT_NEAR(got, row.expected, row.rel_tol * row.expected)
        << "s = " << row.s << " in " << ::testing::PrintToString(row.segments) << " stride "
        << row.n_par_per_lin << " count " << row.n_sn_lin;
  }
}

// A record with one segment and the fixed parameters SigBreak, thick, k, kHigh.
std::vector<double> record(double code, double thick, double k, double k_high) {
  return {code, 1, 1, 1, 3, 4, 9, 12, 12, 3, 0, 0, thick, k, k_high};
}

TEST(DMG02A, ThicknessFactor) {
  const struct {
    std::vector<double> record;
    CurveOpt opt;
    std::optional<double> expected;
  } rows[] = {
      // NORSOK, Tref 25, k 0.2: below Tref or not given gives no correction.
      {record(1, 25, 0.2, 0), {0.0, 1.0}, 1.0},
      {record(1, 25, 0.2, 0), {20.0, 1.0}, 1.0},
      {record(1, 25, 0.2, 0), {50.0, 1.0}, 1.148698354997035},  // 2^0.2
      // Tref 32, k 0.25, kHigh 0.30, t 50: kHigh only above an SCF of 10; an
      // SCF of 0 counts as 1.
      {record(1, 32, 0.25, 0.3), {50.0, 10.0}, 1.118033988749895},  // sqrt(1.25)
      {record(1, 32, 0.25, 0.3), {50.0, 0.0}, 1.118033988749895},
      {record(1, 32, 0.25, 0.3), {50.0, 10.5}, 1.143262629818316},
      {record(1, 32, 0.25, 0.3), {50.0, 10.000001}, 1.143262629818316},
      // The limit is 1.0E-10 as a float, 1.0000000133E-10: a thickness just
      // above the double 1.0E-10 is still "not given", so t = Tref.
      {record(1, 1e-11, 1.0, 1.0), {1.00000001e-10, 1.0}, 1.0},
      {record(1, 1e-11, 1.0, 1.0), {2e-10, 1.0}, 20.0},
      // DNV (and curves from a file): 1 whatever the thickness.
      {record(2, 25, 0.2, 0.3), {50.0, 20.0}, 1.0},
      // No factor: an unknown code, a NORSOK Tref of 0, or a NORSOK record
      // too short to hold kHigh.
      {record(3, 25, 0.2, 0), {50.0, 1.0}, std::nullopt},
      {record(0, 25, 0.2, 0), {50.0, 1.0}, std::nullopt},
      {record(1, 0, 0.2, 0), {50.0, 1.0}, std::nullopt},
      {{1, 1, 1, 1, 3, 3, 9, 12, 12, 3, 0, 0, 25, 0.2}, {50.0, 1.0}, std::nullopt},
  };
  for (const auto& row : rows) {
    std::ostringstream print;
    const std::optional<double> got = DMG02A(row.record, row.opt, print);
    const auto where = ::testing::PrintToString(row.record) + " t " +
                       std::to_string(row.opt.thickness) + " scf " + std::to_string(row.opt.scf);
    ASSERT_EQ(got.has_value(), row.expected.has_value()) << where;
    if (row.expected) {
      EXPECT_NEAR(*got, *row.expected, 1e-14) << where;
      EXPECT_EQ(print.str(), "") << where;
    } else {
      EXPECT_EQ(print.str(), "\n  *** ERROR IN DMG02A ***\n") << where;
    }
  }
}

}  // namespace
}  // namespace skaldur::damage
