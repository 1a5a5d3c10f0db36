#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace skaldur::textio {

// A fixed-width number layout: Iw (whole number), Fw.d (fixed point) or Ew.d
// (scientific, one digit before the point, "E", exponent sign and two digits).
struct Edit {
  enum class Kind { I, F, E };
  Kind kind = Kind::I;
  int width = 0;
  int decimals = 0;

  friend constexpr bool operator==(const Edit&, const Edit&) = default;
};

namespace detail {

constexpr bool parse_count(std::string_view text, int& out) {
  if (text.empty() || text.size() > 3) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  out = value;
  return true;
}

}  // namespace detail

// Parses "I8", "F12.3" or "E15.5". Returns an Edit of width 0 for anything else
// (no decimals on I, decimals required on F and E, width at least 1).
constexpr Edit parse_edit(std::string_view text) {
  Edit edit;
  if (text.size() < 2) return Edit{};
  switch (text[0]) {
    case 'I': edit.kind = Edit::Kind::I; break;
    case 'F': edit.kind = Edit::Kind::F; break;
    case 'E': edit.kind = Edit::Kind::E; break;
    default: return Edit{};
  }
  const std::string_view rest = text.substr(1);
  const auto dot = rest.find('.');
  if (edit.kind == Edit::Kind::I) {
    if (dot != std::string_view::npos || !detail::parse_count(rest, edit.width)) return Edit{};
  } else {
    if (dot == std::string_view::npos || !detail::parse_count(rest.substr(0, dot), edit.width) ||
        !detail::parse_count(rest.substr(dot + 1), edit.decimals)) {
      return Edit{};
    }
  }
  if (edit.width < 1) return Edit{};
  return edit;
}

// Appends `value` right-aligned in `width` columns; a value that does not fit
// fills the field with asterisks.
void append_int(std::string& out, std::int64_t value, int width);

// Appends `value` with `decimals` decimals right-aligned in `width` columns.
// "0.500" loses its leading zero only when the field is otherwise too narrow.
void append_fixed(std::string& out, double value, int width, int decimals);

// Appends `value` as d.ddddE+xx right-aligned in `width` columns. An exponent
// of three digits keeps the field width by dropping the letter: 1.23457-100.
void append_sci(std::string& out, double value, int width, int decimals);

// Appends the value in the given layout (an I layout rounds to the nearest
// whole number, halves away from zero).
void append(std::string& out, Edit edit, double value);

[[nodiscard]] std::string format_int(std::int64_t value, int width);
[[nodiscard]] std::string format_fixed(double value, int width, int decimals);
[[nodiscard]] std::string format_sci(double value, int width, int decimals);
[[nodiscard]] std::string format(Edit edit, double value);

}  // namespace skaldur::textio
