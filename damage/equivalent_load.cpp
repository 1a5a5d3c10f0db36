#include "damage/equivalent_load.hpp"

#include <cmath>
#include <cstddef>

namespace skaldur::damage {
namespace {

// The largest whole exponent power_of() multiplies out.
constexpr double kMostWholeExponent = 64.0;

}  // namespace

DelSums::DelSums(std::span<const double> exponents)
    : exponents_(exponents.begin(), exponents.end()), sums_(exponents.size(), 0.0) {}

void DelSums::add(double s, double n) {
  for (std::size_t k = 0; k < exponents_.size(); ++k)
    sums_[k] += n * power_of(s, exponents_[k]);
}

double power_of(double s, double m) {
  if (!(m >= 1.0 && m <= kMostWholeExponent) || m != std::floor(m)) return std::pow(s, m);
  // Squaring in extended precision: the at most 12 products of s^64 round
  // far below a double's last bit, so only the final rounding to double
  // remains, as with std::pow. In doubles the roundings of the products
  // would add up to several units of the last bit.
  auto exponent = static_cast<unsigned>(m);
  long double base = s;
  long double power = 1.0L;
  for (;;) {
    if ((exponent & 1U) != 0) power *= base;
    exponent >>= 1U;
    if (exponent == 0) break;
    base *= base;
  }
  return static_cast<double>(power);
}

double damage_equivalent_range(double sum, double m, double n_eq) {
  if (sum == 0.0) return 0.0;
  return std::pow(sum / n_eq, 1.0 / m);
}

}  // namespace skaldur::damage
