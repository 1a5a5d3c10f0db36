#include "damage/mean_stress.hpp"

#include <algorithm>

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

}  // namespace skaldur::damage
