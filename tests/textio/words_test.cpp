#include "textio/words.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace skaldur::textio {
namespace {

TEST(SPLITW, Rows) {
  const struct {
    std::string text;
    std::size_t capacity;
    std::size_t word_length;
    WordSplit expected;
    std::vector<std::string> words;  // the filled elements, without their padding
  } rows[] = {
      {"NORSOK  B1  AIR", 100, 80, {true, 3}, {"NORSOK", "B1", "AIR"}},
      {"    NORSOK  B1  AIR    ", 100, 80, {true, 3}, {"NORSOK", "B1", "AIR"}},
      {"NORSOK  E     BP_SCH" + std::string(20, ' '),
       100,
       80,
       {true, 3},
       {"NORSOK", "E", "BP_SCH"}},
      {std::string(40, ' '), 5, 8, {false, 0}, {}},
      {"", 5, 8, {false, 0}, {}},
      // A word that ends with the text is taken whole.
      {"ABC", 5, 8, {true, 1}, {"ABC"}},
      {"  x  LAST", 5, 8, {true, 2}, {"x", "LAST"}},
      // Capacity reached exactly, then exceeded: the count is one more than it.
      {"a b c", 3, 4, {true, 3}, {"a", "b", "c"}},
      {"a b c", 2, 4, {true, 3}, {"a", "b"}},
      {"a b c d e", 3, 4, {true, 4}, {"a", "b", "c"}},
      {"a", 0, 4, {true, 1}, {}},
      // Longer words are cut to the element length.
      {"ABCDEFGHIJ KL", 5, 4, {true, 2}, {"ABCD", "KL"}},
      // Only the blank separates.
      {"a\tb,c d", 5, 8, {true, 2}, {"a\tb,c", "d"}},
  };
  for (const auto& row : rows) {
    std::vector<std::string> words(row.capacity, "old contents");
    const WordSplit got = SPLITW(row.text, words, row.word_length);
    EXPECT_EQ(got, row.expected) << '"' << row.text << '"';
    for (std::size_t i = 0; i < words.size(); ++i) {
      std::string expected = i < row.words.size() ? row.words[i] : "";
      expected.resize(row.word_length, ' ');
      EXPECT_EQ(words[i], expected) << '"' << row.text << "\" element " << i + 1;
    }
  }
}

TEST(UPCASE, OnlyLowerCaseLettersChange) {
  const struct {
    std::string text;
    std::string expected;
  } rows[] = {
      {"sea_cat", "SEA_CAT"}, {"az AZ", "AZ AZ"},
      {"`{@[", "`{@["},  // neighbours of the letter ranges
      {"b1 \xE6", "B1 \xE6"}, {"", ""},
  };
  for (auto row : rows) {
    UPCASE(row.text);
    EXPECT_EQ(row.text, row.expected);
  }
}

TEST(IWFIND, Rows) {
  const std::string_view standards[] = {"NORSOK    ", "DNV       ", "NS3472    ", "          ",
                                        "          "};
  const std::string_view twins[] = {"X", "dup", "DUP", "dup"};
  const std::string_view led[] = {" DNV"};
  const std::string longest(256, 'A');
  const std::string_view long_names[] = {"A", longest};
  const std::string_view symbols[] = {"[", "@"};
  const struct {
    std::string word;
    std::span<const std::string_view> names;
    LetterCase letter_case;
    int expected;
  } rows[] = {
      {"dnv", standards, LetterCase::blind, 2},
      {"dnv", standards, LetterCase::exact, 0},
      {"DNV", standards, LetterCase::exact, 2},
      {"DNV   ", standards, LetterCase::blind, 2},
      {" DNV", standards, LetterCase::blind, 0},
      {"DNV", led, LetterCase::blind, 0},
      {" dnv ", led, LetterCase::blind, 1},
      {"Norsok", standards, LetterCase::blind, 1},
      {"NORSOKS", standards, LetterCase::blind, 0},
      {"", standards, LetterCase::blind, 4},  // an empty word equals a blank slot
      {"DUP", twins, LetterCase::blind, 2},
      {"dup", twins, LetterCase::exact, 2},
      {"DNV", {}, LetterCase::blind, 0},
      // Compared within 256 characters only.
      {longest + "B", long_names, LetterCase::exact, 2},
      {std::string(255, 'A') + "B", long_names, LetterCase::exact, 0},
      // Only a ... z fold: "{" and "`" are not "[" and "@".
      {"{", symbols, LetterCase::blind, 0},
      {"`", symbols, LetterCase::blind, 0},
  };
  for (const auto& row : rows)
    EXPECT_EQ(IWFIND(row.word, row.names, row.letter_case), row.expected) << '"' << row.word << '"';
}

}  // namespace
}  // namespace skaldur::textio
