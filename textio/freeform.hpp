#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "textio/result.hpp"

namespace skaldur::textio {

// Why a number could not be read from a free-form text.
enum class NumberError {
  missing,       // the text ended before the value
  bad_number,    // not a number of the needed kind: a word, "1.5.5", "3*1.0", "12.5" for a whole
  null_value,    // an empty value: a leading comma, or two commas with only blanks between
  slash,         // a slash ended the text before the value
  out_of_range,  // a real beyond the double range, or a whole number beyond 32 bits
};

// A blank, a tab, a comma or a slash ends a value in free form.
[[nodiscard]] constexpr bool ends_value(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '/';
}

// A short English description, for messages such as "cannot read ...: <what>".
[[nodiscard]] std::string_view describe(NumberError error);

// Reads numbers one after the other from a text in free form.
//
// Numbers are separated by blanks, tabs or one comma (blanks around it
// allowed); a slash ends the text. A real is an optional sign, digits with an
// optional decimal point (at least one digit), and an optional exponent: E, e,
// D or d, an optional sign, digits. A whole number is an optional sign and
// digits. Only the values asked for are examined: what follows them is never
// looked at. Never throws and never reads past the text.
class FreeFormReader {
 public:
  explicit FreeFormReader(std::string_view text) : text_(text) {}

  [[nodiscard]] Result<double, NumberError> real();
  [[nodiscard]] Result<std::int32_t, NumberError> whole();

  // Offset of the value read last (or of the place where reading failed).
  [[nodiscard]] std::size_t value_start() const { return value_start_; }
  // The text of the value read last (or of the field that failed).
  [[nodiscard]] std::string_view value_text() const { return value_text_; }

 private:
  // Moves past the separators to the start of the next value; the error
  // when there is none.
  [[nodiscard]] std::optional<NumberError> skip_to_value();
  // Takes the value that starts here, up to its separator, into value_text_.
  void take_value();
  // Both of the above.
  [[nodiscard]] std::optional<NumberError> next_value();

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t value_start_ = 0;
  std::string_view value_text_;
  bool after_value_ = false;
};

// True when the whole text is a real in the form above (whatever its size).
[[nodiscard]] bool is_real_form(std::string_view text);

// Reads exactly values.size() reals from the front of the text, in the same
// free form as FreeFormReader, into `values`. Returns false on any problem
// without saying which: a caller that needs the reason reads the text again
// with a FreeFormReader. Made for the millions of lines of a long record.
[[nodiscard]] bool read_reals(std::string_view text, std::span<double> values);

// Converts a real in the form above; bad_number for any other text,
// out_of_range when it overflows a double. A value too small for a double
// reads as zero of the same sign.
[[nodiscard]] Result<double, NumberError> convert_real(std::string_view text);

}  // namespace skaldur::textio
