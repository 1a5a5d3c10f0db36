#pragma once

#include <cmath>
#include <span>
#include <vector>

namespace skaldur::damage {

// s^m for one exponent m, the fastest way that stays within a few units of
// the last bit of std::pow: a whole m from 1 to 64 by repeated squaring in
// double (at most 12 products, each rounded once), any other by std::pow.
class Power {
 public:
  explicit Power(double m);

  [[nodiscard]] double operator()(double s) const {
    if (whole_ == 0) return std::pow(s, m_);
    unsigned exponent = whole_;
    double base = s;
    double power = 1.0;
    for (;;) {
      if ((exponent & 1U) != 0) power *= base;
      exponent >>= 1U;
      if (exponent == 0) return power;
      base *= base;
    }
  }

 private:
  double m_;
  unsigned whole_ = 0;  // m when it is whole and within 1 ... 64, else 0
};

// The damage-equivalent range of cycles for Woehler exponents m: the sums
// sum_i n_i S_i^m, kept so that load cases, shards and years add up before
// the root is taken.
class DelSums {
 public:
  explicit DelSums(std::span<const double> exponents);

  // Adds n cycles of range s (MPa).
  void add(double s, double n);

  // sum_i n_i S_i^m for each exponent, in the order given.
  [[nodiscard]] const std::vector<double>& sums() const { return sums_; }

 private:
  std::vector<Power> powers_;
  std::vector<double> sums_;
};

// S^m by Power.
[[nodiscard]] double power_of(double s, double m);

// DEL = (sum / n_eq)^(1 / m): the constant range that n_eq times gives the
// same sum as the cycles. 0 for a sum of 0.
[[nodiscard]] double damage_equivalent_range(double sum, double m, double n_eq);

}  // namespace skaldur::damage
