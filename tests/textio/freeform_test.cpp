#include "textio/freeform.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace skaldur::textio {
namespace {

// Reads up to `count` reals; stops at the first failure.
struct Outcome {
  std::vector<double> values;
  std::optional<ReadError> error;
};

Outcome read_with_reader(std::string_view text, int count) {
  FreeFormReader reader(text);
  Outcome outcome;
  for (int i = 0; i < count; ++i) {
    auto value = reader.real();
    if (!value) {
      outcome.error = value.error();
      break;
    }
    outcome.values.push_back(*value);
  }
  return outcome;
}

struct RealRow {
  const char* text;
  int count;
  std::vector<double> values;
  std::optional<ReadError> error;
};

const RealRow kRealRows[] = {
    // Accepted forms.
    {"12", 1, {12.0}, {}},
    {"12.5", 1, {12.5}, {}},
    {"-3.5E+02", 1, {-350.0}, {}},
    {"1.25E-3", 1, {0.00125}, {}},
    {"+1.5", 1, {1.5}, {}},
    {".5", 1, {0.5}, {}},
    {"5.", 1, {5.0}, {}},
    {"1.5e3", 1, {1500.0}, {}},
    {"1.5D3", 1, {1500.0}, {}},
    {"2d-1", 1, {0.2}, {}},
    {"-0", 1, {-0.0}, {}},
    {"1e-400", 1, {0.0}, {}},
    // Separators: blanks, tabs, one comma with blanks around it.
    {"10, 20", 2, {10.0, 20.0}, {}},
    {"10 ,20", 2, {10.0, 20.0}, {}},
    {"  10 \t 20  ", 2, {10.0, 20.0}, {}},
    {"0.0,1.5,2.5", 3, {0.0, 1.5, 2.5}, {}},
    {"\t7", 1, {7.0}, {}},
    // Only the values asked for are examined.
    {"10 abc", 1, {10.0}, {}},
    {"1 2 3 4", 3, {1.0, 2.0, 3.0}, {}},
    {"10,", 1, {10.0}, {}},
    {"10/ junk", 1, {10.0}, {}},
    // Refused forms.
    {"abc", 1, {}, ReadError::bad_number},
    {"inf", 1, {}, ReadError::bad_number},
    {"nan", 1, {}, ReadError::bad_number},
    {"1.5.5", 1, {}, ReadError::bad_number},
    {"++1", 1, {}, ReadError::bad_number},
    {"+-1", 1, {}, ReadError::bad_number},
    {"3*1.0", 1, {}, ReadError::bad_number},
    {"1E", 1, {}, ReadError::bad_number},
    {"1E+", 1, {}, ReadError::bad_number},
    {".", 1, {}, ReadError::bad_number},
    {"-", 1, {}, ReadError::bad_number},
    {"0x10", 1, {}, ReadError::bad_number},
    {"12abc", 1, {}, ReadError::bad_number},
    {"1.5\r", 1, {}, ReadError::bad_number},
    {"1e400", 1, {}, ReadError::out_of_range},
    {"-1.8e308", 1, {}, ReadError::out_of_range},
    {"1e99999999999999999999", 1, {}, ReadError::out_of_range},
    {"0.0000001e-99999999999999999", 1, {0.0}, {}},
    {",5", 1, {}, ReadError::null_value},
    {"1,,2", 2, {1.0}, ReadError::null_value},
    {"1, ,2", 2, {1.0}, ReadError::null_value},
    {"/", 1, {}, ReadError::slash},
    {"1 / 2", 2, {1.0}, ReadError::slash},
    {"", 1, {}, ReadError::missing},
    {"   ", 1, {}, ReadError::missing},
    {"1.0", 2, {1.0}, ReadError::missing},
    {"1.0,", 2, {1.0}, ReadError::missing},
};

TEST(FreeFormReader, Reals) {
  for (const RealRow& row : kRealRows) {
    const Outcome got = read_with_reader(row.text, row.count);
    EXPECT_EQ(got.values, row.values) << '"' << row.text << '"';
    EXPECT_EQ(got.error, row.error) << '"' << row.text << '"';
  }
}

// The bulk reader of data lines accepts exactly what the reader accepts.
TEST(ReadReals, AgreesWithTheReader) {
  for (const RealRow& row : kRealRows) {
    std::vector<double> values(static_cast<std::size_t>(row.count));
    const bool ok = read_reals(row.text, values);
    EXPECT_EQ(ok, !row.error.has_value()) << '"' << row.text << '"';
    if (ok) {
      EXPECT_EQ(values, row.values) << row.text;
    }
  }
}

TEST(FreeFormReader, NegativeZeroAndUnderflowKeepTheSign) {
  FreeFormReader reader("-0 -1e-400");
  EXPECT_TRUE(std::signbit(*reader.real()));
  EXPECT_TRUE(std::signbit(*reader.real()));
}

TEST(FreeFormReader, WholeNumbers) {
  const struct {
    const char* text;
    std::optional<std::int32_t> value;
    std::optional<ReadError> error;
  } rows[] = {
      {"700", 700, {}},
      {"-3", -3, {}},
      {"+12", 12, {}},
      {"007", 7, {}},
      {"2147483647", 2147483647, {}},
      {"-2147483648", -2147483647 - 1, {}},
      {"2147483648", {}, ReadError::out_of_range},
      {"99999999999", {}, ReadError::out_of_range},
      {"12.5", {}, ReadError::bad_number},
      {"1E3", {}, ReadError::bad_number},
      {"+", {}, ReadError::bad_number},
      {"--1", {}, ReadError::bad_number},
      {"+-3", {}, ReadError::bad_number},
      {"-+3", {}, ReadError::bad_number},
      {"x", {}, ReadError::bad_number},
      {",3", {}, ReadError::null_value},
      {"/", {}, ReadError::slash},
      {"", {}, ReadError::missing},
      {"3 abc", 3, {}},
      {"3,4", 3, {}},
  };
  for (const auto& row : rows) {
    FreeFormReader reader(row.text);
    const auto got = reader.whole();
    if (row.value) {
      ASSERT_TRUE(got.ok()) << row.text;
      EXPECT_EQ(*got, *row.value) << row.text;
    } else {
      ASSERT_FALSE(got.ok()) << row.text;
      EXPECT_EQ(got.error(), *row.error) << row.text;
    }
  }
}

TEST(FreeFormReader, ReportsWhereTheFailingValueStands) {
  FreeFormReader reader("1.0  2.0  x3  4.0");
  ASSERT_TRUE(reader.real().ok());
  ASSERT_TRUE(reader.real().ok());
  EXPECT_FALSE(reader.real().ok());
  EXPECT_EQ(reader.value_start(), 10u);
  EXPECT_EQ(reader.value_text(), "x3");
}

// Every double printed with 17 significant digits reads back exactly, in
// both exponent letters.
TEST(FreeFormReader, RoundTripsPrintedValues) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-300, 300);
  char text[64];
  for (int i = 0; i < 5000; ++i) {
    const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
    std::snprintf(text, sizeof text, "%.17E", v);
    FreeFormReader e_reader(text);
    EXPECT_EQ(*e_reader.real(), v) << text;
    std::string d_form(text);
    d_form[d_form.find('E')] = 'D';
    FreeFormReader d_reader(d_form);
    EXPECT_EQ(*d_reader.real(), v) << d_form;
  }
}

// Short decimals take a shortcut past from_chars; both must give the same
// correctly rounded double for every form.
TEST(ConvertReal, AgreesWithFromChars) {
  std::mt19937_64 rng(11);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> length(1, 22);
  std::uniform_int_distribution<int> exponent(-40, 40);
  for (int i = 0; i < 50000; ++i) {
    std::string text = (i % 3 == 0) ? "-" : "";
    const int integer_digits = length(rng) % 8;
    for (int k = 0; k < integer_digits; ++k)
      text += static_cast<char>('0' + digit(rng));
    text += '.';
    const int fraction_digits = length(rng);
    for (int k = 0; k < fraction_digits; ++k)
      text += static_cast<char>('0' + digit(rng));
    if (i % 2 == 0) text += "e" + std::to_string(exponent(rng));
    double expected = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    const auto got = convert_real(text);
    ASSERT_TRUE(got.ok()) << text;
    EXPECT_EQ(*got, expected) << text;
  }
}

}  // namespace
}  // namespace skaldur::textio
