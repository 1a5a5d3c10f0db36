#include "textio/plain_line.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "textio/freeform.hpp"

namespace skaldur::textio {
namespace {

// Reads `line` (without its line feed) as a plain line from a buffer that
// holds it, its line feed and kPlainLineReach bytes of `filler` behind.
std::size_t read_plain(const std::string& line, std::span<double> values, char filler = '7',
                       bool feed_inside = true, FirstValue first = FirstValue::exact) {
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\n');
  buffer.insert(buffer.end(), kPlainLineReach, filler);
  const char* end = buffer.data() + line.size() + (feed_inside ? 1 : 0);
  return read_plain_line(buffer.data(), end, values, first);
}

// Plain lines give read_reals' values bit for bit; every other line is left
// to read_reals.
TEST(ReadPlainLine, PlainAndOtherLines) {
  struct Row {
    const char* line;
    std::size_t count;
    bool plain;
  };
  const Row rows[] = {
      {"0.5 -12.345", 2, true},
      {"\t+1.  .5\t", 2, true},
      {"  -0.0 -0", 2, true},
      {"12345678.12345678 1", 2, true},
      {"1 2 and words after the values", 2, true},
      {"1 2 3", 2, true},
      {"1234567890123456789012345678.5", 1, false},    // too many digits
      {"1234567.1234567 1234567.1234567", 2, true},    // 31 characters
      {"1234567.1234567 1234567.12345678", 2, false},  // 32 characters
      {"123456789.5 1", 2, false},                     // nine digits before the point
      {"1.123456789 1", 2, false},                     // nine after it
      {"99999999.99999999 1", 2, false},               // more than 53 bits of digits
      {"90071992.54740992 1", 2, true},                // exactly 2^53
      {"90071992.54740993 1", 2, false},
      {"1.5e3 2", 2, false},
      {"1,2", 2, false},
      {"1 ,2", 2, false},
      {"1/2", 2, false},
      {"1 2/", 2, false},
      {"- 1 2", 2, false},
      {"+-1 2", 2, false},
      {"1.2.3 4", 2, false},
      {". 4", 2, false},
      {"1 2\r", 2, false},
      {"1", 2, false},
      {"1 ", 2, false},
      {"", 1, false},
      {"   ", 1, false},
      {"# 1 2", 2, false},
      {"x1 2", 2, false},
      {"1x 2", 2, false},
  };
  for (const Row& row : rows) {
    const std::string line = row.line;
    std::vector<double> values(row.count, -1.0);
    std::vector<double> expected(row.count, -1.0);
    const std::size_t length = read_plain(line, values);
    EXPECT_EQ(length != 0, row.plain) << '"' << line << '"';
    if (length == 0) continue;
    EXPECT_EQ(length, line.size()) << '"' << line << '"';
    ASSERT_TRUE(read_reals(line, expected)) << '"' << line << '"';
    for (std::size_t i = 0; i < row.count; ++i)
      EXPECT_EQ(std::bit_cast<std::uint64_t>(values[i]), std::bit_cast<std::uint64_t>(expected[i]))
          << '"' << line << "\" value " << i;
  }
}

// Random lines of plain values, some spoilt: a line is taken exactly when it
// is plain, with read_reals' values bit for bit (or the first one's sign
// when only that is asked for); nothing past the line feed, nor a line feed
// past the end of the text, changes the outcome.
TEST(ReadPlainLine, AgreesWithReadReals) {
  std::mt19937_64 rng(20261207);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const auto digits = [&](int n) {
    std::string text;
    for (int k = 0; k < n; ++k)
      text += static_cast<char>('0' + pick(10));
    return text;
  };
  int taken = 0;
  for (int i = 0; i < 100000; ++i) {
    const std::size_t count = 1 + static_cast<std::size_t>(pick(3));
    std::string line = pick(4) == 0 ? " " : "";
    bool plain = true;
    for (std::size_t v = 0; v < count; ++v) {
      if (v > 0)
        line += pick(5) == 0 ? "\t" : std::string(1 + static_cast<std::size_t>(pick(2)), ' ');
      if (pick(3) == 0) line += "+-"[pick(2)];
      const std::string whole = digits(pick(10));
      const bool point = pick(3) != 0;
      const std::string fraction = point ? digits(pick(10)) : "";
      line += whole + (point ? "." : "") + fraction;
      plain = plain && whole.size() <= 8 && fraction.size() <= 8 && !(whole + fraction).empty() &&
              std::stoull(whole + fraction) <= (1ull << 53);
      if (pick(30) == 0) {
        static const char* const kSpoilers[] = {"e5", ",", "/", "x", "\r"};
        line += kSpoilers[pick(5)];
        plain = false;
      }
    }
    if (pick(5) == 0) line += " 1.5e3 rest";
    plain = plain && line.size() < 32;
    std::vector<double> values(count), again(count), expected(count), signs(count);
    const std::size_t length = read_plain(line, values, '7');
    EXPECT_EQ(read_plain(line, again, '\n'), length) << '"' << line << '"';
    EXPECT_EQ(read_plain(line, again, '\n', false), 0u) << '"' << line << '"';
    ASSERT_EQ(read_plain(line, signs, '7', true, FirstValue::sign), length) << '"' << line << '"';
    const bool read = read_reals(line, expected);
    ASSERT_EQ(length != 0, plain) << '"' << line << '"';
    if (length == 0) continue;
    ++taken;
    ASSERT_EQ(length, line.size()) << '"' << line << '"';
    ASSERT_TRUE(read) << '"' << line << '"';
    for (std::size_t v = 0; v < count; ++v) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(values[v]), std::bit_cast<std::uint64_t>(expected[v]))
          << '"' << line << "\" value " << v;
      const double sign = v == 0 ? (expected[0] < 0.0 ? -1.0 : 0.0) : expected[v];
      ASSERT_EQ(std::bit_cast<std::uint64_t>(signs[v]), std::bit_cast<std::uint64_t>(sign))
          << '"' << line << "\" sign value " << v;
    }
  }
  EXPECT_GT(taken, 10000);
}

}  // namespace
}  // namespace skaldur::textio
