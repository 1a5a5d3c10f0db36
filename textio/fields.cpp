#include "textio/fields.hpp"

#include <algorithm>

#include "textio/text.hpp"

namespace skaldur::textio {
namespace {

constexpr bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The type of a trimmed field that is not all digits, decided by its first
// character and the rest.
int classify_non_integer(std::string_view t) {
  const char first = t.front();
  if (first == '+' || first == '-') return kReal;
  if (!is_digit(first)) return kWord;
  if (t.find('.') != std::string_view::npos) return kReal;
  const auto e = t.find('E');
  if (e == std::string_view::npos) return kWord;
  const char after = e + 1 < t.size() ? t[e + 1] : ' ';
  return (after == '+' || after == '-' || is_digit(after)) ? kReal : kWord;
}

}  // namespace

Result<FieldType, NumberError> FLDTYP(std::string_view field, int field_length) {
  if (field_length <= 0) return FieldType{};
  field = field.substr(0, std::min(field.size(), kFieldWidth));
  const int first = IFSTNB(field);
  if (first == 0) return FieldType{};
  const std::string_view t = field.substr(static_cast<std::size_t>(first - 1),
                                          static_cast<std::size_t>(LENTRM(field) - first + 1));
  if (std::all_of(t.begin(), t.end(), is_digit)) {
    // Digits only: the nearest double, so a 13-digit time stamp is no failure.
    auto value = convert_real(t);
    if (!value) return fail(value.error());
    return FieldType{kInteger, *value};
  }
  const int type = classify_non_integer(t);
  if (type == kWord) return FieldType{kWord, 0.0};
  FreeFormReader reader(t);
  auto value = reader.real();
  if (!value) return fail(value.error());
  return FieldType{kReal, *value};
}

Result<std::vector<Field>, NumberError> LINFLD(std::string_view line) {
  std::vector<Field> fields;
  std::size_t pos = 0;
  while (true) {
    pos = line.find_first_not_of(' ', pos);
    if (pos == std::string_view::npos) break;
    auto end = line.find(' ', pos);
    if (end == std::string_view::npos) end = line.size();
    const std::string_view text = line.substr(pos, end - pos);
    const std::string_view head = text.substr(0, std::min(text.size(), kFieldWidth));
    const auto type = FLDTYP(head, static_cast<int>(std::min<std::size_t>(text.size(), 1 << 30)));
    if (!type) return fail(type.error());
    Field field;
    field.type = type->type;
    if (field.type == kWord) {
      field.word.assign(head);
    } else {
      field.value = type->value;
    }
    fields.push_back(std::move(field));
    pos = end;
  }
  return fields;
}

}  // namespace skaldur::textio
