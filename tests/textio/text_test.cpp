#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "textio/datestamp.hpp"
#include "textio/intchar.hpp"
#include "textio/words.hpp"

namespace skaldur::textio {
namespace {

// The program's stamp, mode 6: every part two digits with its leading zero,
// cut or padded to the length asked.
TEST(DATSTMP, Mode6) {
  const ClockReading clock{2026, 12, 5, 18, 8, 43};
  EXPECT_EQ(DATSTMP({2006, 1, 5, 7, 3, 9}, 27, 6), " Date : 2006-01-05 07:03:09");
  EXPECT_EQ(DATSTMP({99, 1, 5, 0, 0, 0}, 27, 6), " Date : 1999-01-05 00:00:00");
  EXPECT_EQ(DATSTMP(clock, 18, 6), " Date : 2026-12-05");
  EXPECT_EQ(DATSTMP(clock, 40, 6), " Date : 2026-12-05 18:08:43" + std::string(13, ' '));
}

using Codes = std::vector<std::int32_t>;

// Errors are counted down from where the caller left the counter.
TEST(CH2INT, Rows) {
  const std::string report =
      "\n\n   Error in routine *CH2INT*              \n"
      "\n\n   Character string longer than integer  array \n"
      "   Length of string :                         :          7\n"
      "   Length of array  :                         :          4\n";
  // Strings, table size, n, table afterwards, report. A string of length n has
  // no 0 entry; only whole columns are filled.
  const std::tuple<std::vector<std::string_view>, std::size_t, int, Codes, std::string> rows[] = {
      {{"B1  AIR                          "}, 8, 8, {66, 49, 32, 32, 65, 73, 82, 0}, ""},
      {{"ABC", "   "}, 6, 3, {65, 66, 67, 0, 0, 0}, ""},
      {{"\xE6\xFF                    "}, 2, 2, {230, 255}, ""},
      {{"AB", "CD", "EF"}, 5, 2, {65, 66, 67, 68, 0}, ""},
      {{"AB", "ABCDEFG", "XY"}, 12, 4, {65, 66, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, report},
  };
  for (const auto& [strings, size, n, expected, expected_report] : rows) {
    Codes table(size, 99);
    std::ostringstream message;
    int errors = -2;
    CH2INT(strings, table, n, message, errors);
    EXPECT_EQ(table, expected) << strings[0];
    EXPECT_EQ(message.str(), expected_report) << strings[0];
    EXPECT_EQ(errors, expected_report.empty() ? -2 : -3) << strings[0];
  }
}

TEST(INT2CH, Rows) {
  const std::string report =
      "\n\n   Error in routine *INT2CH*              \n"
      "\n\n   Inpus string has illegal length            :";
  // Column, n, text length, text afterwards, report. Codes count by their low
  // 8 bits; all n are read when there is no 0 entry.
  const std::tuple<Codes, int, std::size_t, std::string, std::string> rows[] = {
      {{66, 49, 32, 65, 0, 0}, 6, 8, "B1 A    ", ""},
      {{321, -191, 67}, 3, 3, "AAC", ""},
      {{65, 0, 66}, 3, 4, "A   ", ""},
      {{65, 66, 67}, 2, 4, "AB  ", ""},
      {{65, 66, 67, 68}, 4, 3, "ABC", ""},
      {{65, 66}, 40, 3, "AB ", ""},
      {{65, 66}, 0, 4, "    ", report + "         0\n"},
      {{65, 66}, -3, 4, "    ", report + "        -3\n"},
  };
  for (const auto& [column, n, length, expected, expected_report] : rows) {
    std::string text(length, '#');
    std::ostringstream message;
    int errors = -1;
    INT2CH(text, column, n, message, errors);
    EXPECT_EQ(text, expected) << n;
    EXPECT_EQ(message.str(), expected_report) << n;
    EXPECT_EQ(errors, expected_report.empty() ? -1 : -2) << n;
  }
}

TEST(SPLITW, Rows) {
  // Text, capacity, result, filled elements without their padding to 8. A word
  // may end with the text; one word too many counts capacity + 1; words are
  // cut to 8; only the blank separates.
  const std::tuple<std::string, std::size_t, WordSplit, std::vector<std::string>> rows[] = {
      {"   NORSOK  B1  AIR   ", 5, {true, 3}, {"NORSOK", "B1", "AIR"}},
      {"      ", 2, {false, 0}, {}},
      {"  x  LAST", 5, {true, 2}, {"x", "LAST"}},
      {"a b c", 3, {true, 3}, {"a", "b", "c"}},
      {"a b c d", 2, {true, 3}, {"a", "b"}},
      {"ABCDEFGHIJ KL", 5, {true, 2}, {"ABCDEFGH", "KL"}},
      {"a\tb,c d", 5, {true, 2}, {"a\tb,c", "d"}},
  };
  for (const auto& [text, capacity, expected, filled] : rows) {
    std::vector<std::string> words(capacity, "old contents");
    EXPECT_EQ(SPLITW(text, words, 8), expected) << '"' << text << '"';
    for (std::size_t i = 0; i < words.size(); ++i) {
      const std::string word = i < filled.size() ? filled[i] : "";
      EXPECT_EQ(words[i], word + std::string(8 - word.size(), ' ')) << text << " element " << i;
    }
  }
}

TEST(IWFIND, Rows) {
  const std::string_view standards[] = {"NORSOK", "DNV       ", "NS3472", "          "};
  const std::string_view twins[] = {"X", "dup", "DUP"};
  const std::string long_name(256, 'A');
  const std::string_view symbols[] = {"[", "@", " DNV", long_name};
  constexpr auto blind = LetterCase::blind, exact = LetterCase::exact;
  // Trailing blanks never matter, leading blanks always do; the lower index
  // wins; only a ... z fold; 256 characters are compared.
  const std::tuple<std::string, std::span<const std::string_view>, LetterCase, int> rows[] = {
      {"dnv", standards, blind, 2},    {"dnv", standards, exact, 0},
      {"DNV   ", standards, exact, 2}, {" DNV", standards, blind, 0},
      {" dnv ", symbols, blind, 3},    {"", standards, blind, 4},
      {"DUP", twins, blind, 2},        {"DNV", {}, blind, 0},
      {"{", symbols, blind, 0},        {long_name + "B", symbols, exact, 4},
  };
  for (const auto& [word, names, letter_case, expected] : rows)
    EXPECT_EQ(IWFIND(word, names, letter_case), expected) << '"' << word << '"';
}

}  // namespace
}  // namespace skaldur::textio
