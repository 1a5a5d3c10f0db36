#include "textio/words.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace skaldur::textio {
namespace {

TEST(SPLITW, Rows) {
  const struct {
    std::string text;
    std::size_t capacity;
    WordSplit expected;
    std::vector<std::string> words;  // filled elements, without their padding
  } rows[] = {
      {"NORSOK  B1  AIR", 5, {true, 3}, {"NORSOK", "B1", "AIR"}},
      {"   NORSOK  B1  AIR   ", 5, {true, 3}, {"NORSOK", "B1", "AIR"}},
      {"      ", 2, {false, 0}, {}},
      {"  x  LAST", 5, {true, 2}, {"x", "LAST"}},  // a word ending with the text
      {"a b c", 3, {true, 3}, {"a", "b", "c"}},
      {"a b c d", 2, {true, 3}, {"a", "b"}},                // too many: capacity + 1
      {"ABCDEFGHIJ KL", 5, {true, 2}, {"ABCDEFGH", "KL"}},  // cut to 8
      {"a\tb,c d", 5, {true, 2}, {"a\tb,c", "d"}},          // only the blank separates
  };
  for (const auto& row : rows) {
    std::vector<std::string> words(row.capacity, "old contents");
    EXPECT_EQ(SPLITW(row.text, words, 8), row.expected) << '"' << row.text << '"';
    for (std::size_t i = 0; i < words.size(); ++i) {
      std::string expected = i < row.words.size() ? row.words[i] : "";
      expected.resize(8, ' ');
      EXPECT_EQ(words[i], expected) << '"' << row.text << "\" element " << i + 1;
    }
  }
}

TEST(UPCASE, OnlyLowerCaseLettersChange) {
  std::string text = "sea_cat az `{@[ \xE6";
  UPCASE(text);
  EXPECT_EQ(text, "SEA_CAT AZ `{@[ \xE6");
}

TEST(IWFIND, Rows) {
  const std::string_view standards[] = {"NORSOK", "DNV       ", "NS3472", "          "};
  const std::string_view twins[] = {"X", "dup", "DUP"};
  const std::string long_name(256, 'A');
  const std::string_view symbols[] = {"[", "@", " DNV", long_name};
  const struct {
    std::string word;
    std::span<const std::string_view> names;
    LetterCase letter_case;
    int expected;
  } rows[] = {
      {"dnv", standards, LetterCase::blind, 2},
      {"dnv", standards, LetterCase::exact, 0},
      {"DNV   ", standards, LetterCase::exact, 2},  // trailing blanks never matter
      {" DNV", standards, LetterCase::blind, 0},    // leading blanks always do
      {" dnv ", symbols, LetterCase::blind, 3},
      {"", standards, LetterCase::blind, 4},
      {"DUP", twins, LetterCase::blind, 2},  // the lower index wins
      {"DNV", {}, LetterCase::blind, 0},
      {"{", symbols, LetterCase::blind, 0},  // only a ... z fold
      {"`", symbols, LetterCase::blind, 0},
      {std::string(256, 'A') + "B", symbols, LetterCase::exact, 4},  // 256 characters compared
  };
  for (const auto& row : rows)
    EXPECT_EQ(IWFIND(row.word, row.names, row.letter_case), row.expected) << '"' << row.word << '"';
}

}  // namespace
}  // namespace skaldur::textio
