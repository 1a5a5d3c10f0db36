#include "damage/equivalent_load.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "damage/curve_life.hpp"

namespace skaldur::damage {
namespace {

// Ranges 10 (one cycle) and 20 (half a cycle): sum S^3 = 1000 + 0.5 x 8000
// and sum S^5 = 10^5 + 0.5 x 3.2 x 10^6, each exponent's sum in its place.
TEST(DelSums, WorkedByHand) {
  const std::vector<double> exponents = {3.0, 5.0};
  DelSums sums(exponents);
  sums.add(10.0, 1.0);
  sums.add(20.0, 0.5);
  EXPECT_EQ(sums.sums(), (std::vector<double>{5000.0, 1.7e6}));
  // Over n_eq = 2 cycles: (5000 / 2)^(1/3).
  EXPECT_NEAR(damage_equivalent_range(sums.sums()[0], 3.0, 2.0), 13.572088082974531, 1e-13);
  EXPECT_EQ(damage_equivalent_range(0.0, 3.0, 1e7), 0.0);
}

// A whole exponent is multiplied out, every bit of it counted (1 ... 64),
// each product rounded once (a few units of the last bit in all);
// any other exponent goes to std::pow as it is (not cut to a whole one).
TEST(power_of, AgreesWithPow) {
  std::mt19937_64 rng(77);
  std::uniform_real_distribution<double> decades(-3.0, 3.0);
  for (int m = 1; m <= 64; ++m) {
    for (int i = 0; i < 200; ++i) {
      const double s = std::pow(10.0, decades(rng));
      const double want = std::pow(s, m);
      ASSERT_NEAR(power_of(s, m), want, 1e-14 * want) << s << "^" << m;
    }
  }
  for (const double m : {0.0, 0.5, 2.5, 3.000001, 65.0, -3.0}) {
    EXPECT_EQ(power_of(7.25, m), std::pow(7.25, m)) << m;
  }
}

// With the exponent of a one-segment curve, n_eq cycles of the DEL do the
// damage of the cycles: n_eq (DEL^m / A) = sum n_i S_i^m / A.
TEST(damage_equivalent_range, GivesTheDamageOfTheCycles) {
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> range(1.0, 200.0);
  std::uniform_real_distribution<double> count(0.5, 3.0);
  for (const double m : {3.0, 4.5}) {
    const CurveLife curve(std::vector<double>{2, 0, 0, 1, 3, 0, 9, 0, 12.5, m, 0});
    const std::vector<double> exponent = {m};
    DelSums sums(exponent);
    double damage = 0.0;
    for (int i = 0; i < 1000; ++i) {
      const double s = range(rng);
      const double n = count(rng);
      sums.add(s, n);
      damage += n * curve.damage(s);
    }
    const double n_eq = 1e7;
    const double del = damage_equivalent_range(sums.sums()[0], m, n_eq);
    EXPECT_NEAR(n_eq * curve.damage(del), damage, 1e-12 * damage) << "m = " << m;
  }
}

}  // namespace
}  // namespace skaldur::damage
