// Fuzz target: the field classifier FLDTYP and the line splitter LINFLD. The
// first two bytes give FLDTYP's field length (a signed 16-bit number, so
// zero and negative lengths occur); the rest is the field text and the line.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "fuzz/support.hpp"
#include "textio/fields.hpp"

namespace {

using skaldur::fuzz::check;
using namespace skaldur::textio;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool same_value(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

// The field text without the blanks around it, through its first 80 characters.
std::string_view trimmed_head(std::string_view field) {
  field = field.substr(0, std::min(field.size(), kFieldWidth));
  const auto first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return field.substr(first, field.find_last_not_of(' ') - first + 1);
}

void check_fldtyp(std::string_view field, int length) {
  const auto result = FLDTYP(field, length);
  const std::string_view t = trimmed_head(field);
  if (length <= 0 || t.empty()) {
    check(result && result->type == kNoField && result->value == 0.0, "no field must be type 0");
    return;
  }
  if (!result) {
    // Only a field that looks like a number can fail to convert.
    check(t.front() == '+' || t.front() == '-' || is_digit(t.front()), "a word failed to convert");
    return;
  }
  const bool all_digits = std::all_of(t.begin(), t.end(), is_digit);
  switch (result->type) {
    case kInteger:
      check(all_digits, "an integer that is not all digits");
      check(std::isfinite(result->value) && result->value >= 0.0, "an integer's value");
      break;
    case kReal:
      check(!all_digits, "digits only must be an integer");
      check(std::isfinite(result->value), "a real that is not finite");
      break;
    case kWord:
      check(!all_digits && t.front() != '+' && t.front() != '-', "a number taken for a word");
      check(result->value == 0.0, "a word with a value");
      break;
    default: check(false, "a type code outside 1 to 3");
  }
}

// The blank-separated fields of a line, as LINFLD must find them.
std::vector<std::string_view> split(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while ((pos = line.find_first_not_of(' ', pos)) != std::string_view::npos) {
    const std::size_t end = std::min(line.find(' ', pos), line.size());
    fields.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return fields;
}

void check_linfld(std::string_view line) {
  const auto result = LINFLD(line);
  const std::vector<std::string_view> expected = split(line);
  bool any_failure = false;
  for (std::string_view field : expected) {
    if (!FLDTYP(field.substr(0, kFieldWidth), static_cast<int>(field.size()))) any_failure = true;
  }
  check(result.ok() == !any_failure, "LINFLD fails exactly when one of its fields fails");
  if (!result) return;
  check(result->size() == expected.size(), "LINFLD found another number of fields");
  for (std::size_t k = 0; k < expected.size(); ++k) {
    const Field& got = (*result)[k];
    const auto alone =
        FLDTYP(expected[k].substr(0, kFieldWidth), static_cast<int>(expected[k].size()));
    check(got.type == alone->type, "a field's type differs from FLDTYP's");
    check(got.type != kNoField, "LINFLD gave an empty field");
    if (got.type == kWord) {
      check(got.word == expected[k].substr(0, kFieldWidth), "a word is not the field's head");
      check(got.value == 0.0, "a word field with a value");
    } else {
      check(got.word.empty(), "a number field with a word");
      check(same_value(got.value, alone->value), "a field's value differs from FLDTYP's");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::int16_t length = 0;
  std::memcpy(&length, data, sizeof length);
  const std::string_view text = skaldur::fuzz::as_text(data + 2, size - 2);
  check_fldtyp(text, length);
  check_fldtyp(text, static_cast<int>(std::min<std::size_t>(text.size(), 1U << 30)));
  check_linfld(text);
  return 0;
}
