#include "textio/freeform.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "textio/fields.hpp"

namespace skaldur::textio {
namespace {

using Values = std::vector<double>;
using enum ReadError;
constexpr std::optional<ReadError> kOk;

// Text, values asked for (below 0: one whole number), values read, error.
const std::tuple<const char*, int, Values, std::optional<ReadError>> kRows[] = {
    {"-3.5E+02", 1, {-350.0}, kOk},
    {".5", 1, {0.5}, kOk},
    {"2d-1", 1, {0.2}, kOk},
    {"-1e-400", 1, {-0.0}, kOk},
    {"0.0000001e-99999999999999999", 1, {0.0}, kOk},
    {"10 ,20", 2, {10.0, 20.0}, kOk},
    {"  10 \t 20  ", 2, {10.0, 20.0}, kOk},
    {"0.0,1.5,2.5", 3, {0.0, 1.5, 2.5}, kOk},
    {"10 abc", 1, {10.0}, kOk},  // only the values asked for are examined
    {"inf", 1, {}, bad_number},
    {"nan", 1, {}, bad_number},
    {"1.5.5", 1, {}, bad_number},
    {"++1", 1, {}, bad_number},
    {"3*1.0", 1, {}, bad_number},
    {"12abc", 1, {}, bad_number},
    {"1e400", 1, {}, out_of_range},
    {"1e99999999999999999999", 1, {}, out_of_range},
    {",5", 1, {}, null_value},
    {"1, ,2", 2, {1.0}, null_value},
    {"1 / 2", 2, {1.0}, slash},
    {"1.0,", 2, {1.0}, missing},
    {"2147483647", -1, {2147483647.0}, kOk},
    {"-2147483648", -1, {-2147483648.0}, kOk},
    {"2147483648", -1, {}, out_of_range},
    {"12.5", -1, {}, bad_number},
    {"+-3", -1, {}, bad_number},
    {"-+3", -1, {}, bad_number},
};

TEST(FreeFormReader, Rows) {
  for (const auto& [text, count, expected, expected_error] : kRows) {
    FreeFormReader reader(text);
    Values values;
    std::optional<ReadError> error;
    const auto take = [&](const auto& got) {
      if (got.ok())
        values.push_back(static_cast<double>(*got));
      else
        error = got.error();
    };
    if (count < 0) take(reader.whole());
    for (int i = 0; i < count && !error; ++i)
      take(reader.real());
    EXPECT_EQ(values, expected) << '"' << text << '"';
    EXPECT_EQ(error, expected_error) << '"' << text << '"';
    if (values.size() == 1 && expected.size() == 1) {
      EXPECT_EQ(std::signbit(values[0]), std::signbit(expected[0])) << '"' << text << '"';
    }
  }
}

// The bulk reader of data lines accepts exactly what the reader accepts.
TEST(ReadReals, AgreesWithTheReader) {
  for (const auto& [text, count, expected, error] : kRows) {
    if (count < 0) continue;
    Values values(static_cast<std::size_t>(count));
    const bool ok = read_reals(text, values);
    EXPECT_EQ(ok, !error.has_value()) << '"' << text << '"';
    if (ok) {
      EXPECT_EQ(values, expected) << '"' << text << '"';
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
  std::uniform_int_distribution<int> wide_exponent(-300, 300);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
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
  const std::string eighty(80, '1');  // only the first 80 characters count
  const std::tuple<std::string, int, double> rows[] = {
      {"42", kInteger, 42.0},
      {"007", kInteger, 7.0},
      {"99999999999", kInteger, 99999999999.0},
      {"1733500000000", kInteger, 1733500000000.0},
      {eighty + "x", kInteger, std::stod(eighty)},
      {"-5", kReal, -5.0},
      {"+1.5E3", kReal, 1500.0},
      {"3.25", kReal, 3.25},
      {"1E5", kReal, 100000.0},
      {"1E-2", kReal, 0.01},
      {"1EX", kWord, 0.0},
      {"1E", kWord, 0.0},
      {"1e5", kWord, 0.0},
      {".5", kWord, 0.0},
      {"12abc", kWord, 0.0},
      {"abc", kWord, 0.0},
      {"10:30", kWord, 0.0},
      {"    ", kNoField, 0.0},
  };
  for (const auto& [field, type, value] : rows) {
    const auto got = FLDTYP(field, static_cast<int>(field.size()));
    ASSERT_TRUE(got.ok()) << field;
    EXPECT_EQ(got->type, type) << field;
    EXPECT_EQ(got->value, value) << field;
  }
  EXPECT_EQ(FLDTYP("42", 0)->type, kNoField);
}

TEST(FLDTYP, NumbersThatDoNotConvertFail) {
  for (std::string_view field : {"1.2.3", "-x", "+", "-inf", "1E+", "3*1.0", "1.0e999"})
    EXPECT_FALSE(FLDTYP(field, static_cast<int>(field.size())).ok()) << field;
  EXPECT_FALSE(LINFLD("0.0 1.5 -x").ok());
}

TEST(LINFLD, Rows) {
  const std::string word(85, 'w');
  std::string many;
  for (int i = 0; i < 2000; ++i)
    many += std::to_string(i) + " ";
  const std::pair<std::string, std::vector<Field>> rows[] = {
      {"   0.0   1.5  2.5   ", {{kReal, 0.0, ""}, {kReal, 1.5, ""}, {kReal, 2.5, ""}}},
      {"0.0,1.5,2.5", {{kReal, 0.0, ""}}},
      {"t 12 x3", {{kWord, 0.0, "t"}, {kInteger, 12.0, ""}, {kWord, 0.0, "x3"}}},
      {"1.5\t2.5", {{kReal, 1.5, ""}}},
      {"      ", {}},
      {"1 " + word, {{kInteger, 1.0, ""}, {kWord, 0.0, word.substr(0, 80)}}},
  };
  for (const auto& [line, fields] : rows) {
    const auto got = LINFLD(line);
    ASSERT_TRUE(got.ok() && got->size() == fields.size()) << line;
    for (std::size_t k = 0; k < fields.size(); ++k) {
      const Field& field = (*got)[k];
      EXPECT_TRUE(field.type == fields[k].type && field.value == fields[k].value &&
                  field.word == fields[k].word)
          << line << " field " << k + 1;
    }
  }
  const auto got = LINFLD(many);  // no fixed limit on the number of fields
  ASSERT_TRUE(got.ok() && got->size() == 2000u);
  EXPECT_EQ(got->back().value, 1999.0);
}

}  // namespace
}  // namespace skaldur::textio
