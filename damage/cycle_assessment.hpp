#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "cycles/cycle.hpp"
#include "cycles/matrix.hpp"
#include "damage/assess.hpp"
#include "damage/mean_stress.hpp"

namespace skaldur::damage {

// How the damage of a series is summed.
//   blocks: every cycle at the midpoint of its block, as `skaldur` computes it
//   exact:  every cycle at its own range: sum n_i / N(S_i)
enum class DamageMethod { blocks, exact };

// "blocks", "exact"; and back (nothing for another name).
[[nodiscard]] std::string_view name_of(DamageMethod method);
[[nodiscard]] std::optional<DamageMethod> damage_method_named(std::string_view name);

// What to work out of a series beyond the damage, and by which conventions.
//
// Every cycle value is hot-spot stress in MPa: the series value x the unit
// factor x SCF, plus `static_stress` on every stress value (from, to, mean;
// ranges unchanged). The thickness factor stays on the curve side: the
// damage enters the curve with the range x the thickness factor.
struct CycleRequest {
  cycles::Conventions conventions;
  DamageMethod method = DamageMethod::blocks;
  MeanStress mean_stress;  // exact damage only
  double static_stress = 0.0;
  std::optional<cycles::MatrixSpec> matrix;
  std::vector<double> del_exponents;  // sum n S^m for each

  // Whether nothing but `skaldur`'s damage is asked: the block path as it
  // stands then gives every result.
  [[nodiscard]] bool damage_only() const;
};

struct CycleAssessment {
  Assessment assessment;  // damage by `method`; the blocks hold the conventions' cycles
  std::vector<cycles::MatrixCell> matrix;  // when asked, of the cycles as counted
  std::vector<double> del_sums;            // sum n S^m for each exponent asked
};

// Assesses a series as assess() does, by the conventions and method of
// `request`, and works out the matrix and the DEL sums asked for. With the
// default conventions and block damage the damage and blocks are exactly
// assess()'s. Failures as assess()'s, and `mean_at_ultimate` when a cycle's
// mean reaches the ultimate strength, `beyond_matrix` when a value falls in
// no matrix bin.
template <class T>
[[nodiscard]] textio::Result<CycleAssessment, AssessError> assess_cycles(
    std::span<const T> series, std::span<const double> sn_curve, const CurveOpt& curve_opt,
    const BlockRequest& blocks, const CycleRequest& request);

}  // namespace skaldur::damage
