#include "textio/intchar.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace skaldur::textio {
namespace {

using Codes = std::vector<std::int32_t>;

TEST(CH2INT, EncodesOneStringPerColumn) {
  const struct {
    std::string text;
    int n;
    Codes expected;
  } rows[] = {
      {"B1  AIR" + std::string(33, ' '), 8, {66, 49, 32, 32, 65, 73, 82, 0}},  // inner blanks kept
      {"ABCDE", 5, {65, 66, 67, 68, 69}},          // trimmed length n: no 0 entry
      {"AB" + std::string(48, ' '), 2, {65, 66}},  // trailing blanks never make it too long
      {"    ", 3, {0, 0, 0}},
      {"\xE6\xFF", 3, {230, 255, 0}},  // unsigned bytes
  };
  for (const auto& row : rows) {
    Codes table(row.expected.size(), 7);
    const std::string_view strings[] = {row.text};
    std::ostringstream message;
    int errors = 0;
    CH2INT(strings, table, row.n, message, errors);
    EXPECT_EQ(table, row.expected) << '"' << row.text << '"';
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(message.str(), "");
  }
}

TEST(CH2INT, TooLongStringEndsTheConversionWithAReport) {
  const std::string_view strings[] = {"AB", "ABCDEFG", "XY"};
  Codes table(12, 99);
  std::ostringstream message;
  int errors = -2;  // never reset, only decremented
  CH2INT(strings, table, 4, message, errors);
  EXPECT_EQ(table, Codes({65, 66, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(errors, -3);
  EXPECT_EQ(message.str(),
            "\n\n   Error in routine *CH2INT*              \n"
            "\n\n   Character string longer than integer  array \n"
            "   Length of string :                         :          7\n"
            "   Length of array  :                         :          4\n");
}

TEST(CH2INT, FillsOnlyTheWholeColumnsATableHolds) {
  const std::string_view strings[] = {"AB", "CD", "EF"};
  Codes table(5, 99);
  std::ostringstream message;
  int errors = 0;
  CH2INT(strings, table, 2, message, errors);
  EXPECT_EQ(table, Codes({65, 66, 67, 68, 0}));
}

TEST(INT2CH, DecodesIntoABlankPaddedText) {
  const struct {
    Codes column;
    int n;
    std::size_t text_length;
    std::string expected;
  } rows[] = {
      {{66, 49, 32, 65, 0, 0}, 6, 8, "B1 A    "},
      {{65, 66, 67}, 3, 3, "ABC"},  // no 0 entry: all n read
      {{0, 65, 66}, 3, 4, "    "},
      {{65, 0, 66}, 3, 4, "A   "},  // the first 0 ends the text
      {{65, 66, 67}, 2, 4, "AB  "},
      {{321, -191}, 2, 2, "AA"},        // low 8 bits
      {{65, 66, 67, 68}, 4, 3, "ABC"},  // n above the text length
      {{65, 66}, 40, 3, "AB "},         // n above the column length
  };
  for (const auto& row : rows) {
    std::string text(row.text_length, '#');
    std::ostringstream message;
    int errors = 0;
    INT2CH(text, row.column, row.n, message, errors);
    EXPECT_EQ(text, row.expected);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(message.str(), "");
  }
}

TEST(INT2CH, LengthZeroOrBelowLeavesABlankTextAndReports) {
  for (const int n : {0, -3}) {
    std::string text(4, '#');
    std::ostringstream message;
    int errors = -1;
    INT2CH(text, Codes{65, 66}, n, message, errors);
    EXPECT_EQ(text, "    ");
    EXPECT_EQ(errors, -2);
    EXPECT_EQ(message.str(),
              "\n\n   Error in routine *INT2CH*              \n"
              "\n\n   Inpus string has illegal length            :" +
                  std::string(n == 0 ? "         0" : "        -3") + "\n");
  }
}

}  // namespace
}  // namespace skaldur::textio
