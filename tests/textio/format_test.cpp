#include "textio/format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <locale>
#include <random>
#include <string>
#include <tuple>

namespace skaldur::textio {
namespace {

using Kind = Edit::Kind;

static_assert(parse_edit("I8") == Edit{Kind::I, 8, 0});
static_assert(parse_edit("F12.3") == Edit{Kind::F, 12, 3} &&
              parse_edit("F10.0") == Edit{Kind::F, 10, 0});
static_assert(parse_edit("E15.5") == Edit{Kind::E, 15, 5});

// Refused forms come back with width 0.
constexpr bool all_refused(std::initializer_list<std::string_view> forms) {
  for (std::string_view form : forms)
    if (parse_edit(form).width != 0) return false;
  return true;
}
static_assert(all_refused({"", "X5", "I", "I8.2", "F12", "E15.", "F.3", "I0", "f12.3"}));

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

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
      {"E15.5", kNaN, "            NaN"},
      {"E15.5", kInf, "       Infinity"},
      {"F5.1", -kInf, " -Inf"},
      {"I12", kNaN, "************"},
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

}  // namespace
}  // namespace skaldur::textio
