#include "textio/intchar.hpp"

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <string>

#include "textio/format.hpp"
#include "textio/text.hpp"

namespace skaldur::textio {
namespace {

constexpr int kLengthWidth = 10;

std::size_t to_size(int value) {
  return value > 0 ? static_cast<std::size_t>(value) : 0;
}

void report_too_long(std::ostream& message, int length, int n) {
  std::string text = "\n\n   Error in routine *CH2INT*              \n";
  text += "\n\n   Character string longer than integer  array \n";
  text += "   Length of string :                         : ";
  append_int(text, length, kLengthWidth);
  text += "\n   Length of array  :                         : ";
  append_int(text, n, kLengthWidth);
  text += '\n';
  message << text;
}

void report_bad_length(std::ostream& message, int n) {
  std::string text = "\n\n   Error in routine *INT2CH*              \n";
  text += "\n\n   Inpus string has illegal length            :";
  append_int(text, n, kLengthWidth);
  text += '\n';
  message << text;
}

}  // namespace

void CH2INT(std::span<const std::string_view> strings, std::span<std::int32_t> table, int n,
            std::ostream& message, int& errors) {
  const std::size_t rows = to_size(n);
  std::fill(table.begin(), table.end(), 0);
  const std::size_t columns =
      rows == 0 ? strings.size() : std::min(strings.size(), table.size() / rows);
  for (std::size_t j = 0; j < columns; ++j) {
    const std::string_view text = strings[j];
    const int length = LENTRM(text);
    if (length > n) {
      report_too_long(message, length, n);
      --errors;
      return;
    }
    const auto column = table.subspan(j * rows, rows);
    for (std::size_t i = 0; i < static_cast<std::size_t>(length); ++i)
      column[i] = static_cast<unsigned char>(text[i]);
  }
}

void INT2CH(std::span<char> text, std::span<const std::int32_t> column, int n,
            std::ostream& message, int& errors) {
  std::fill(text.begin(), text.end(), ' ');
  if (n <= 0) {
    report_bad_length(message, n);
    --errors;
    return;
  }
  const std::size_t count = std::min({to_size(n), text.size(), column.size()});
  for (std::size_t i = 0; i < count && column[i] != 0; ++i)
    text[i] = static_cast<char>(static_cast<std::uint32_t>(column[i]) & 0xFFu);
}

}  // namespace skaldur::textio
