// Fuzz target: the free-form number reader. The first byte says, bit by bit,
// whether the next value is read as a real or as a whole number; the rest of
// the input is the text. The whole text is also converted as one real and
// compared with the C library's strtod.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/support.hpp"
#include "textio/freeform.hpp"

namespace {

using skaldur::fuzz::check;
using skaldur::textio::convert_real;
using skaldur::textio::FreeFormReader;
using skaldur::textio::is_real_form;
using skaldur::textio::NumberError;

bool same_double(double a, double b) {
  return a == b && std::signbit(a) == std::signbit(b);
}

// True when `part` lies inside `whole` (an empty view may sit anywhere).
bool inside(std::string_view whole, std::string_view part) {
  if (part.empty()) return true;
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// A real as strtod reads it, the exponent letters D and d taken as E.
double strtod_reading(std::string_view text, bool& overflow) {
  std::string copy(text);
  for (char& c : copy) {
    if (c == 'D' || c == 'd') c = 'e';
  }
  errno = 0;
  const double value = std::strtod(copy.c_str(), nullptr);
  overflow = errno == ERANGE && std::isinf(value);
  return value;
}

void check_whole_text(std::string_view text) {
  const auto value = convert_real(text);
  const bool form = is_real_form(text);
  check(!value || form, "convert_real accepted a text that is_real_form refuses");
  if (!form) {
    check(!value && value.error() == NumberError::bad_number, "a refused form must be bad_number");
    return;
  }
  bool overflow = false;
  const double reference = strtod_reading(text, overflow);
  if (!value) {
    check(value.error() == NumberError::out_of_range, "a real form failed other than by range");
    check(overflow, "convert_real refused a real that strtod reads");
    return;
  }
  check(std::isfinite(*value), "convert_real returned a value that is not finite");
  check(!overflow, "convert_real read a real that overflows strtod");
  // Below the normal range strtod may keep a subnormal where the reader gives zero.
  if (std::fabs(reference) >= 0x1p-1022 || *value != 0.0) {
    check(same_double(*value, reference), "convert_real and strtod read different values");
  }
  // Printing the value with 17 digits and reading it again gives it back.
  char printed[64];
  std::snprintf(printed, sizeof printed, "%.17e", *value);
  const auto again = convert_real(printed);
  check(again && same_double(*again, *value), "a printed value does not read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned pattern = data[0];
  const std::string_view text = skaldur::fuzz::as_text(data + 1, size - 1);

  FreeFormReader reader(text);
  std::size_t end_of_last = 0;
  for (std::size_t i = 0;; ++i) {
    bool ok = false;
    if (((pattern >> (i % 8)) & 1U) != 0) {
      const auto value = reader.real();
      ok = value.ok();
      if (ok) {
        const auto again = convert_real(reader.value_text());
        check(again && same_double(*again, *value), "real() and convert_real() disagree");
      }
    } else {
      const auto value = reader.whole();
      ok = value.ok();
      if (ok) {
        const std::string digits(reader.value_text());
        const long long reference = std::strtoll(digits.c_str(), nullptr, 10);
        check(reference == *value, "whole() and strtoll disagree");
      } else if (value.error() == NumberError::out_of_range) {
        const std::string digits(reader.value_text());
        errno = 0;
        const long long reference = std::strtoll(digits.c_str(), nullptr, 10);
        check(errno == ERANGE || reference < INT32_MIN || reference > INT32_MAX,
              "whole() refused a number within 32 bits");
      }
    }
    check(reader.value_start() <= text.size(), "value_start() beyond the text");
    check(inside(text, reader.value_text()), "value_text() outside the text");
    if (!ok) break;
    check(!reader.value_text().empty(), "a value read from no characters");
    check(reader.value_start() >= end_of_last, "a value read twice");
    end_of_last = reader.value_start() + reader.value_text().size();
    check(i < text.size(), "more values than characters");
  }

  check_whole_text(text);
  return 0;
}
