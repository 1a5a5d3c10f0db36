#include "batch/job_fields.hpp"

#include <cmath>
#include <cstdio>
#include <limits>

#include "damage/assess.hpp"

namespace skaldur::batch {

std::int64_t line_of(const toml::node& node) {
  return static_cast<std::int64_t>(node.source().begin.line);
}

std::optional<BatchError> Fields::unknown_key(std::initializer_list<std::string_view> known,
                                              std::string_view table_name) const {
  for (auto&& [key, node] : table_) {
    bool found = false;
    for (const std::string_view k : known)
      found = found || key.str() == k;
    if (!found) {
      return BatchError{kExitBadInput,
                        place(file_, line_of(node), prefix_ + std::string(key.str())) +
                            ": unknown key in " + std::string(table_name)};
    }
  }
  return std::nullopt;
}

BatchError Fields::error(std::string_view key, const std::string& what) const {
  const toml::node* node = table_.get(key);
  const std::int64_t line = node != nullptr ? line_of(*node) : line_of(table_);
  return BatchError{kExitBadInput, place(file_, line, prefix_ + std::string(key)) + ": " + what};
}

Outcome<double> Fields::real(std::string_view key, std::optional<double> fallback) const {
  const toml::node* node = get(key);
  if (node == nullptr) {
    if (fallback) return *fallback;
    return textio::fail(error(key, "missing; it is required"));
  }
  if (!node->is_number()) return textio::fail(error(key, "not a number"));
  const double value = node->is_integer() ? static_cast<double>(node->as_integer()->get())
                                          : node->as_floating_point()->get();
  if (!std::isfinite(value)) return textio::fail(error(key, "not a finite number"));
  return value;
}

Outcome<std::int32_t> Fields::whole(std::string_view key, std::int32_t fallback) const {
  const toml::node* node = get(key);
  if (node == nullptr) return fallback;
  if (!node->is_integer()) return textio::fail(error(key, "not a whole number"));
  const std::int64_t value = node->as_integer()->get();
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return textio::fail(error(key, "out of range"));
  }
  return static_cast<std::int32_t>(value);
}

Outcome<std::int32_t> Fields::blocks(std::int32_t fallback,
                                     std::vector<std::string>& warnings) const {
  auto n = whole("blocks", fallback);
  if (!n || get("blocks") == nullptr || (*n >= 1 && *n <= damage::kMostBlocks)) return n;
  const std::string most = std::to_string(damage::kMostBlocks);
  const std::string where = place(file_, line_of(*get("blocks")), prefix_ + "blocks") + ": " +
                            std::to_string(*n) + " blocks asked for: ";
  warnings.push_back(where + (*n < 1 ? "the default " + most + " blocks are used"
                                     : most + " blocks, the most there can be, are used"));
  return n;
}

void Fields::note_tiny_scf(double scf, std::vector<std::string>& warnings) const {
  if (get("scf") == nullptr || damage::effective_scf({0.0, scf}) == scf) return;
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", scf);
  warnings.push_back(place(file_, line_of(*get("scf")), prefix_ + "scf") + ": an SCF of " + text +
                     " is not above 1.0E-10: 1.0 is used");
}

Outcome<std::string> Fields::text(std::string_view key, std::optional<std::string> fallback) const {
  const toml::node* node = get(key);
  if (node == nullptr) {
    if (fallback) return *fallback;
    return textio::fail(error(key, "missing; it is required"));
  }
  if (!node->is_string()) return textio::fail(error(key, "not a text"));
  return std::string(node->as_string()->get());
}

}  // namespace skaldur::batch
