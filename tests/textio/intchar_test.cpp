#include "textio/intchar.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace skaldur::textio {
namespace {

std::vector<std::int32_t> codes_of(std::string_view text, std::size_t n) {
  std::vector<std::int32_t> codes(n, 0);
  for (std::size_t i = 0; i < text.size(); ++i)
    codes[i] = static_cast<unsigned char>(text[i]);
  return codes;
}

std::string too_long_report(std::string_view length, std::string_view n) {
  return std::string("\n\n   Error in routine *CH2INT*              \n") +
         "\n\n   Character string longer than integer  array \n" +
         "   Length of string :                         : " + std::string(length) + "\n" +
         "   Length of array  :                         : " + std::string(n) + "\n";
}

std::string bad_length_report(std::string_view n) {
  return std::string("\n\n   Error in routine *INT2CH*              \n") +
         "\n\n   Inpus string has illegal length            :" + std::string(n) + "\n";
}

TEST(CH2INT, EncodesOneStringPerColumn) {
  const struct {
    std::string text;
    int n;
    std::vector<std::int32_t> expected;
  } rows[] = {
      // Blanks inside the name are encoded, the padding is not.
      {"NORSOK  B1  AIR" + std::string(25, ' '), 40, codes_of("NORSOK  B1  AIR", 40)},
      // Trimmed length equal to n: no 0 entry.
      {"ABCDE", 5, {65, 66, 67, 68, 69}},
      // Trailing blanks never make a string too long.
      {std::string(39, 'x') + "y" + std::string(10, ' '), 40,
       codes_of(std::string(39, 'x') + "y", 40)},
      {std::string(12, ' '), 4, {0, 0, 0, 0}},
      // Codes are unsigned bytes.
      {"\xE6\xFF", 3, {230, 255, 0}},
      {" a", 3, {32, 97, 0}},
  };
  for (const auto& row : rows) {
    std::vector<std::int32_t> table(static_cast<std::size_t>(row.n), 7);
    const std::string_view strings[] = {row.text};
    std::ostringstream message;
    int errors = 0;
    CH2INT(strings, table, row.n, message, errors);
    EXPECT_EQ(table, row.expected) << '"' << row.text << '"';
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(message.str(), "");
  }
}

TEST(CH2INT, TooLongStringStopsTheConversionAndReports) {
  const std::string_view strings[] = {"AB", "ABCDEFG", "XY"};
  std::vector<std::int32_t> table(12, 99);
  std::ostringstream message;
  int errors = 0;
  CH2INT(strings, table, 4, message, errors);
  const std::vector<std::int32_t> expected = {65, 66, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(table, expected);
  EXPECT_EQ(errors, -1);
  EXPECT_EQ(message.str(), too_long_report("         7", "         4"));
}

TEST(CH2INT, ErrorCounterIsNeverReset) {
  const std::string_view strings[] = {"TOO LONG"};
  std::vector<std::int32_t> table(2);
  std::ostringstream message;
  int errors = -2;
  CH2INT(strings, table, 2, message, errors);
  EXPECT_EQ(errors, -3);
  CH2INT(std::span<const std::string_view>{}, table, 2, message, errors);
  EXPECT_EQ(errors, -3);
}

TEST(CH2INT, NeverWritesOutsideATableThatIsTooSmall) {
  const std::string_view strings[] = {"AB", "CD", "EF"};
  std::vector<std::int32_t> table(5, 99);  // room for two whole columns of 2
  std::ostringstream message;
  int errors = 0;
  CH2INT(strings, table, 2, message, errors);
  const std::vector<std::int32_t> expected = {65, 66, 67, 68, 0};
  EXPECT_EQ(table, expected);
  EXPECT_EQ(errors, 0);
}

TEST(INT2CH, DecodesIntoABlankPaddedText) {
  const struct {
    const char* name;
    std::vector<std::int32_t> column;
    int n;
    std::size_t text_length;
    std::string expected;
  } rows[] = {
      {"name back, blank padded", codes_of("NORSOK  B1  AIR", 40), 40, 40,
       "NORSOK  B1  AIR" + std::string(25, ' ')},
      {"column without a 0 read whole", {65, 66, 67, 68, 69}, 5, 8, "ABCDE   "},
      {"first entry 0", {0, 65, 66}, 3, 4, "    "},
      {"stops at the first 0", {65, 0, 66}, 3, 4, "A   "},
      {"n below the column", {65, 66, 67, 68}, 2, 4, "AB  "},
      {"low 8 bits of 321", {321}, 1, 2, "A "},
      {"low 8 bits of a negative entry", {-191}, 1, 1, "A"},
      {"byte above 127", {230}, 1, 1, "\xE6"},
      {"n above the text length", {65, 66, 67, 68, 69, 70}, 6, 3, "ABC"},
      {"n above the column length", {65, 66}, 40, 5, "AB   "},
  };
  for (const auto& row : rows) {
    std::string text(row.text_length, '#');
    std::ostringstream message;
    int errors = 0;
    INT2CH(text, row.column, row.n, message, errors);
    EXPECT_EQ(text, row.expected) << row.name;
    EXPECT_EQ(errors, 0) << row.name;
    EXPECT_EQ(message.str(), "") << row.name;
  }
}

TEST(INT2CH, LengthZeroOrBelowIsReportedAndLeavesABlankText) {
  const struct {
    int n;
    const char* field;
  } rows[] = {{0, "         0"}, {-3, "        -3"}};
  for (const auto& row : rows) {
    const std::vector<std::int32_t> column = {65, 66};
    std::string text(4, '#');
    std::ostringstream message;
    int errors = -1;
    INT2CH(text, column, row.n, message, errors);
    EXPECT_EQ(text, "    ");
    EXPECT_EQ(errors, -2);
    EXPECT_EQ(message.str(), bad_length_report(row.field));
  }
}

}  // namespace
}  // namespace skaldur::textio
