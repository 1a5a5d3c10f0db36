#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <locale>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "textio/fields.hpp"
#include "textio/format.hpp"
#include "textio/freeform.hpp"

namespace skaldur::textio {
namespace {

using Kind = Edit::Kind;

static_assert(parse_edit("I8") == Edit{Kind::I, 8, 0} &&
              parse_edit("F10.0") == Edit{Kind::F, 10, 0});
static_assert(parse_edit("F12.3") == Edit{Kind::F, 12, 3} &&
              parse_edit("E15.5") == Edit{Kind::E, 15, 5});

// Refused forms come back with width 0.
constexpr bool all_refused(std::initializer_list<std::string_view> forms) {
  for (std::string_view form : forms)
    if (parse_edit(form).width != 0) return false;
  return true;
}
static_assert(all_refused({"", "X5", "I", "I8.2", "F12", "E15.", "F.3", "I0", "f12.3"}));

TEST(Format, Rows) {
  const std::tuple<const char*, double, const char*> rows[] = {
      {"I8", 500, "     500"},
      {"I3", 1000, "***"},
      {"I4", -1000, "****"},
      {"I4", -2.5, "  -3"},
      {"I12", 3153600000.0, "  3153600000"},
      {"F12.3", 2.0, "       2.000"},
      {"F12.6", 1.0e-6, "    0.000001"},
      {"F12.3", -0.0, "      -0.000"},
      {"F12.3", 9.9996, "      10.000"},
      {"F4.3", 0.5, ".500"},
      {"F3.3", 0.5, "***"},
      {"E15.5", 0.001234567, "    1.23457E-03"},
      {"E15.5", 0.0, "    0.00000E+00"},
      {"E15.5", 9.999996, "    1.00000E+01"},
      {"E10.3", 6.06, " 6.060E+00"},
      {"E12.3", 1.0e7, "   1.000E+07"},
      {"E15.5", 1.23457e-100, "    1.23457-100"},
      {"E9.3", -6.06, "*********"},
      {"E15.5", NAN, "            NaN"},
      {"E15.5", INFINITY, "       Infinity"},
      {"I12", NAN, "************"},
  };
  for (const auto& [edit, value, expected] : rows)
    EXPECT_EQ(format(parse_edit(edit), value), expected) << edit << " of " << value;
}

// The digits must be those of a correctly rounded conversion, as printf gives
// in the C locale.
TEST(Format, AgreesWithPrintfOnRandomValues) {
  std::mt19937_64 rng(20261206);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-12, 12);
  char ref[64];
  for (int i = 0; i < 5000; ++i) {
    const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
    std::snprintf(ref, sizeof ref, "%15.5E", v);
    EXPECT_EQ(format_sci(v, 15, 5), ref) << v;
    std::snprintf(ref, sizeof ref, "%12.3f", v);
    EXPECT_EQ(format_fixed(v, 12, 3), std::string(ref).size() <= 12 ? ref : "************") << v;
  }
}

// A decimal comma and digit grouping in the global locale change nothing.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(Format, IgnoresTheGlobalLocale) {
  const std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
  const std::string after =
      format_fixed(1234.5, 12, 3) + format_sci(1234.5, 15, 5) + format_int(1234567, 10);
  std::locale::global(old);
  EXPECT_EQ(after, "    1234.500    1.23450E+03   1234567");
}

using Values = std::vector<double>;
using enum ReadError;
constexpr std::optional<ReadError> kOk;

// Text, values asked for (below 0: one whole number), values read, error.
const std::tuple<const char*, int, Values, std::optional<ReadError>> kRows[] = {
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
    {"1e400x", 1, {}, bad_number},  // the form fails before the range
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

// The bulk reader of data lines, read_reals, accepts exactly what the reader
// accepts.
TEST(FreeFormReader, RowsAndReadReals) {
  for (const auto& [text, count, expected, expected_error] : kRows) {
    FreeFormReader reader(text);
    Values values;
    std::optional<ReadError> error;
    const auto take = [&](const auto& got) {
      if (got.ok()) return values.push_back(static_cast<double>(*got));
      error = got.error();
    };
    if (count < 0) take(reader.whole());
    for (int i = 0; i < count && !error; ++i)
      take(reader.real());
    EXPECT_EQ(values, expected) << '"' << text << '"';
    EXPECT_EQ(error, expected_error) << '"' << text << '"';
    const auto first_sign = [](const Values& v) { return !v.empty() && std::signbit(v[0]); };
    EXPECT_EQ(first_sign(values), first_sign(expected)) << '"' << text << '"';
    if (count <= 0) continue;
    Values bulk(static_cast<std::size_t>(count));
    EXPECT_EQ(read_reals(text, bulk), !expected_error) << "read_reals of \"" << text << '"';
    EXPECT_TRUE(expected_error || bulk == expected) << "read_reals of \"" << text << '"';
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
      {"    ", kNoField, 0.0},
  };
  for (const auto& [field, type, value] : rows) {
    const auto got = FLDTYP(field, static_cast<int>(field.size()));
    ASSERT_TRUE(got.ok()) << field;
    EXPECT_TRUE(got->type == type && got->value == value) << field;
  }
  for (std::string_view word : {"1EX", "1E", "1e5", ".5", "12abc", "abc", "10:30"})
    EXPECT_EQ(FLDTYP(word, static_cast<int>(word.size()))->type, kWord) << word;
  EXPECT_EQ(FLDTYP("42", 0)->type, kNoField);
  // Numbers that do not convert fail.
  for (std::string_view field : {"1.2.3", "-x", "+", "-inf", "1E+", "3*1.0", "1.0e999"})
    EXPECT_FALSE(FLDTYP(field, static_cast<int>(field.size())).ok()) << field;
  EXPECT_FALSE(LINFLD("0.0 1.5 -x").ok());
}

TEST(LINFLD, Rows) {
  using Fields = std::vector<std::tuple<int, double, std::string>>;
  const std::string word(85, 'w');
  std::string many;
  Fields many_fields;
  for (int i = 0; i < 2000; ++i) {  // no fixed limit on the number of fields
    many += std::to_string(i) + " ";
    many_fields.emplace_back(kInteger, i, "");
  }
  const std::pair<std::string, Fields> rows[] = {
      {"   0.0   1.5  2.5   ", {{kReal, 0.0, ""}, {kReal, 1.5, ""}, {kReal, 2.5, ""}}},
      {"0.0,1.5,2.5", {{kReal, 0.0, ""}}},
      {"t 12 x3", {{kWord, 0.0, "t"}, {kInteger, 12.0, ""}, {kWord, 0.0, "x3"}}},
      {"1.5\t2.5", {{kReal, 1.5, ""}}},
      {"      ", {}},
      {"1 " + word, {{kInteger, 1.0, ""}, {kWord, 0.0, word.substr(0, 80)}}},
      {many, many_fields},
  };
  for (const auto& [line, expected] : rows) {
    const auto got = LINFLD(line);
    ASSERT_TRUE(got.ok()) << line;
    Fields fields;
    for (const Field& field : *got)
      fields.emplace_back(field.type, field.value, field.word);
    EXPECT_EQ(fields, expected) << line.substr(0, 30);
  }
}

}  // namespace
}  // namespace skaldur::textio
