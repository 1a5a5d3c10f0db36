#include "damage/mean_stress.hpp"

#include <algorithm>
#include <cmath>

namespace skaldur::damage {

std::string_view name_of(MeanStressMethod method) {
  switch (method) {
    case MeanStressMethod::dnv: return "dnv";
    case MeanStressMethod::goodman: return "goodman";
    case MeanStressMethod::none: break;
  }
  return "none";
}

std::optional<MeanStressMethod> mean_stress_named(std::string_view name) {
  if (name == "none") return MeanStressMethod::none;
  if (name == "dnv") return MeanStressMethod::dnv;
  if (name == "goodman") return MeanStressMethod::goodman;
  return std::nullopt;
}

std::optional<double> corrected_range(const MeanStress& correction, double from, double to) {
  const double range = std::abs(to - from);
  switch (correction.method) {
    case MeanStressMethod::dnv: {
      const double tensile = std::clamp(std::max(from, to), 0.0, range);
      return tensile + correction.p * (range - tensile);
    }
    case MeanStressMethod::goodman: {
      const double mean = (from + to) / 2.0;
      if (mean >= correction.ultimate) return std::nullopt;
      return mean > 0.0 ? range / (1.0 - mean / correction.ultimate) : range;
    }
    case MeanStressMethod::none: break;
  }
  return range;
}

}  // namespace skaldur::damage
