#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "textio/decimal_digits.hpp"

namespace skaldur::textio {

// How many bytes from the start of a line read_plain_line may look at: the
// caller makes them readable, past the end of its text too.
inline constexpr std::size_t kPlainLineReach = 48;

// Reads the values of a short, plain data line the quick way; every other
// line is left to read_reals. A plain line is shorter than 32 characters,
// ends with a line feed before `end`, and starts with values.size() reals
// separated by blanks or tabs, each an optional sign, at most 8 digits and
// an optional decimal point with at most 8 digits after it (at least one
// digit in all, no exponent). What follows them up to the line feed is not
// looked at, as read_reals does not look at it.
//
// For a plain line: fills `values` exactly as read_reals would and returns
// the line's length without its line feed. For any other line: returns 0,
// `values` undefined. Looks at no byte beyond kPlainLineReach from `line`;
// bytes past `end` never change the outcome.
[[nodiscard]] inline std::size_t read_plain_line(const char* const line, const char* const end,
                                                 std::span<double> values) {
  constexpr unsigned kWidth = 32;
  // One bit for each of the first 32 characters that is no digit, and one
  // more past them, so that every search below ends.
  std::uint64_t non_digits = std::uint64_t{1} << kWidth;
  for (unsigned word = 0; word < kWidth / 8; ++word) {
    const std::uint64_t high = detail::non_digit_high_bits(detail::digit_bytes(line + 8 * word));
    non_digits |= (((high >> 7) * 0x0102040810204080u) >> 56) << (8 * word);
  }
  const auto next_non_digit = [&](unsigned at) {
    return at + static_cast<unsigned>(std::countr_zero(non_digits >> at));
  };
  unsigned at = 0;
  for (double& value : values) {
    while (at < kWidth && (line[at] == ' ' || line[at] == '\t'))
      ++at;
    if (at >= kWidth) return 0;
    const char lead = line[at];
    const unsigned first = at + ((lead == '-' || lead == '+') ? 1 : 0);
    const unsigned point = next_non_digit(first);
    at = point;
    if (point < kWidth && line[point] == '.') at = next_non_digit(point + 1);
    const unsigned whole_digits = point - first;
    const unsigned fraction_digits = at == point ? 0 : at - point - 1;
    const char after = line[at];
    if (at >= kWidth || !(after == ' ' || after == '\t' || after == '\n') || whole_digits > 8 ||
        fraction_digits > 8 || whole_digits + fraction_digits == 0 ||
        (after == '\n' && &value != &values.back())) {
      return 0;
    }
    // At most 16 digits and a power of ten up to 10^8: when the digits fit
    // in 53 bits, one division rounds correctly, as read_reals rounds.
    const std::uint64_t digits =
        detail::leading_digits(detail::digit_bytes(line + first), whole_digits) *
            detail::kWholePowersOfTen[fraction_digits] +
        detail::leading_digits(detail::digit_bytes(line + point + 1), fraction_digits);
    if (digits > (std::uint64_t{1} << 53)) return 0;
    const double magnitude = static_cast<double>(digits) / detail::kPowersOfTen[fraction_digits];
    value = lead == '-' ? -magnitude : magnitude;
  }
  // The line feed is one of the characters from here on that are no digits.
  for (std::uint64_t rest = non_digits >> at << at;; rest &= rest - 1) {
    const auto i = static_cast<unsigned>(std::countr_zero(rest));
    if (i >= kWidth) return 0;
    if (line[i] == '\n') return line + i < end ? i : 0;
  }
}

}  // namespace skaldur::textio
