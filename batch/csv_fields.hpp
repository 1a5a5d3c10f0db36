#pragma once

#include <string>
#include <string_view>
#include <type_traits>

namespace skaldur::batch {

// A CSV field: quoted when it holds a comma, a quote, a line end or outer
// blanks, with its quotes doubled.
void append_field(std::string& text, std::string_view field);

// A number in the shortest form that reads back as the same double
// (std::to_chars).
void append_number(std::string& text, double value);

// CSV fields separated by commas, with no line end: arithmetic fields as
// numbers, the others as text fields.
template <class... Fields>
void append_fields(std::string& text, const Fields&... fields) {
  bool first = true;
  const auto one = [&](const auto& field) {
    if (!first) text += ',';
    first = false;
    if constexpr (std::is_arithmetic_v<std::decay_t<decltype(field)>>) {
      append_number(text, static_cast<double>(field));
    } else {
      append_field(text, field);
    }
  };
  (one(fields), ...);
}

// One CSV row ending in '\n', its fields as append_fields writes them.
template <class... Fields>
void append_row(std::string& text, const Fields&... fields) {
  append_fields(text, fields...);
  text += '\n';
}

}  // namespace skaldur::batch
