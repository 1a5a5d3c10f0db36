#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "textio/decimal_digits.hpp"

namespace skaldur::textio {

// How many bytes from the start of a line read_plain_line may look at: the
// caller makes them readable, past the end of its text too.
inline constexpr std::size_t kPlainLineReach = 64;

// What read_plain_line gives for the first value of a line: the value, or
// only its sign, as -1.0 for a value below zero and 0.0 for any other. A
// record's time is often needed for its sign alone, and its digits then
// need not be read.
enum class FirstValue { exact, sign };

namespace detail {

// A short line (its first 32 characters) looked at value by value.
class PlainScan {
 public:
  static constexpr unsigned kWidth = 32;

  explicit PlainScan(const char* line) : line_(line) {
    for (unsigned word = 0; word < kWidth / 8; ++word) {
      const std::uint64_t high = non_digit_high_bits(digit_bytes(line + 8 * word));
      non_digits_ |= (((high >> 7) * 0x0102040810204080u) >> 56) << (8 * word);
    }
  }

  // Finds the next value past blanks and tabs; false unless it is a plain
  // real ended by a blank, a tab or a line feed.
  bool next_value() {
    while (at_ < kWidth && (line_[at_] == ' ' || line_[at_] == '\t'))
      ++at_;
    if (at_ >= kWidth) return false;
    negative_ = line_[at_] == '-';
    first_ = at_ + ((negative_ || line_[at_] == '+') ? 1 : 0);
    const unsigned point = next_non_digit(first_);
    at_ = point;
    if (point < kWidth && line_[point] == '.') at_ = next_non_digit(point + 1);
    whole_digits_ = point - first_;
    fraction_digits_ = at_ == point ? 0 : at_ - point - 1;
    const char after = line_[at_];
    return at_ < kWidth && (after == ' ' || after == '\t' || after == '\n') && whole_digits_ <= 8 &&
           fraction_digits_ <= 8 && whole_digits_ + fraction_digits_ > 0;
  }

  // The value found last ended the line.
  [[nodiscard]] bool at_line_feed() const { return line_[at_] == '\n'; }
  [[nodiscard]] bool negative() const { return negative_; }
  [[nodiscard]] unsigned digit_count() const { return whole_digits_ + fraction_digits_; }

  // The value found last; false when its digits pass 53 bits. At most 16
  // digits and a power of ten up to 10^8: when the digits fit in 53 bits,
  // one division rounds correctly, as read_reals rounds.
  bool value(double& out) const {
    const std::uint64_t digits = digits_value();
    if (digits > (std::uint64_t{1} << 53)) return false;
    const double magnitude = static_cast<double>(digits) / kPowersOfTen[fraction_digits_];
    out = negative_ ? -magnitude : magnitude;
    return true;
  }

  // The line's length up to its line feed, which lies among the characters
  // from the last value on; 0 when it is not among the first 32.
  [[nodiscard]] unsigned length() const {
    for (std::uint64_t rest = non_digits_ >> at_ << at_;; rest &= rest - 1) {
      const auto i = static_cast<unsigned>(std::countr_zero(rest));
      if (i >= kWidth || line_[i] == '\n') return i < kWidth ? i : 0;
    }
  }

 private:
  [[nodiscard]] unsigned next_non_digit(unsigned at) const {
    return at + static_cast<unsigned>(std::countr_zero(non_digits_ >> at));
  }

  // The digits as one number: the whole digits stay in place (the first in
  // the lowest byte), the fraction moves down one byte over the point.
  [[nodiscard]] std::uint64_t digits_value() const {
    static constexpr std::uint64_t kLowBytes[] = {0,
                                                  0xFF,
                                                  0xFFFF,
                                                  0xFFFFFF,
                                                  0xFFFFFFFF,
                                                  0xFFFFFFFFFF,
                                                  0xFFFFFFFFFFFF,
                                                  0xFFFFFFFFFFFFFF,
                                                  0xFFFFFFFFFFFFFFFF};
    const std::uint64_t x0 = digit_bytes(line_ + first_);
    const std::uint64_t x1 = digit_bytes(line_ + first_ + 8);
    const std::uint64_t whole = kLowBytes[whole_digits_];
    const std::uint64_t low = (x0 & whole) | (((x0 >> 8) | (x1 << 56)) & ~whole);
    const unsigned count = digit_count();
    if (count <= 8) return leading_digits(low, count);
    return eight_digits(low) * kWholePowersOfTen[count - 8] +
           leading_digits(digit_bytes(line_ + first_ + 9), count - 8);
  }

  const char* line_;
  // One bit for each of the first 32 characters that is no digit, and one
  // more past them, so that every search ends.
  std::uint64_t non_digits_ = std::uint64_t{1} << kWidth;
  unsigned at_ = 0;
  unsigned first_ = 0;
  unsigned whole_digits_ = 0;
  unsigned fraction_digits_ = 0;
  bool negative_ = false;
};

}  // namespace detail

// Reads the values of a short, plain data line the quick way; every other
// line is left to read_reals. A plain line is shorter than 32 characters,
// ends with a line feed before `end`, and starts with values.size() reals
// separated by blanks or tabs, each an optional sign, at most 8 digits and
// an optional decimal point with at most 8 digits after it (at least one
// digit in all, no exponent). What follows them up to the line feed is not
// looked at, as read_reals does not look at it.
//
// For a plain line: fills `values` exactly as read_reals would (the first
// as `first` asks) and returns the line's length without its line feed. For
// any other line, and when no value is asked for: returns 0, `values`
// undefined. Looks at no byte beyond kPlainLineReach from `line`; bytes
// past `end` never change the outcome.
[[nodiscard, gnu::always_inline]] inline std::size_t read_plain_line(
    const char* const line, const char* const end, std::span<double> values,
    FirstValue first = FirstValue::exact) {
  if (values.empty()) return 0;
  detail::PlainScan scan(line);
  const std::size_t last = values.size() - 1;
  for (std::size_t i = 0; i <= last; ++i) {
    if (!scan.next_value() || (i != last && scan.at_line_feed())) return 0;
    if (i == 0 && first == FirstValue::sign) {
      // Fewer than 16 digits never pass 53 bits.
      if (scan.negative() || scan.digit_count() == 16) {
        if (!scan.value(values[0])) return 0;
      }
      values[0] = scan.negative() && values[0] < 0.0 ? -1.0 : 0.0;
    } else if (!scan.value(values[i])) {
      return 0;
    }
  }
  const unsigned length = scan.length();
  return length != 0 && line + length < end ? length : 0;
}

}  // namespace skaldur::textio
