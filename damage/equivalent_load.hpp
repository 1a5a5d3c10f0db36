#pragma once

#include <span>
#include <vector>

namespace skaldur::damage {

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
  std::vector<double> exponents_;
  std::vector<double> sums_;
};

// S^m: for a whole m from 1 to 64 by repeated squaring in extended
// precision, faster than std::pow and like it rounded once (within 1e-15
// relative of it); else std::pow.
[[nodiscard]] double power_of(double s, double m);

// DEL = (sum / n_eq)^(1 / m): the constant range that n_eq times gives the
// same sum as the cycles. 0 for a sum of 0.
[[nodiscard]] double damage_equivalent_range(double sum, double m, double n_eq);

}  // namespace skaldur::damage
