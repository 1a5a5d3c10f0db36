#include "series/detail/line_rules.hpp"

#include <algorithm>

namespace skaldur::series::detail {
namespace {

std::string ordinal_value(std::size_t index) {
  return index == 0 ? "the time" : "stress value " + std::to_string(index);
}

}  // namespace

std::size_t divided_value(std::string_view line, char after, std::size_t count) {
  constexpr auto kNone = std::string_view::npos;
  if (after == '\n' || textio::ends_value(after)) return kNone;
  textio::FreeFormReader reader(line);
  for (std::size_t i = 0; i <= count; ++i) {
    if (!reader.real()) return kNone;
    if (reader.value_start() + reader.value_text().size() == line.size()) return i;
  }
  return kNone;
}

bool reread_values(std::string_view line, std::size_t count, std::vector<double>& values,
                   std::string& why) {
  textio::FreeFormReader reader(line);
  for (std::size_t i = 0; i <= count; ++i) {
    const auto value = reader.real();
    if (!value) {
      if (value.error() == textio::NumberError::missing) {
        why = "the line holds fewer numbers than the time and " + std::to_string(count) +
              (count == 1 ? " stress value" : " stress values");
      } else {
        why = "cannot read " + ordinal_value(i) + " '" +
              std::string(reader.value_text().substr(0, 80)) +
              "' as a number: " + std::string(textio::describe(value.error()));
      }
      return false;
    }
    values[i] = *value;
  }
  return true;
}

std::string LineRules::cut_text() const {
  return "the line is cut at its " + std::to_string(width) + "-character limit";
}

bool LineRules::cut_divides(std::string_view line, char after, std::string& why) const {
  const std::size_t index = divided_value(line, after, per_line);
  if (index == std::string_view::npos ||
      std::find(columns.begin(), columns.end(), index + 1) == columns.end()) {
    return false;
  }
  why = cut_text() + " inside the value of column " + std::to_string(index + 1);
  return true;
}

bool LineRules::no_room(std::string& why) {
  why = "the time window holds more than 2147483647 values";
  return false;
}

bool LineRules::beyond_float(std::size_t column, std::string& why) {
  why = "the stress of column " + std::to_string(column) + " is beyond the single-precision range";
  return false;
}

}  // namespace skaldur::series::detail
