#include "textio/freeform.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <optional>
#include <system_error>

namespace skaldur::textio {
namespace {

constexpr bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
constexpr bool is_space(char c) {
  return c == ' ' || c == '\t';
}
constexpr bool ends_value(char c) {
  return is_space(c) || c == ',' || c == '/';
}
constexpr bool is_exponent_letter(char c) {
  return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

// Estimates the decimal exponent of a real that overflowed or underflowed:
// positive means too large. Only the sign of the result matters.
long long decimal_magnitude(std::string_view text) {
  std::size_t i = (text[0] == '+' || text[0] == '-') ? 1 : 0;
  long long magnitude = 0;
  bool seen_nonzero = false;
  bool after_point = false;
  for (; i < text.size() && !is_exponent_letter(text[i]); ++i) {
    if (text[i] == '.') {
      after_point = true;
    } else if (!seen_nonzero && text[i] == '0') {
      if (after_point) --magnitude;
    } else {
      seen_nonzero = true;
      if (!after_point) ++magnitude;
    }
  }
  long long exponent = 0;
  if (i < text.size()) {
    ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    for (; i < text.size(); ++i)
      exponent = std::min(exponent * 10 + (text[i] - '0'), 1LL << 40);
    if (negative) exponent = -exponent;
  }
  return magnitude + exponent;
}

}  // namespace

std::string_view describe(ReadError error) {
  switch (error) {
    case ReadError::missing: return "a number is missing";
    case ReadError::bad_number: return "not a number of the needed kind";
    case ReadError::null_value: return "an empty value between commas";
    case ReadError::slash: return "a slash ends the values too early";
    case ReadError::out_of_range: return "the number is out of range";
  }
  return "unreadable";
}

namespace {

// Checks the real form in one pass; sets `d_exponent` to the position of a
// D or d exponent letter (npos when there is none).
bool scan_real(std::string_view text, std::size_t& d_exponent) {
  d_exponent = std::string_view::npos;
  std::size_t i = 0;
  const std::size_t n = text.size();
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < n && is_digit(text[i]))
    ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && is_digit(text[i]))
      ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && is_exponent_letter(text[i])) {
    if (text[i] == 'D' || text[i] == 'd') d_exponent = i;
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponent_digits = 0;
    while (i < n && is_digit(text[i]))
      ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == n;
}

// Converts a text that scan_real accepted.
Result<double, ReadError> convert_checked(std::string_view text, std::size_t d_exponent) {
  // from_chars takes neither a leading '+' nor the exponent letters D and d.
  std::string_view digits = text;
  if (digits.front() == '+') {
    digits.remove_prefix(1);
    if (d_exponent != std::string_view::npos) --d_exponent;
  }
  std::array<char, 128> local;  // filled only when needed
  std::string copy;
  const char* first = digits.data();
  if (d_exponent != std::string_view::npos) {
    char* out = local.data();
    if (digits.size() > local.size()) {
      copy.assign(digits);
      out = copy.data();
    } else {
      std::copy(digits.begin(), digits.end(), out);
    }
    out[d_exponent] = 'e';
    first = out;
  }
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(first, first + digits.size(), value);
  if (ec == std::errc::result_out_of_range) {
    if (decimal_magnitude(text) > 0) return fail(ReadError::out_of_range);
    return text.front() == '-' ? -0.0 : 0.0;
  }
  if (ec != std::errc{} || ptr != first + digits.size()) return fail(ReadError::bad_number);
  return value;
}

}  // namespace

bool is_real_form(std::string_view text) {
  std::size_t d_exponent = 0;
  return scan_real(text, d_exponent);
}

Result<double, ReadError> convert_real(std::string_view text) {
  std::size_t d_exponent = 0;
  if (!scan_real(text, d_exponent)) return fail(ReadError::bad_number);
  return convert_checked(text, d_exponent);
}

std::optional<ReadError> FreeFormReader::next_value() {
  while (pos_ < text_.size() && is_space(text_[pos_]))
    ++pos_;
  if (pos_ < text_.size() && text_[pos_] == ',') {
    // One comma may separate two values; a leading comma or a second one is an empty value.
    if (after_value_) {
      ++pos_;
      while (pos_ < text_.size() && is_space(text_[pos_]))
        ++pos_;
    }
    if (!after_value_ || (pos_ < text_.size() && text_[pos_] == ',')) {
      value_start_ = pos_;
      value_text_ = text_.substr(pos_, 1);
      return ReadError::null_value;
    }
  }
  value_start_ = pos_;
  if (pos_ >= text_.size()) {
    value_text_ = {};
    return ReadError::missing;
  }
  if (text_[pos_] == '/') {
    value_text_ = text_.substr(pos_, 1);
    pos_ = text_.size();
    return ReadError::slash;
  }
  std::size_t end = pos_;
  while (end < text_.size() && !ends_value(text_[end]))
    ++end;
  value_text_ = text_.substr(pos_, end - pos_);
  pos_ = end;
  after_value_ = true;
  return std::nullopt;
}

Result<double, ReadError> FreeFormReader::real() {
  if (const auto error = next_value()) return fail(*error);
  return convert_real(value_text_);
}

Result<std::int32_t, ReadError> FreeFormReader::whole() {
  if (const auto error = next_value()) return fail(*error);
  std::string_view digits = value_text_;
  const bool plus = digits.front() == '+';
  if (plus) digits.remove_prefix(1);
  // One sign at most: "+-3" is no whole number.
  const std::size_t sign = (!plus && !digits.empty() && digits.front() == '-') ? 1 : 0;
  if (digits.size() == sign ||
      !std::all_of(digits.begin() + static_cast<std::ptrdiff_t>(sign), digits.end(), is_digit)) {
    return fail(ReadError::bad_number);
  }
  std::int32_t value = 0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec == std::errc::result_out_of_range) return fail(ReadError::out_of_range);
  if (ec != std::errc{} || ptr != digits.data() + digits.size()) {
    return fail(ReadError::bad_number);
  }
  return value;
}

}  // namespace skaldur::textio
