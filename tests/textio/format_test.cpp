#include "textio/format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <tuple>

namespace skaldur::textio {
namespace {

TEST(Format, EdgesOfEachEditDescriptor) {
  const std::tuple<const char*, double, const char*> rows[] = {
      {"I8", 500, "     500"},
      {"I3", 1000, "***"},
      {"I4", -1000, "****"},
      {"I12", 3153600000.0, "  3153600000"},
      {"F12.6", 1.0e-6, "    0.000001"},
      {"F12.3", -0.0, "      -0.000"},
      {"F12.3", 9.9996, "      10.000"},
      {"F12.3", 1.0005, "       1.000"},  // held just below the half: 1.00049999...
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

}  // namespace
}  // namespace skaldur::textio
