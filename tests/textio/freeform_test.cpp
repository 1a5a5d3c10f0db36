#include "textio/freeform.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "textio/fields.hpp"

namespace skaldur::textio {
namespace {

using Values = std::vector<double>;

struct Row {
  const char* text;
  int count;  // values asked for; below 0: one whole number
  Values values;
  std::optional<ReadError> error;
};

const Row kRows[] = {
    {"-3.5E+02", 1, {-350.0}, {}},
    {".5", 1, {0.5}, {}},
    {"1.5D3", 1, {1500.0}, {}},
    {"2d-1", 1, {0.2}, {}},
    {"1e-400", 1, {0.0}, {}},
    {"-1e-400", 1, {-0.0}, {}},
    {"10 ,20", 2, {10.0, 20.0}, {}},
    {"  10 \t 20  ", 2, {10.0, 20.0}, {}},
    {"0.0,1.5,2.5", 3, {0.0, 1.5, 2.5}, {}},
    {"10 abc", 1, {10.0}, {}},  // only the values asked for are examined
    {"inf", 1, {}, ReadError::bad_number},
    {"nan", 1, {}, ReadError::bad_number},
    {"1.5.5", 1, {}, ReadError::bad_number},
    {"++1", 1, {}, ReadError::bad_number},
    {"3*1.0", 1, {}, ReadError::bad_number},
    {"12abc", 1, {}, ReadError::bad_number},
    {"1e400", 1, {}, ReadError::out_of_range},
    {"1e99999999999999999999", 1, {}, ReadError::out_of_range},
    {"0.0000001e-99999999999999999", 1, {0.0}, {}},
    {",5", 1, {}, ReadError::null_value},
    {"1, ,2", 2, {1.0}, ReadError::null_value},
    {"1 / 2", 2, {1.0}, ReadError::slash},
    {"   ", 1, {}, ReadError::missing},
    {"1.0,", 2, {1.0}, ReadError::missing},
    {"2147483647", -1, {2147483647.0}, {}},
    {"-2147483648", -1, {-2147483648.0}, {}},
    {"2147483648", -1, {}, ReadError::out_of_range},
    {"12.5", -1, {}, ReadError::bad_number},
    {"+-3", -1, {}, ReadError::bad_number},
    {"-+3", -1, {}, ReadError::bad_number},
};

std::vector<bool> signs(const Values& values) {
  std::vector<bool> out;
  for (double v : values)
    out.push_back(std::signbit(v));
  return out;
}

TEST(FreeFormReader, Rows) {
  for (const Row& row : kRows) {
    FreeFormReader reader(row.text);
    Values values;
    std::optional<ReadError> error;
    const auto take = [&](const auto& got) {
      if (got.ok())
        values.push_back(static_cast<double>(*got));
      else
        error = got.error();
    };
    if (row.count < 0) take(reader.whole());
    for (int i = 0; i < row.count && !error; ++i)
      take(reader.real());
    EXPECT_EQ(values, row.values) << '"' << row.text << '"';
    EXPECT_EQ(signs(values), signs(row.values)) << '"' << row.text << '"';
    EXPECT_EQ(error, row.error) << '"' << row.text << '"';
  }
}

// The bulk reader of data lines accepts exactly what the reader accepts.
TEST(ReadReals, AgreesWithTheReader) {
  for (const Row& row : kRows) {
    if (row.count < 0) continue;
    Values values(static_cast<std::size_t>(row.count));
    const bool ok = read_reals(row.text, values);
    EXPECT_EQ(ok, !row.error.has_value()) << '"' << row.text << '"';
    if (ok) {
      EXPECT_EQ(values, row.values) << '"' << row.text << '"';
    }
  }
}

TEST(FreeFormReader, ReportsWhereTheFailingValueStands) {
  FreeFormReader reader("1.0  2.0  x3  4.0");
  ASSERT_TRUE(reader.real().ok() && reader.real().ok());
  EXPECT_FALSE(reader.real().ok());
  EXPECT_EQ(reader.value_start(), 10u);
  EXPECT_EQ(reader.value_text(), "x3");
}

// Short decimals take a shortcut past from_chars; both must give the same
// correctly rounded double. Any double printed with 17 digits and a D
// exponent reads back exactly.
TEST(ConvertReal, AgreesWithFromChars) {
  std::mt19937_64 rng(11);
  std::uniform_int_distribution<int> digit(0, 9), length(1, 22), exponent(-40, 40);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> wide_exponent(-300, 300);
  for (int i = 0; i < 20000; ++i) {
    std::string text = (i % 3 == 0) ? "-" : "";
    for (int k = length(rng) % 8; k > 0; --k)
      text += static_cast<char>('0' + digit(rng));
    text += '.';
    for (int k = length(rng); k > 0; --k)
      text += static_cast<char>('0' + digit(rng));
    if (i % 2 == 0) text += "e" + std::to_string(exponent(rng));
    double expected = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    const auto got = convert_real(text);
    ASSERT_TRUE(got.ok()) << text;
    EXPECT_EQ(*got, expected) << text;

    const double v = mantissa(rng) * std::pow(10.0, wide_exponent(rng));
    char printed[64];
    std::snprintf(printed, sizeof printed, "%.17E", v);
    *std::strchr(printed, 'E') = 'D';
    FreeFormReader reader(printed);
    EXPECT_EQ(*reader.real(), v) << printed;
  }
}

TEST(FLDTYP, Rows) {
  const std::string eighty(80, '1');
  const struct {
    std::string field;
    int length;  // below 0: the whole field
    int type;
    double value;
  } rows[] = {
      {"42", -1, kInteger, 42.0},
      {"007", -1, kInteger, 7.0},
      {"  42  ", -1, kInteger, 42.0},
      {"99999999999", -1, kInteger, 99999999999.0},
      {"1733500000000", -1, kInteger, 1733500000000.0},
      {"-5", -1, kReal, -5.0},
      {"+1.5E3", -1, kReal, 1500.0},
      {"3.25", -1, kReal, 3.25},
      {"1E5", -1, kReal, 100000.0},
      {"1E-2", -1, kReal, 0.01},
      {"1EX", -1, kWord, 0.0},
      {"1E", -1, kWord, 0.0},
      {"1e5", -1, kWord, 0.0},
      {".5", -1, kWord, 0.0},
      {"12abc", -1, kWord, 0.0},
      {"abc", -1, kWord, 0.0},
      {"10:30", -1, kWord, 0.0},
      {"    ", -1, kNoField, 0.0},
      {"42", 0, kNoField, 0.0},
      {eighty + "x", -1, kInteger, std::stod(eighty)},  // only the first 80 count
  };
  for (const auto& row : rows) {
    const int length = row.length < 0 ? static_cast<int>(row.field.size()) : row.length;
    const auto got = FLDTYP(row.field, length);
    ASSERT_TRUE(got.ok()) << row.field;
    EXPECT_EQ(got->type, row.type) << row.field;
    EXPECT_EQ(got->value, row.value) << row.field;
  }
}

TEST(FLDTYP, NumbersThatDoNotConvertFail) {
  for (std::string_view field : {"1.2.3", "-x", "+", "-inf", "1E+", "3*1.0", "1.0e999"})
    EXPECT_FALSE(FLDTYP(field, static_cast<int>(field.size())).ok()) << field;
  EXPECT_FALSE(LINFLD("0.0 1.5 -x").ok());
}

TEST(LINFLD, Rows) {
  const std::string long_word(85, 'w');
  const struct {
    std::string line;
    std::vector<Field> fields;
  } rows[] = {
      {"   0.0   1.5  2.5   ", {{kReal, 0.0, ""}, {kReal, 1.5, ""}, {kReal, 2.5, ""}}},
      {"0.0,1.5,2.5", {{kReal, 0.0, ""}}},
      {"t 12 x3", {{kWord, 0.0, "t"}, {kInteger, 12.0, ""}, {kWord, 0.0, "x3"}}},
      {"1.5\t2.5", {{kReal, 1.5, ""}}},
      {"      ", {}},
      {"1 " + long_word, {{kInteger, 1.0, ""}, {kWord, 0.0, long_word.substr(0, 80)}}},
  };
  for (const auto& row : rows) {
    const auto got = LINFLD(row.line);
    ASSERT_TRUE(got.ok()) << row.line;
    ASSERT_EQ(got->size(), row.fields.size()) << row.line;
    for (std::size_t k = 0; k < row.fields.size(); ++k) {
      const Field& field = (*got)[k];
      EXPECT_TRUE(field.type == row.fields[k].type && field.value == row.fields[k].value &&
                  field.word == row.fields[k].word)
          << row.line << " field " << k + 1;
    }
  }
}

TEST(LINFLD, ManyFieldsHaveNoFixedLimit) {
  std::string line;
  for (int i = 0; i < 2000; ++i)
    line += std::to_string(i) + " ";
  const auto got = LINFLD(line);
  ASSERT_TRUE(got.ok() && got->size() == 2000u);
  EXPECT_EQ(got->back().value, 1999.0);
}

}  // namespace
}  // namespace skaldur::textio
