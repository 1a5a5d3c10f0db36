#include "batch/csv_fields.hpp"

#include <array>
#include <charconv>

namespace skaldur::batch {

void append_field(std::string& text, std::string_view field) {
  const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!field.empty() && (field.front() == ' ' || field.back() == ' '));
  if (!quote) {
    text += field;
    return;
  }
  text += '"';
  for (const char c : field) {
    if (c == '"') text += '"';
    text += c;
  }
  text += '"';
}

void append_number(std::string& text, double value) {
  std::array<char, 32> buffer{};
  const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  text.append(buffer.data(), r.ptr);
}

}  // namespace skaldur::batch
