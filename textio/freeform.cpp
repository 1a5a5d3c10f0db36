#include "textio/freeform.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>
#include <optional>
#include <system_error>

#include "textio/decimal_digits.hpp"

namespace skaldur::textio {
namespace {

constexpr bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
constexpr bool is_space(char c) {
  return c == ' ' || c == '\t';
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

std::string_view describe(NumberError error) {
  switch (error) {
    case NumberError::missing: return "a number is missing";
    case NumberError::bad_number: return "not a number of the needed kind";
    case NumberError::null_value: return "an empty value between commas";
    case NumberError::slash: return "a slash ends the values too early";
    case NumberError::out_of_range: return "the number is out of range";
  }
  return "unreadable";
}

namespace {

// Converts a real whose form convert_real has checked; `d_exponent` is the
// position of a D or d exponent letter, npos when there is none.
Result<double, NumberError> convert_checked(std::string_view text, std::size_t d_exponent) {
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
    if (decimal_magnitude(text) > 0) return fail(NumberError::out_of_range);
    return text.front() == '-' ? -0.0 : 0.0;
  }
  if (ec != std::errc{} || ptr != first + digits.size()) return fail(NumberError::bad_number);
  return value;
}

}  // namespace

namespace {

// The end of the real at the front of a text (nullptr when the text does not
// start with one) and whether its value could be held: a number out of range
// still has its end, so that a caller first checks what follows it.
struct RealPrefix {
  const char* stop = nullptr;
  std::optional<NumberError> error;
};

// Reads the decimal digits from p on into `value`; returns the end of them.
// Eight characters are looked at together while eight remain, one mask
// telling how many digits lead.
inline const char* read_digits(const char* p, const char* const end, std::uint64_t& value) {
  while (end - p >= 8) {
    const std::uint64_t x = detail::digit_bytes(p);
    const std::uint64_t others = detail::non_digit_high_bits(x);
    if (others == 0) {
      value = value * detail::kWholePowersOfTen[8] + detail::eight_digits(x);
      p += 8;
      continue;
    }
    const auto n = static_cast<unsigned>(std::countr_zero(others)) / 8;
    if (n != 0) {
      value = value * detail::kWholePowersOfTen[n] + detail::leading_digits(x, n);
      p += n;
    }
    return p;
  }
  while (p != end) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(*p)) - '0';
    if (digit > 9) break;
    value = value * 10 + digit;
    ++p;
  }
  return p;
}

// The rare forms: too many digits or a power of ten beyond the exact ones.
[[gnu::noinline]] RealPrefix read_real_slowly(const char* const first, const char* const p,
                                              std::size_t d_exponent, double& out) {
  const auto slow =
      convert_checked(std::string_view(first, static_cast<std::size_t>(p - first)), d_exponent);
  if (!slow) return {p, slow.error()};
  out = *slow;
  return {p, std::nullopt};
}

RealPrefix read_real_prefix(const char* const first, const char* const end, double& out) {
  // One pass checks the form and gathers the decimal digits. When they fit
  // in 53 bits and the power of ten is exact, one multiplication or division
  // rounds correctly; everything else goes through from_chars.
  const char* p = first;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  std::uint64_t digits_value = 0;
  const char* const integer_start = p;
  p = read_digits(p, end, digits_value);
  std::ptrdiff_t digits = p - integer_start;
  std::ptrdiff_t fraction_digits = 0;
  if (p != end && *p == '.') {
    const char* const fraction_start = ++p;
    p = read_digits(p, end, digits_value);
    fraction_digits = p - fraction_start;
    digits += fraction_digits;
  }
  if (digits == 0) return {};
  long exponent = 0;
  std::size_t d_exponent = std::string_view::npos;
  if (p != end && is_exponent_letter(*p)) {
    if (*p == 'D' || *p == 'd') d_exponent = static_cast<std::size_t>(p - first);
    ++p;
    bool exponent_negative = false;
    if (p != end && (*p == '+' || *p == '-')) exponent_negative = *p++ == '-';
    const char* const exponent_start = p;
    for (; p != end && is_digit(*p); ++p) {
      if (exponent < 100000) exponent = exponent * 10 + (*p - '0');
    }
    if (p == exponent_start) return {};
    if (exponent_negative) exponent = -exponent;
  }
  // The number ends at p; the caller decides whether what follows may.
  static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const long scale = exponent - static_cast<long>(fraction_digits);
  if (digits <= 19 && digits_value <= (std::uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
    double value = static_cast<double>(digits_value);
    value = scale < 0 ? value / kExactPowers[-scale] : value * kExactPowers[scale];
    out = negative ? -value : value;
    return {p, std::nullopt};
  }
  return read_real_slowly(first, p, d_exponent, out);
}

}  // namespace

bool is_real_form(std::string_view text) {
  std::size_t i = 0;
  const auto digits_from = [&](std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && is_digit(text[at]))
      ++at;
    return at - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = digits_from(i);
  if (i < text.size() && text[i] == '.') digits += digits_from(++i);
  if (digits == 0) return false;
  if (i < text.size() && is_exponent_letter(text[i])) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits_from(i) == 0) return false;
  }
  return i == text.size();
}

