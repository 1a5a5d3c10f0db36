#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "textio/freeform.hpp"
#include "textio/result.hpp"

namespace skaldur::textio {

// Field type codes shared by every caller.
inline constexpr int kNoField = 0;
inline constexpr int kInteger = 1;
inline constexpr int kReal = 2;
inline constexpr int kWord = 3;

// Fields are examined through their first 80 characters.
inline constexpr std::size_t kFieldWidth = 80;

struct FieldType {
  int type = kNoField;
  double value = 0.0;
};

// Classifies one field and converts it. `field` is the field text (only its
// first 80 characters are looked at); `field_length` is the length of the
// field in its line, which may exceed 80. A field of decimal digits only is an
// integer (beyond 32 bits too, converted to the nearest double); a field that
// starts with a sign, or with a digit and holds a point or a capital E followed
// by a sign or digit, is a real; anything else is a word with value 0. Fails
// when an integer or real does not convert ("1.2.3", "-x").
[[nodiscard]] Result<FieldType, NumberError> FLDTYP(std::string_view field, int field_length);

struct Field {
  int type = kNoField;
  double value = 0.0;  // integers and reals
  std::string word;    // words: their first 80 characters
};

// Splits a line into its blank-separated fields (only the blank separates:
// a tab or a comma is part of a field) and classifies each with FLDTYP.
[[nodiscard]] Result<std::vector<Field>, NumberError> LINFLD(std::string_view line);

}  // namespace skaldur::textio
