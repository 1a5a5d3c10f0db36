#include "textio/format.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <locale>
#include <random>
#include <string>

namespace skaldur::textio {
namespace {

using Kind = Edit::Kind;

static_assert(parse_edit("I8") == Edit{Kind::I, 8, 0});
static_assert(parse_edit("I12") == Edit{Kind::I, 12, 0});
static_assert(parse_edit("F12.3") == Edit{Kind::F, 12, 3});
static_assert(parse_edit("E15.5") == Edit{Kind::E, 15, 5});
static_assert(parse_edit("E10.3") == Edit{Kind::E, 10, 3});
static_assert(parse_edit("F10.0") == Edit{Kind::F, 10, 0});
// Refused forms come back with width 0.
static_assert(parse_edit("").width == 0);
static_assert(parse_edit("X5").width == 0);
static_assert(parse_edit("I").width == 0);
static_assert(parse_edit("I8.2").width == 0);
static_assert(parse_edit("F12").width == 0);
static_assert(parse_edit("E15.").width == 0);
static_assert(parse_edit("F.3").width == 0);
static_assert(parse_edit("I0").width == 0);
static_assert(parse_edit("f12.3").width == 0);

struct Row {
  const char* edit;
  double value;
  const char* expected;
};

const Row kRows[] = {
    // Whole numbers.
    {"I8", 500, "     500"},
    {"I4", -12, " -12"},
    {"I4", 0, "   0"},
    {"I3", 1000, "***"},
    {"I4", -1000, "****"},
    {"I12", 2147483647, "  2147483647"},
    {"I4", 2.5, "   3"},
    {"I4", -2.5, "  -3"},
    // Fixed point.
    {"F12.3", 2.0, "       2.000"},
    {"F12.3", 6.0, "       6.000"},
    {"F12.6", 1.0e-6, "    0.000001"},
    {"F12.6", 1.0, "    1.000000"},
    {"F12.3", 0.0, "       0.000"},
    {"F12.3", -0.0, "      -0.000"},
    {"F12.3", 9.9996, "      10.000"},
    {"F12.3", -9.9996, "     -10.000"},
    {"F10.3", 12.164, "    12.164"},
    {"F10.3", 52.6315, "    52.632"},
    {"F4.3", 0.5, ".500"},
    {"F5.3", -0.5, "-.500"},
    {"F3.3", 0.5, "***"},
    {"F12.3", 123456789.0, "************"},
    {"F12.3", 12345678.0, "12345678.000"},
    {"F12.3", 1.0e30, "************"},
    {"F12.5", 1.5, "     1.50000"},
    // Scientific.
    {"E15.5", 0.001234567, "    1.23457E-03"},
    {"E15.5", 0.0, "    0.00000E+00"},
    {"E15.5", -0.0, "   -0.00000E+00"},
    {"E15.5", 3.0, "    3.00000E+00"},
    {"E15.5", 8760.0, "    8.76000E+03"},
    {"E15.5", -2.1907e-10, "   -2.19070E-10"},
    {"E15.5", 9.999996, "    1.00000E+01"},
    {"E10.3", 6.06, " 6.060E+00"},
    {"E12.3", 1.0e7, "   1.000E+07"},
    {"E15.5", 1.23457e-100, "    1.23457-100"},
    {"E15.5", 1.0e300, "    1.00000+300"},
    {"E10.3", -1.0e-100, "-1.000-100"},
    {"E9.3", -6.06, "*********"},
    // Values that are no numbers.
    {"E15.5", std::numeric_limits<double>::quiet_NaN(), "            NaN"},
    {"E15.5", std::numeric_limits<double>::infinity(), "       Infinity"},
    {"F5.1", -std::numeric_limits<double>::infinity(), " -Inf"},
    {"I12", std::numeric_limits<double>::quiet_NaN(), "************"},
};

TEST(Format, Rows) {
  for (const Row& row : kRows) {
    EXPECT_EQ(format(parse_edit(row.edit), row.value), row.expected)
        << row.edit << " of " << row.value;
  }
}

TEST(Format, IntegersBeyond32Bits) {
  EXPECT_EQ(format_int(31536000LL * 100000, 12), "************");
  EXPECT_EQ(format_int(31536000LL * 10, 12), "   315360000");
  EXPECT_EQ(format_int(-5, 0), "");
}

// The digits must be those of a correctly rounded conversion, as printf gives
// in the C locale; reading them back must give the printed value's decimal.
TEST(Format, AgreesWithPrintfOnRandomValues) {
  std::mt19937_64 rng(20261206);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-12, 12);
  char ref[64];
  for (int i = 0; i < 20000; ++i) {
    const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
    std::snprintf(ref, sizeof ref, "%15.5E", v);
    EXPECT_EQ(format_sci(v, 15, 5), ref) << v;
    std::snprintf(ref, sizeof ref, "%12.3f", v);
    const std::string fixed = format_fixed(v, 12, 3);
    if (std::string(ref).size() <= 12) {
      EXPECT_EQ(fixed, ref) << v;
      EXPECT_NEAR(std::stod(fixed), v, 0.0005 + 1e-9 * std::fabs(v));
    } else {
      EXPECT_EQ(fixed, "************") << v;
    }
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

}  // namespace
}  // namespace skaldur::textio
