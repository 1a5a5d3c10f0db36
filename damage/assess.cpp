#include "damage/assess.hpp"

#include <algorithm>
#include <cmath>

namespace skaldur::damage {

textio::Result<Assessment, AssessError> assess(std::span<const float> series,
                                               std::span<const double> sn_curve,
                                               const CurveOpt& curve_opt,
                                               const BlockRequest& blocks) {
  std::vector<float> work(std::max<std::size_t>(series.size(), 500));
  return assess(series, work, sn_curve, curve_opt, blocks);
}

std::optional<double> damage_per_year(double damage, double simulation_length) {
  if (!(simulation_length > 0.0)) return std::nullopt;
  return damage * 365.0 * 24.0 * 3600.0 / simulation_length;
}

std::optional<std::int64_t> yearly_factor(double simulation_length) {
  if (!(simulation_length >= 0.5)) return std::nullopt;
  if (simulation_length >= static_cast<double>(kSecondsPerYear) + 0.5) return 0;
  return kSecondsPerYear / std::llround(simulation_length);
}

}  // namespace skaldur::damage
