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

#include "textio/datestamp.hpp"
#include "textio/fields.hpp"
#include "textio/format.hpp"
#include "textio/freeform.hpp"

namespace skaldur::textio {
namespace {

// The program's stamp: every part two digits with its leading zero, a
// two-digit year in the 1900s, cut or padded to the length asked.
TEST(DATSTMP, Mode6) {
  EXPECT_EQ(DATSTMP({2006, 1, 5, 7, 3, 9}, 27, 6), " Date : 2006-01-05 07:03:09");
  EXPECT_EQ(DATSTMP({99, 1, 5, 0, 0, 0}, 18, 6), " Date : 1999-01-05");
  EXPECT_EQ(DATSTMP({2026, 12, 5, 18, 8, 43}, 30, 6), " Date : 2026-12-05 18:08:43   ");
}

TEST(Format, Rows) {
  const std::tuple<const char*, double, const char*> rows[] = {
      {"I8", 500, "     500"},
      {"I3", 1000, "***"},
      {"I4", -1000, "****"},
      {"I12", 3153600000.0, "  3153600000"},
      {"F12.6", 1.0e-6, "    0.000001"},
      {"F12.3", -0.0, "      -0.000"},
      {"F12.3", 9.9996, "      10.000"},
      {"F4.3", 0.5, ".500"},
      {"F3.3", 0.5, "***"},
      {"E15.5", 0.0, "    0.00000E+00"},
      {"E15.5", 9.999996, "    1.00000E+01"},
      {"E10.3", 6.06, " 6.060E+00"},
      {"E12.3", 1.0e7, "   1.000E+07"},
      {"E15.5", 1.23457e-100, "    1.23457-100"},
      {"E9.3", -6.06, "*********"},
      {"E15.5", NAN, "            NaN"},
      {"E15.5", INFINITY, "       Infinity"},
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

using Values = std::vector<double>;
using enum NumberError;
constexpr std::optional<NumberError> kOk;

// Text, values asked for (below 0: one whole number), values read, error.
const std::tuple<const char*, int, Values, std::optional<NumberError>> kRows[] = {
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
    std::optional<NumberError> error;
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

// The series reader counts the fields of its first line: only blanks
// separate them, and there is no limit on their number. A number that does
// not convert is no field.
TEST(LINFLD, FieldCounts) {
  std::string many;
  for (int i = 0; i < 2000; ++i)
    many += std::to_string(i) + " ";
  const std::pair<std::string, std::size_t> rows[] = {
      {"   0.0   1.5  2.5   ", 3},
      {"0.0,1.5,2.5", 1},
      {"t 12 x3 1E5", 4},
      {"1.5\t2.5", 1},
      {"      ", 0},
      {many, 2000},
  };
  for (const auto& [line, count] : rows)
    EXPECT_EQ(LINFLD(line)->size(), count) << line.substr(0, 30);
  for (std::string_view line : {"0.0 1.5 -x", "0 1.2.3", "0 +", "0 1.0e999"})
    EXPECT_FALSE(LINFLD(line).ok()) << line;
}

}  // namespace
}  // namespace skaldur::textio
