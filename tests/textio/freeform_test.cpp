#include "textio/freeform.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace skaldur::textio {
namespace {

using Values = std::vector<double>;
using enum NumberError;
constexpr std::optional<NumberError> kOk;

// Text, values asked for (below 0: one whole number), values read, error.
const std::tuple<const char*, int, Values, std::optional<NumberError>> kForms[] = {
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
TEST(FreeFormReader, AcceptedAndRefusedForms) {
  for (const auto& [text, count, expected, expected_error] : kForms) {
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
// correctly rounded double.
TEST(ConvertReal, AgreesWithFromChars) {
  std::mt19937_64 rng(11);
  std::uniform_int_distribution<int> digit(0, 9), length(1, 22), exponent(-40, 40);
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
  }
}

}  // namespace
}  // namespace skaldur::textio
