#include "damage/cycle_assessment.hpp"

namespace skaldur::damage {

std::string_view name_of(DamageMethod method) {
  return method == DamageMethod::exact ? "exact" : "blocks";
}

std::optional<DamageMethod> damage_method_named(std::string_view name) {
  if (name == "blocks") return DamageMethod::blocks;
  if (name == "exact") return DamageMethod::exact;
  return std::nullopt;
}

bool CycleRequest::damage_only() const {
  return conventions == cycles::Conventions{} && method == DamageMethod::blocks && !matrix &&
         del_exponents.empty();
}

}  // namespace skaldur::damage
