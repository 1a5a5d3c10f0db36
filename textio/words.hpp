#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace skaldur::textio {

// What SPLITW found: `found` is true when the text held at least one word;
// `count` is the number of words, or one more than the capacity of the word
// list when the text held more words than fit.
struct WordSplit {
  bool found = false;
  int count = 0;

  friend bool operator==(const WordSplit&, const WordSplit&) = default;
};

// Splits `text` into its blank-separated words. The word list's capacity is
// words.size(); every element is first set to `word_length` blanks, then word
// k goes into element k blank padded, or cut to its first `word_length`
// characters. Only the blank separates words. Once a word beyond the capacity
// turns up the scan stops: the list holds the first capacity words and the
// count is capacity + 1.
[[nodiscard]] WordSplit SPLITW(std::string_view text, std::span<std::string> words,
                               std::size_t word_length);

// Replaces "a" ... "z" by "A" ... "Z" in place; every other character stays.
void UPCASE(std::span<char> text);

// How IWFIND compares letters.
enum class LetterCase {
  blind,  // a ... z equal A ... Z; nothing else is folded
  exact,
};

// Returns the index (from 1) of the first entry of `names` equal to `word`, 0
// when none is. Word and entries are compared as 256-character texts: each is
// blank padded or cut to its first 256 characters, so trailing blanks never
// matter and leading blanks always do.
[[nodiscard]] int IWFIND(std::string_view word, std::span<const std::string_view> names,
                         LetterCase letter_case);

}  // namespace skaldur::textio