bool read_reals(std::string_view text, std::span<double> values) {
  const char* p = text.data();
  const char* const end = p + text.size();
  bool after_value = false;
  for (double& value : values) {
    while (p != end && is_space(*p))
      ++p;
    if (p != end && *p == ',') {
      if (!after_value) return false;
      for (++p; p != end && is_space(*p); ++p) {
      }
      if (p != end && *p == ',') return false;
    }
    if (p == end || *p == '/') return false;
    const RealPrefix prefix = read_real_prefix(p, end, value);
    if (prefix.stop == nullptr || prefix.error ||
        (prefix.stop != end && !ends_value(*prefix.stop))) {
      return false;
    }
    p = prefix.stop;
    after_value = true;
  }
  return true;
}

Result<double, NumberError> convert_real(std::string_view text) {
  double value = 0.0;
  const char* const end = text.data() + text.size();
  const RealPrefix prefix = read_real_prefix(text.data(), end, value);
  if (prefix.stop != end) return fail(NumberError::bad_number);
  if (prefix.error) return fail(*prefix.error);
  return value;
}

std::optional<NumberError> FreeFormReader::next_value() {
  if (const auto error = skip_to_value()) return error;
  take_value();
  return std::nullopt;
}

void FreeFormReader::take_value() {
  std::size_t end = pos_;
  while (end < text_.size() && !ends_value(text_[end]))
    ++end;
  value_text_ = text_.substr(pos_, end - pos_);
  pos_ = end;
  after_value_ = true;
}

std::optional<NumberError> FreeFormReader::skip_to_value() {
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
      return NumberError::null_value;
    }
  }
  value_start_ = pos_;
  if (pos_ >= text_.size()) {
    value_text_ = {};
    return NumberError::missing;
  }
  if (text_[pos_] == '/') {
    value_text_ = text_.substr(pos_, 1);
    pos_ = text_.size();
    return NumberError::slash;
  }
  return std::nullopt;
}

Result<double, NumberError> FreeFormReader::real() {
  if (const auto error = skip_to_value()) return fail(*error);
  // The number is read in place; only a failure looks for the end of the value.
  const char* const first = text_.data() + pos_;
  const char* const end = text_.data() + text_.size();
  double value = 0.0;
  const RealPrefix prefix = read_real_prefix(first, end, value);
  if (prefix.stop != nullptr && (prefix.stop == end || ends_value(*prefix.stop))) {
    const auto length = static_cast<std::size_t>(prefix.stop - first);
    value_text_ = text_.substr(pos_, length);
    pos_ += length;
    after_value_ = true;
    if (prefix.error) return fail(*prefix.error);
    return value;
  }
  take_value();
  return fail(NumberError::bad_number);
}

Result<std::int32_t, NumberError> FreeFormReader::whole() {
  if (const auto error = next_value()) return fail(*error);
  std::string_view digits = value_text_;
  const bool plus = digits.front() == '+';
  if (plus) digits.remove_prefix(1);
  // One sign at most: "+-3" is no whole number.
  const std::size_t sign = (!plus && !digits.empty() && digits.front() == '-') ? 1 : 0;
  if (digits.size() == sign ||
      !std::all_of(digits.begin() + static_cast<std::ptrdiff_t>(sign), digits.end(), is_digit)) {
    return fail(NumberError::bad_number);
  }
  std::int32_t value = 0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec == std::errc::result_out_of_range) return fail(NumberError::out_of_range);
  if (ec != std::errc{} || ptr != digits.data() + digits.size()) {
    return fail(NumberError::bad_number);
  }
  return value;
}

}  // namespace skaldur::textio
