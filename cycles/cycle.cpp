#include "cycles/cycle.hpp"

namespace skaldur::cycles {

std::string_view name_of(Ends ends) {
  return ends == Ends::keep ? "keep" : "drop";
}

std::string_view name_of(Residue residue) {
  return residue == Residue::repeated ? "repeated" : "half";
}

std::optional<Ends> ends_named(std::string_view name) {
  if (name == "drop") return Ends::drop;
  if (name == "keep") return Ends::keep;
  return std::nullopt;
}

std::optional<Residue> residue_named(std::string_view name) {
  if (name == "half") return Residue::half;
  if (name == "repeated") return Residue::repeated;
  return std::nullopt;
}

}  // namespace skaldur::cycles
