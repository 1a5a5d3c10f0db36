#include "damage/equivalent_load.hpp"

#include <cmath>
#include <cstddef>

namespace skaldur::damage {
namespace {

// The largest whole exponent power_of() multiplies out.
constexpr double kMostWholeExponent = 64.0;

}  // namespace

Power::Power(double m) : m_(m) {
  if (m >= 1.0 && m <= kMostWholeExponent && m == std::floor(m)) whole_ = static_cast<unsigned>(m);
}

DelSums::DelSums(std::span<const double> exponents) : sums_(exponents.size(), 0.0) {
  for (const double m : exponents)
    powers_.emplace_back(m);
}

void DelSums::add(double s, double n) {
  for (std::size_t k = 0; k < powers_.size(); ++k)
    sums_[k] += n * powers_[k](s);
}

double power_of(double s, double m) {
  return Power(m)(s);
}

double damage_equivalent_range(double sum, double m, double n_eq) {
  if (sum == 0.0) return 0.0;
  return std::pow(sum / n_eq, 1.0 / m);
}

}  // namespace skaldur::damage
